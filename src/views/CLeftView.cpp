#include "views/CLeftView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>

#include "app/ViewAvailability.h"
#include "discovery/CDiscoveryEngine.h"
#include "discovery/NetworkEnvironment.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "views/CNewFolderDlg.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/TreeImages.h"
#include "views/ViewTreeActions.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kCmdRefresh = 32789;
constexpr int kCmdOpenNewWindow = 32862;
constexpr int kCmdModify = 32826;
constexpr int kCmdDelete = 32827;
constexpr int kCmdNewView = 32839;
constexpr int kCmdNewFolder = 32838;

// A group asks for its picture when drawn: closed or open as the item is now.
class NodeItem : public QTreeWidgetItem {
 public:
  explicit NodeItem(const CViewNode& node) : node_(node) {}
  QVariant data(int column, int role) const override {
    if (column == 0 && role == Qt::DecorationRole) {
      return TreeImage(ViewTreeRules::ImageOf(node_, isExpanded()));
    }
    return QTreeWidgetItem::data(column, role);
  }

 private:
  const CViewNode& node_;
};

}  // namespace

CLeftView::CLeftView(CViewStore& store, platform::Prompt& prompt, const std::string& caption,
                     QWidget* parent)
    : QTreeWidget(parent),
      store_(store),
      actions_(std::make_unique<ViewTreeActions>(store, prompt, caption)),
      prompt_(prompt),
      caption_(caption) {
  setObjectName("CLeftView");
  setAccessibleName(tr("Views"));
  setHeaderHidden(true);
  setEditTriggers(NoEditTriggers);  // names change in the customize sheet only
  setSelectionMode(SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(InternalMove);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &CLeftView::OnSelectionChanged);
  Fill();
  SelectCurrentView();
}

CLeftView::~CLeftView() = default;

void CLeftView::Post(int command) {
  if (post_) post_(command);
}

CViewNode* CLeftView::NodeOf(const QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<CViewNode*>(item->data(0, kNodeRole).value<quintptr>());
}

QTreeWidgetItem* CLeftView::ItemOf(const CViewNode* node) const {
  return node != nullptr ? static_cast<QTreeWidgetItem*>(node->TreeItem()) : nullptr;
}

CViewNode* CLeftView::SelectedNode() const {
  return NodeOf(currentItem());
}

QTreeWidgetItem* CLeftView::MakeItem(const CViewNode& node) {
  auto* item = new NodeItem(node);
  item->setText(0, QString::fromStdString(node.Name()));
  item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!node.IsRoot()) flags |= Qt::ItemIsDragEnabled;
  if (!node.IsView()) flags |= Qt::ItemIsDropEnabled;
  item->setFlags(flags);
  const_cast<CViewNode&>(node).SetTreeItem(item);
  return item;
}

void CLeftView::AddChildren(QTreeWidgetItem* parentItem, const CViewNode& parent) {
  for (CViewNode* child : ViewTreeRules::SortedChildren(parent)) {
    QTreeWidgetItem* item = MakeItem(*child);
    parentItem->addChild(item);
    AddChildren(item, *child);
  }
}

void CLeftView::Fill() {
  filling_ = true;
  for (CViewNode* node : store_.Nodes()) node->SetTreeItem(nullptr);
  clear();
  if (CViewNode* root = store_.Root()) {
    QTreeWidgetItem* rootItem = MakeItem(*root);
    addTopLevelItem(rootItem);
    AddChildren(rootItem, *root);
    rootItem->setExpanded(true);
  }
  filling_ = false;
}

void CLeftView::SelectNode(const CViewNode* node) {
  QTreeWidgetItem* item = ItemOf(node);
  if (item == nullptr) return;
  filling_ = true;
  for (QTreeWidgetItem* up = item->parent(); up != nullptr; up = up->parent()) {
    up->setExpanded(true);
  }
  setCurrentItem(item);
  scrollToItem(item);
  filling_ = false;
}

void CLeftView::SelectCurrentView() {
  if (SelectedNode() != store_.CurrentNode()) SelectNode(store_.CurrentNode());
}

void CLeftView::Rebuild(intptr_t view) {
  Fill();
  auto* node = reinterpret_cast<const CViewNode*>(view);
  SelectNode(node != nullptr && ItemOf(node) != nullptr ? node : store_.CurrentNode());
}

void CLeftView::OnSelectionChanged() {
  if (filling_) return;
  CViewNode* node = SelectedNode();
  if (node != nullptr && node->IsView()) {
    Post(refreshAlways_ ? ViewTreeRules::kCmdOpenRefresh : ViewTreeRules::kCmdOpen);
  }
}

void CLeftView::mouseDoubleClickEvent(QMouseEvent* event) {
  CViewNode* node = NodeOf(itemAt(event->position().toPoint()));
  if (node == nullptr || !node->IsView()) {
    QTreeWidget::mouseDoubleClickEvent(event);  // a group opens or closes
    return;
  }
  if (node == store_.CurrentNode()) {
    Post(kCmdRefresh);
  } else {
    // The road of Open (32835): the search is stopped and the view's protocol checked first.
    SelectNode(node);
    Post(ViewTreeRules::kCmdOpen);
  }
}

void CLeftView::OpenSelected(bool refresh) {
  CViewNode* node = SelectedNode();
  if (node == nullptr || !node->IsView()) return;
  const bool udp = (discovery::TheNetworkEnvironment().GetFlags() &
                    discovery::NetworkEnvironment::kFlagUdp) != 0;
  if (!app::ViewAvailability::Check(node->Type(), udp, prompt_, caption_)) {
    SelectCurrentView();
    return;
  }
  store_.SelectView(node, true, refresh);
}

void CLeftView::startDrag(Qt::DropActions actions) {
  dragged_ = SelectedNode();
  if (dragged_ == nullptr || dragged_->IsRoot()) {
    dragged_ = nullptr;
    return;
  }
  QTreeWidget::startDrag(actions);
  dragged_ = nullptr;
}

void CLeftView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidget::dragMoveEvent(event);
  CViewNode* group = ViewTreeRules::DropGroup(NodeOf(itemAt(event->position().toPoint())));
  if (event->source() == this && ViewTreeRules::CanMove(dragged_, group)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void CLeftView::dropEvent(QDropEvent* event) {
  CViewNode* target = NodeOf(itemAt(event->position().toPoint()));
  if (event->source() == this && dragged_ != nullptr) DropOn(dragged_, target);
  // The tree is filled again from the store; nothing is left for the view to move itself.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
}

bool CLeftView::DropOn(CViewNode* node, CViewNode* target) {
  switch (actions_->Move(node, target)) {
    case ViewTreeActions::MoveResult::kRefused:
      QApplication::beep();
      return false;
    case ViewTreeActions::MoveResult::kDeclined:
      SelectNode(node);
      return false;
    case ViewTreeActions::MoveResult::kFailed:
      Rebuild(reinterpret_cast<intptr_t>(node));  // where the store still holds it
      return false;
    case ViewTreeActions::MoveResult::kMoved:
      Rebuild(reinterpret_cast<intptr_t>(node));
      if (changed_) changed_(nullptr);
      return true;
  }
  return false;
}

QMenu* CLeftView::MakeContextMenu() {
  const TreeMenuState state = ViewTreeRules::MenuState(SelectedNode(), refreshAlways_);
  auto* menu = new QMenu(this);
  menu->setObjectName("135");
  auto add = [this, menu](QMenu* into, const QString& text, int command, bool enabled) {
    QAction* action = into->addAction(text);
    action->setObjectName(QString::number(command));
    action->setEnabled(enabled && (!available_ || available_(command)));
    connect(action, &QAction::triggered, this, [this, command] { Post(command); });
    if (command == ViewTreeRules::MenuState(SelectedNode(), refreshAlways_).defaultCommand) {
      menu->setDefaultAction(action);
    }
    return action;
  };
  add(menu, tr("&Open"), ViewTreeRules::kCmdOpen, state.open);
  add(menu, tr("Open and &Refresh"), ViewTreeRules::kCmdOpenRefresh, state.openRefresh);
  add(menu, tr("Open in New &Window"), kCmdOpenNewWindow, state.openNewWindow);
  menu->addSeparator();
  add(menu, tr("&Modify..."), kCmdModify, state.modify);
  add(menu, tr("&Delete"), kCmdDelete, state.remove);
  menu->addSeparator();
  QMenu* submenu = menu->addMenu(tr("&New"));
  add(submenu, tr("&View..."), kCmdNewView, true);
  add(submenu, tr("&Folder..."), kCmdNewFolder, true);
  return menu;
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(event->pos())) SelectNode(NodeOf(item));
  QMenu* menu = MakeContextMenu();
  menu->exec(event->globalPos());
  menu->deleteLater();
}

void CLeftView::DeleteSelected() {
  CViewNode* node = SelectedNode();
  if (!actions_->Delete(node)) return;
  Rebuild(0);
  if (changed_) changed_(nullptr);
}

void CLeftView::NewFolder() {
  CViewNode* selected = SelectedNode();
  CViewNode* group = selected != nullptr && selected->IsView() ? selected->Parent() : selected;
  CNewFolderDlg dialog(store_, *actions_, group, this);
  if (dialog.exec() != QDialog::Accepted || dialog.Created() == nullptr) return;
  Rebuild(reinterpret_cast<intptr_t>(dialog.Created()));
  // The rebuild that follows keeps the new folder selected.
  if (changed_) changed_(dialog.Created());
}

}  // namespace views
