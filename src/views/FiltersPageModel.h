// The Filters page without its widgets: the searches (local network, the search list and its
// entries) and the display filter (its column and the values of the column's filter kind). Apply
// writes only what changed into the sheet's copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace views {

class CViewDefinition;

class FiltersPageModel {
 public:
  static constexpr size_t kMaxValues = 30;
  static constexpr int kNoFilter = 255;
  static constexpr const char* kNoFilterText = "<No Filter>";
  static constexpr const char* kTooManyValues =
      "The display filter takes at most 30 values. Select fewer values.";
  static constexpr unsigned kMsgNoAddress = 5504;
  static constexpr unsigned kMsgNoDevices = 5512;
  static constexpr unsigned kMsgNoSearch = 5513;
  static constexpr unsigned kNoteEmptyList = 5516;
  static constexpr unsigned kNoteFilter = 5517;
  static constexpr int kLastComPort = 255;

  // The distinct non-empty texts of a column among the devices the view lists now.
  using ListedTexts = std::function<std::vector<std::string>(int column)>;

  // The class mask of the columns a view type can filter on.
  static uint32_t FilterClasses(int type);

  FiltersPageModel(const CViewDefinition& copy, int type, ListedTexts listed);

  // The views "All Print Servers" and "Unconfigured Print Servers" always search the local
  // network and show every row: the box and the display filter are disabled.
  bool IsFixedView() const { return fixed_; }
  bool SearchLocal() const { return searchLocal_; }
  bool SearchList() const { return searchList_; }
  const std::vector<std::string>& Entries() const { return entries_; }
  void SetSearchLocal(bool on);
  void SetSearchList(bool on);
  void AddEntry(const std::string& entry);
  // "Add" of a serial view appends the port chosen in "Select Port to Add:" (COM1 ... COM255,
  // COM1 first); of a TCP/IP view, the entry the Specify a Device dialog makes.
  bool AddsPort() const;
  static std::vector<std::string> PortChoices();
  // False with 5504's text when no entry is selected.
  bool DeleteEntry(int row, std::string* refusal);

  // The filterable columns for the view type, then kNoFilter.
  std::vector<int> FilterColumns() const;
  int FilterColumn() const { return filterColumn_; }
  // Shows the value control of the column's kind with the view's values (or "*").
  void ChooseFilterColumn(int column);
  int Kind() const;
  const std::string& EditText() const { return editText_; }
  void SetEditText(const std::string& text);
  const std::vector<std::string>& OfferedValues() const { return offered_; }
  const std::vector<std::string>& SelectedValues() const { return selected_; }
  void SetSelectedValues(std::vector<std::string> values);
  // The notes text under the value control.
  std::string Note() const;

  // Leaving the page: false with 5513's or 5512's text when the searches make no sense.
  bool CheckLeave(std::string* refusal) const;
  // False (nothing applied) with the refusal's text; more than 30 values are refused, not cut.
  bool Apply(CViewDefinition& copy, std::string* refusal) const;

 private:
  const CViewDefinition& view_;
  int type_;
  ListedTexts listed_;
  bool fixed_;
  bool searchLocal_;
  bool searchList_;
  std::vector<std::string> entries_;
  bool searchChanged_ = false;
  bool listChanged_ = false;
  int filterColumn_;
  std::string editText_;
  bool editChanged_ = false;
  std::vector<std::string> offered_;
  std::vector<std::string> selected_;
  bool selectionChanged_ = false;
};

}  // namespace views
