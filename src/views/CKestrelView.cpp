#include "views/CKestrelView.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeView>
#include <algorithm>

#include "views/CViewStore.h"
#include "views/DeviceListIcons.h"
#include "views/DeviceListModel.h"

namespace views {
namespace {

struct MenuEntry {
  int command;
  const char* text;
  const char* shortcut;  // shown beside the text; nullptr for none
};

// Menu 140 (multi-selection mode) and menu 141 (standard mode).
constexpr MenuEntry kMultiSelectMenu[] = {
    {CKestrelView::kCmdConfigureSelected, "Configure Selected Devices", nullptr},
    {CKestrelView::kCmdSelectAll, "Select All", nullptr},
    {CKestrelView::kCmdSelectNone, "Select None", nullptr},
    {CKestrelView::kCmdResetSelected, "Reset Selected Devices", nullptr},
    {CKestrelView::kCmdReturnToStandard, "Return to Standard Mode", nullptr},
};
constexpr MenuEntry kStandardMenu[] = {
    {CKestrelView::kCmdVirtualPort, "Virtual Port", "Alt+C"},
    {CKestrelView::kCmdConnectionStatus, "Connection Status", "Alt+S"},
    {CKestrelView::kCmdDeletePortByNumber, "Delete Port by Number", "Alt+W"},
    {CKestrelView::kCmdEnterIpAddress, "Enter IP Address...", nullptr},
};

constexpr int kSmallIconSize = 16;
constexpr int kLargeIconSize = 32;
constexpr int kLargeIconCell = 96;
// Width, from a row's left edge, of the check box with its margins in multi-selection mode.
constexpr int kCheckArea = 24;

}  // namespace

CKestrelView::CKestrelView(QWidget* parent) : QStackedWidget(parent) {
  setObjectName("CKestrelView");
  BuildViews();
  ConnectHeader();
  SetListMode(kDetails);
}

CKestrelView::~CKestrelView() = default;

void CKestrelView::BuildViews() {
  model_ = new DeviceListModel(this);

  details_ = new QTreeView(this);
  details_->setObjectName("details");
  details_->setAccessibleName(tr("Device list"));
  details_->setRootIsDecorated(false);
  details_->setItemsExpandable(false);
  details_->setUniformRowHeights(true);
  details_->setAllColumnsShowFocus(true);
  details_->setModel(model_);

  icons_ = new QListView(this);
  icons_->setObjectName("icons");
  icons_->setAccessibleName(tr("Device list"));
  icons_->setUniformItemSizes(true);
  icons_->setModel(model_);
  // One selection for both faces, so switching the style keeps it.
  QItemSelectionModel* own = icons_->selectionModel();
  icons_->setSelectionModel(details_->selectionModel());
  delete own;

  const QString sheet =
      QStringLiteral(
          "QAbstractItemView::indicator:unchecked { image: url(%1); }"
          "QAbstractItemView::indicator:checked { image: url(%2); }")
          .arg(DeviceListIcons::CheckBoxPath(false), DeviceListIcons::CheckBoxPath(true));
  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setStyleSheet(sheet);
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex&) { RunDoubleClickCommand(); });
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& pos) { ShowContextMenu(view, pos); });
    addWidget(view);
  }
}

void CKestrelView::ConnectHeader() {
  QHeaderView* header = Header();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(false);
  header->setSortIndicatorShown(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->viewport()->installEventFilter(this);
  connect(header, &QHeaderView::sectionClicked, this, &CKestrelView::OnHeaderClicked);
  connect(header, &QHeaderView::sectionMoved, this, [this] {
    if (!applyingLayout_) QueueLayoutSave();
  });
  connect(header, &QHeaderView::sectionResized, this, [this] {
    if (!applyingLayout_) resizedByUser_ = true;
  });
}

QHeaderView* CKestrelView::Header() const {
  return details_->header();
}

QAbstractItemView* CKestrelView::CurrentView() const {
  return mode_ == kDetails ? static_cast<QAbstractItemView*>(details_)
                           : static_cast<QAbstractItemView*>(icons_);
}

void CKestrelView::SetListMode(ListMode mode) {
  const bool hadFocus = CurrentView()->hasFocus();
  mode_ = mode;
  if (mode != kDetails) {
    const bool large = mode == kLargeIcons;
    icons_->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setFlow(mode == kList ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setWordWrap(large);
    const int size = large ? kLargeIconSize : kSmallIconSize;
    icons_->setIconSize(QSize(size, size));
  }
  UpdateGrid();
  setCurrentWidget(CurrentView());
  if (hadFocus) CurrentView()->setFocus();
}

void CKestrelView::ArrangeIcons() {
  icons_->doItemsLayout();
}

// ---- DeviceListControl ----

void CKestrelView::SetColumns(const std::vector<ListColumn>& columns) {
  applyingLayout_ = true;
  model_->SetColumns(columns);
  QHeaderView* header = Header();
  // A new set of columns starts in its own order.
  for (int logical = 0; logical < header->count(); ++logical) {
    const int visual = header->visualIndex(logical);
    if (visual != logical) header->moveSection(visual, logical);
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    details_->setColumnWidth(static_cast<int>(i), columns[i].width);
  }
  sortSection_ = -1;
  header->setSortIndicatorShown(false);
  ResetFittedWidths();
  applyingLayout_ = false;
}

void CKestrelView::DeleteAllRows() {
  model_->Clear();
}

int CKestrelView::InsertRow(const ListRow& row) {
  GrowFittedWidths(row);
  return model_->Append(row);
}

void CKestrelView::DeleteRow(int row) {
  model_->Remove(row);
}

int CKestrelView::GetRowCount() const {
  return model_->rowCount();
}

uint32_t CKestrelView::GetItemData(int row) const {
  return model_->ItemData(row);
}

int CKestrelView::FindItemData(uint32_t itemData) const {
  return model_->Find(itemData);
}

void CKestrelView::SelectRow(int row) {
  QItemSelectionModel* selection = details_->selectionModel();
  selection->clearSelection();
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex index = model_->index(row, 0);
  selection->setCurrentIndex(index,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  CurrentView()->scrollTo(index);
}

int CKestrelView::GetSelectedRow() const {
  const QModelIndexList rows = details_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void CKestrelView::SelectFirstIfNone() {
  if (GetSelectedRow() < 0 && GetRowCount() > 0) SelectRow(0);
}

void CKestrelView::SortRows(const RowLess& less) {
  model_->Sort(less);
  FitColumns();
}

void CKestrelView::FitColumns() {
  const std::vector<ListColumn>& columns = model_->Columns();
  applyingLayout_ = true;
  for (size_t i = 0; i < columns.size() && i < fitted_.size(); ++i) {
    if (columns[i].fit) details_->setColumnWidth(static_cast<int>(i), fitted_[i]);
  }
  applyingLayout_ = false;
  UpdateGrid();
}

void CKestrelView::UpdateGrid() {
  if (mode_ == kDetails) return;
  const QFontMetrics metrics(icons_->font());
  if (mode_ == kLargeIcons) {
    // Room for the picture and two lines of its name below it.
    icons_->setGridSize(QSize(kLargeIconCell, kLargeIconSize + 2 * metrics.lineSpacing() + 8));
    return;
  }
  // Small icons and list: each cell as wide as the first column's widest text.
  const int width = fitted_.empty() ? kLargeIconCell : std::max(fitted_.front(), kLargeIconCell);
  icons_->setGridSize(QSize(width, std::max(kSmallIconSize, metrics.height()) + 4));
}

int CKestrelView::CellPadding() const {
  // What the style draws around a cell's text: its margins on both sides, and a little air.
  return 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, details_) + 12;
}

void CKestrelView::ResetFittedWidths() {
  const QFontMetrics metrics(details_->font());
  for (size_t c = 0; c < asciiAdvance_.size(); ++c) {
    asciiAdvance_[c] = metrics.horizontalAdvance(QChar(static_cast<char16_t>(c)));
  }
  const std::vector<ListColumn>& columns = model_->Columns();
  fitted_.assign(columns.size(), 0);
  QHeaderView* header = Header();
  for (size_t i = 0; i < columns.size(); ++i) {
    fitted_[i] = header->sectionSizeHint(static_cast<int>(i));
  }
}

int CKestrelView::TextWidth(const std::string& text) const {
  // Plain ASCII adds up the advances of its characters (kerning is a pixel or two at most);
  // anything else is shaped by the font, which costs far more per text.
  int width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= asciiAdvance_.size()) {
      return QFontMetrics(details_->font()).horizontalAdvance(QString::fromStdString(text));
    }
    width += asciiAdvance_[byte];
  }
  return width;
}

void CKestrelView::GrowFittedWidths(const ListRow& row) {
  // Measured as rows arrive, so that fitting after a sort costs nothing per row.
  const int padding = CellPadding();
  const int firstExtra = details_->iconSize().isValid() ? details_->iconSize().width() : 16;
  for (size_t i = 0; i < row.texts.size() && i < fitted_.size(); ++i) {
    if (row.texts[i].empty()) continue;
    int width = TextWidth(row.texts[i]) + padding;
    if (i == 0) width += firstExtra + padding / 2;
    fitted_[i] = std::max(fitted_[i], width);
  }
}

void CKestrelView::SetSortIndicator(const std::string& title, bool descending) {
  const std::vector<ListColumn>& columns = model_->Columns();
  sortSection_ = -1;
  for (size_t i = 0; i < columns.size() && !title.empty(); ++i) {
    if (columns[i].title == title) {
      sortSection_ = static_cast<int>(i);
      break;
    }
  }
  descending_ = descending;
  QHeaderView* header = Header();
  header->setSortIndicatorShown(sortSection_ >= 0);
  if (sortSection_ >= 0) {
    header->setSortIndicator(sortSection_, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  }
}

void CKestrelView::SetMultiSelect(bool on) {
  multiSelect_ = on;
  model_->SetCheckable(on);
}

bool CKestrelView::IsRowChecked(int row) const {
  return model_->IsChecked(row);
}

void CKestrelView::SetAllChecked(bool checked) {
  model_->SetAllChecked(checked);
}

// ---- the header ----

void CKestrelView::OnHeaderClicked(int logical) {
  const std::vector<ListColumn>& columns = model_->Columns();
  if (logical < 0 || logical >= static_cast<int>(columns.size())) return;
  // The same column again turns the direction; another keeps it.
  const bool descending = logical == sortSection_ ? !descending_ : descending_;
  const std::string title = columns[static_cast<size_t>(logical)].title;
  if (store_ != nullptr) {
    store_->SortBy(title, descending);
  } else {
    SetSortIndicator(title, descending);
  }
}

void CKestrelView::QueueLayoutSave() {
  if (saveQueued_) return;
  saveQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        saveQueued_ = false;
        CurrentView()->viewport()->update();
        SaveLayout();
      },
      Qt::QueuedConnection);
}

void CKestrelView::SaveLayout() {
  if (store_ == nullptr) return;
  const std::vector<ListColumn>& columns = model_->Columns();
  QHeaderView* header = Header();
  std::vector<HeaderItem> items;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (logical < 0 || logical >= static_cast<int>(columns.size())) continue;
    items.push_back({columns[static_cast<size_t>(logical)].column, header->sectionSize(logical)});
  }
  store_->SaveListLayout(items);
}

// ---- input ----

bool CKestrelView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Header()->viewport()) {
    // A divider released after the user resized: saved unless the columns fit their data.
    if (event->type() == QEvent::MouseButtonRelease && resizedByUser_) {
      resizedByUser_ = false;
      const std::vector<ListColumn>& columns = model_->Columns();
      if (!columns.empty() && !columns.front().fit) QueueLayoutSave();
    }
    return false;
  }
  if ((watched == details_->viewport() || watched == icons_->viewport()) && multiSelect_ &&
      ToggleCheckAt(static_cast<QWidget*>(watched), event)) {
    return true;
  }
  if (watched == details_ || watched == icons_) {
    if (event->type() == QEvent::FocusIn && focusHandler_) focusHandler_();
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        RunDoubleClickCommand();
        return true;
      }
    }
  }
  return QStackedWidget::eventFilter(watched, event);
}

bool CKestrelView::ToggleCheckAt(QWidget* viewport, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseButtonDblClick) {
    return false;
  }
  const auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  QAbstractItemView* view = viewport == details_->viewport()
                                ? static_cast<QAbstractItemView*>(details_)
                                : static_cast<QAbstractItemView*>(icons_);
  const QPoint pos = mouse->position().toPoint();
  const QModelIndex hit = view->indexAt(pos);
  if (!hit.isValid()) return false;
  // The check box and what lies left of the picture: a click there only turns the check box.
  const QModelIndex first = model_->index(hit.row(), 0);
  const int boxRight = view->visualRect(first).left() + kCheckArea;
  if (pos.x() >= boxRight) return false;
  if (type == QEvent::MouseButtonPress) {
    const bool checked = model_->IsChecked(hit.row());
    model_->setData(first, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
  }
  return true;
}

void CKestrelView::RunCommand(int command) {
  if (commandHandler_) commandHandler_(command);
}

void CKestrelView::RunDoubleClickCommand() {
  if (GetSelectedRow() < 0) return;
  RunCommand(store_ != nullptr ? store_->DoubleClickCommand() : kCmdConnectionStatus);
}

QMenu* CKestrelView::MakeContextMenu() {
  auto* menu = new QMenu(this);
  const bool multi = multiSelect_;
  menu->setObjectName(multi ? "140" : "141");
  const bool rowSelected = GetSelectedRow() >= 0;
  auto add = [this, menu](const MenuEntry& entry) {
    QAction* action = menu->addAction(tr(entry.text));
    action->setObjectName(QString::number(entry.command));
    if (entry.shortcut != nullptr) {
      action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
      action->setShortcutVisibleInContextMenu(true);
    }
    const int command = entry.command;
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return action;
  };
  if (multi) {
    for (const MenuEntry& entry : kMultiSelectMenu) {
      QAction* action = add(entry);
      if (entry.command == kCmdReturnToStandard) {
        action->setCheckable(true);
        action->setChecked(true);
      }
      if (entry.command == kCmdConfigureSelected) {
        // Shown where it belongs, disabled until something stands behind it.
        action->setEnabled(false);
        action->setToolTip(
            tr("Configuring several devices at once is not available in this "
               "version of Portolan."));
        menu->setToolTipsVisible(true);
      }
    }
  } else {
    // Commands about a device need one; Enter IP Address one that has no address yet.
    const bool needsAddress = store_ != nullptr && store_->SelectedDeviceNeedsAddress();
    for (const MenuEntry& entry : kStandardMenu) {
      const bool enterIp = entry.command == kCmdEnterIpAddress;
      add(entry)->setEnabled(rowSelected && (!enterIp || needsAddress));
    }
  }
  return menu;
}

void CKestrelView::ShowContextMenu(QAbstractItemView* view, const QPoint& pos) {
  const QModelIndex index = view->indexAt(pos);
  if (index.isValid()) SelectRow(index.row());
  QMenu* menu = MakeContextMenu();
  menu->exec(view->viewport()->mapToGlobal(pos));
  delete menu;
}

}  // namespace views
