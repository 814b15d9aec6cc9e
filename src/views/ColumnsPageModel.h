// The Columns page without its widgets: the columns offered for the view's protocol (server and
// per-port lists), the displayed columns in order, the required ones, the sort column and column
// fitting. Apply writes them into the sheet's copy.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace discovery {
class CDeviceColumnTable;
}

namespace views {

class CViewDefinition;

class ColumnsPageModel {
 public:
  static constexpr unsigned kMsgNoColumnSelected = 5502;
  static constexpr unsigned kMsgOneColumnNeeded = 5503;
  static constexpr const char* kRequiredColumn =
      "This is a required column and cannot be removed from the view";
  // Class bits of the columns a view must show: Virtual Port and Port #.
  static constexpr uint32_t kRequiredClasses = 0xC0000;

  // The class mask of the columns offered for a view type (0: none offered).
  static uint32_t OfferedClasses(int type);

  ColumnsPageModel(const CViewDefinition& copy, int type);

  const std::vector<int>& ServerColumns() const { return server_; }
  const std::vector<int>& PortColumns() const { return port_; }
  const std::vector<int>& Displayed() const { return displayed_; }
  int SortColumn() const { return sortColumn_; }
  bool Fit() const { return fit_; }

  // ">>": the selected server column (else the selected port column) goes below the displayed
  // selection (-1: at the end). False with the refusal's text.
  bool Add(int serverRow, int portRow, int displayedRow, std::string* refusal);
  // "<<": the displayed column goes back to its list; when it was the sort column the sort falls
  // back to the first displayed column. False with the refusal's text.
  bool Remove(int displayedRow, std::string* refusal);
  // "/\" and "\/"; false when the column cannot move that way.
  bool MoveUp(int displayedRow);
  bool MoveDown(int displayedRow);
  void SetSortColumn(int column) { sortColumn_ = column; }
  void SetFit(bool fit) { fit_ = fit; }

  // The displayed columns become the view's columns; the sort keeps its direction unless its
  // column changed (a new sort column sorts ascending); fitting as chosen.
  void Apply(CViewDefinition& copy) const;

 private:
  void Offer(int column);
  bool IsRequired(int column) const;

  const discovery::CDeviceColumnTable& table_;
  std::vector<int> server_;
  std::vector<int> port_;
  std::vector<int> displayed_;
  int sortColumn_;
  bool fit_;
};

}  // namespace views
