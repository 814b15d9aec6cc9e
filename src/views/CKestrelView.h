// The device list: the right-hand pane of the main window. One model shown either as details (a
// tree view with a header) or as large icons, small icons or a list (a list view), with the
// status image of each row, the header's sort arrow, check boxes in multi-selection mode and the
// context menus. Its rows come from the view store (CViewStore), which drives it through
// DeviceListControl; commands go to the main window through the command handler.
#pragma once

#include <QStackedWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "views/DeviceListControl.h"

class QHeaderView;
class QListView;
class QMenu;
class QModelIndex;
class QTreeView;
class QAbstractItemView;

namespace views {

class CViewStore;
class DeviceListModel;

class CKestrelView : public QStackedWidget, public DeviceListControl {
  Q_OBJECT

 public:
  // The list styles, by the main window's command ids.
  enum ListMode : int {
    kSmallIcons = 59408,
    kLargeIcons = 59409,
    kList = 59410,
    kDetails = 59411,
  };
  // Commands of the context menus.
  enum Command : int {
    kCmdVirtualPort = 32772,
    kCmdConnectionStatus = 32774,
    kCmdResetSelected = 32777,
    kCmdDeletePortByNumber = 32804,
    kCmdReturnToStandard = 32806,
    kCmdConfigureSelected = 32841,
    kCmdEnterIpAddress = 32895,
    kCmdSelectAll = 32884,
    kCmdSelectNone = 32885,
  };

  explicit CKestrelView(QWidget* parent = nullptr);
  ~CKestrelView() override;

  void SetStore(CViewStore* store) { store_ = store; }
  // Receives the commands of the context menus, double-click and Enter (on the GUI thread).
  void SetCommandHandler(std::function<void(int command)> handler) {
    commandHandler_ = std::move(handler);
  }
  // Called when the list gains the focus (the main window's 0x800B).
  void SetFocusHandler(std::function<void()> handler) { focusHandler_ = std::move(handler); }

  void SetListMode(ListMode mode);
  ListMode GetListMode() const { return mode_; }
  // Lays the icons out on their grid again (large icons and list).
  void ArrangeIcons();
  bool IsMultiSelect() const { return multiSelect_; }
  // The first row gets the selection when none is selected.
  void SelectFirstIfNone();
  // Saves the header's order and widths through the store (0x800E).
  void SaveLayout();

  // DeviceListControl
  void SetColumns(const std::vector<ListColumn>& columns) override;
  void DeleteAllRows() override;
  int InsertRow(const ListRow& row) override;
  void DeleteRow(int row) override;
  int GetRowCount() const override;
  uint32_t GetItemData(int row) const override;
  int FindItemData(uint32_t itemData) const override;
  void SelectRow(int row) override;
  int GetSelectedRow() const override;
  void SortRows(const RowLess& less) override;
  void SetSortIndicator(const std::string& title, bool descending) override;
  void SetMultiSelect(bool on) override;
  bool IsRowChecked(int row) const override;
  void SetAllChecked(bool checked) override;

  // For tests and the main window.
  QTreeView* DetailsView() const { return details_; }
  QListView* IconView() const { return icons_; }
  DeviceListModel* Model() const { return model_; }
  // The context menu for the present mode (140 in multi-selection mode, else 141); the caller
  // owns it.
  QMenu* MakeContextMenu();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildViews();
  void ConnectHeader();
  void OnHeaderClicked(int logical);
  void OnSectionResized();
  void QueueLayoutSave();
  void ShowContextMenu(QAbstractItemView* view, const QPoint& pos);
  // In multi-selection mode: a left click on a row's check box area turns it and does nothing
  // else; true when the event was taken.
  bool ToggleCheckAt(QWidget* viewport, QEvent* event);
  void RunCommand(int command);
  void RunDoubleClickCommand();
  void FitColumns();
  void UpdateGrid();
  void ResetFittedWidths();
  void GrowFittedWidths(const ListRow& row);
  int CellPadding() const;
  int TextWidth(const std::string& text) const;
  QAbstractItemView* CurrentView() const;
  QHeaderView* Header() const;

  DeviceListModel* model_ = nullptr;
  QTreeView* details_ = nullptr;
  QListView* icons_ = nullptr;
  CViewStore* store_ = nullptr;
  std::function<void(int)> commandHandler_;
  std::function<void()> focusHandler_;
  ListMode mode_ = kDetails;
  bool multiSelect_ = false;
  int sortSection_ = -1;  // the header's sort column (logical index), -1 none
  bool descending_ = false;
  bool applyingLayout_ = false;  // sizes set by the list itself, not by the user
  bool resizedByUser_ = false;
  bool saveQueued_ = false;
  std::vector<int> fitted_;              // per column: the widest text so far (fitting, list cells)
  std::array<int, 128> asciiAdvance_{};  // of the list's font
};

}  // namespace views
