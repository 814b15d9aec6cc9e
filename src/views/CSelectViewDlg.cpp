#include "views/CSelectViewDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/TreeImages.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

constexpr int kNodeRole = Qt::UserRole;

}  // namespace

CSelectViewDlg::CSelectViewDlg(CViewStore& store, ViewStoreHost* host, QWidget* parent,
                               std::function<void(unsigned)> help)
    : QDialog(parent), store_(store), controller_(store, host) {
  setObjectName("3707");
  setWindowTitle("Select a View");
  auto* layout = new QVBoxLayout(this);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName("views");
  tree_->setAccessibleName("Views");
  tree_->setHeaderHidden(true);
  layout->addWidget(tree_);
  reason_ = new QLabel(this);
  reason_->setObjectName("3804");
  reason_->setWordWrap(true);
  layout->addWidget(reason_);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this, QDialogButtonBox::NoButton);
  // Done accepts through the box.
  ui::DialogButtons::Add(buttons, "&Done", "1", QDialogButtonBox::AcceptRole);
  QPushButton* made =
      ui::DialogButtons::Add(buttons, "&New...", "newView", QDialogButtonBox::ActionRole);
  delete_ = ui::DialogButtons::Add(buttons, "&Delete", "deleteView", QDialogButtonBox::ActionRole);
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "&Help", "9", QDialogButtonBox::HelpRole);
  helpButton->setEnabled(static_cast<bool>(help));
  connect(helpButton, &QPushButton::clicked, this, [help] {
    if (help) help(kHelpTopic);
  });
  layout->addWidget(buttons);
  connect(made, &QPushButton::clicked, this, [this] { OnNew(); });
  connect(delete_, &QPushButton::clicked, this, [this] { OnDelete(); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { OnSelected(); });
  Fill(nullptr);
}

void CSelectViewDlg::Fill(CViewNode* select) {
  tree_->clear();
  CViewNode* root = store_.Root();
  auto* rootItem = new QTreeWidgetItem(tree_, {QString::fromStdString(root->Name())});
  rootItem->setData(0, kNodeRole, QVariant::fromValue<void*>(root));
  rootItem->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*root, true)));
  AddChildren(root, rootItem, select);
  rootItem->setExpanded(true);
  if (select == root) tree_->setCurrentItem(rootItem);
  OnSelected();
}

void CSelectViewDlg::AddChildren(CViewNode* node, QTreeWidgetItem* item, CViewNode* select) {
  for (CViewNode* child : ViewTreeRules::SortedChildren(*node)) {
    auto* childItem = new QTreeWidgetItem(item, {QString::fromStdString(child->Name())});
    childItem->setData(0, kNodeRole, QVariant::fromValue<void*>(child));
    childItem->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*child, false)));
    if (child == select) tree_->setCurrentItem(childItem);
    AddChildren(child, childItem, select);
  }
}

void CSelectViewDlg::OnSelected() {
  const QTreeWidgetItem* item = tree_->currentItem();
  controller_.Select(
      item != nullptr ? static_cast<CViewNode*>(item->data(0, kNodeRole).value<void*>()) : nullptr);
  delete_->setEnabled(controller_.CanDelete());
  reason_->setText(QString::fromStdString(controller_.Reason()));
}

void CSelectViewDlg::OnDelete() {
  if (controller_.Delete()) Fill(controller_.Selected());
}

void CSelectViewDlg::OnNew() {
  CViewNode* made = store_.NewView(controller_.NewViewParent(), false);
  Fill(made != nullptr ? made : controller_.Selected());
}

}  // namespace views
