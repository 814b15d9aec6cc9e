#include "views/CNewFolderDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/TreeImages.h"
#include "views/ViewTreeActions.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

constexpr int kNodeRole = Qt::UserRole;

CViewNode* NodeOf(const QTreeWidgetItem* item) {
  if (item == nullptr) return nullptr;
  return reinterpret_cast<CViewNode*>(item->data(0, kNodeRole).value<quintptr>());
}

}  // namespace

CNewFolderDlg::CNewFolderDlg(CViewStore& store, ViewTreeActions& actions, CViewNode* selected,
                             QWidget* parent)
    : QDialog(parent), store_(store), actions_(actions) {
  setObjectName("3744");
  setWindowTitle(tr("Create a New Folder"));
  name_ = new QLineEdit(this);
  name_->setObjectName("3770");
  icons_ = new QComboBox(this);
  icons_->setObjectName("3772");
  for (int image = 0; image < ViewTreeRules::kGroupImages; image += 2) {
    // Each entry carries its picture in both halves, as the stored value of old did.
    icons_->addItem(TreeImage(image), TreeImageName(image), (image << 16) | image);
  }
  icons_->setCurrentIndex(0);
  location_ = new QTreeWidget(this);
  location_->setObjectName("3771");
  location_->setHeaderHidden(true);
  if (CViewNode* root = store_.Root()) {
    auto* rootItem = new QTreeWidgetItem(location_);
    rootItem->setText(0, QString::fromStdString(root->Name()));
    rootItem->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*root, true)));
    rootItem->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(root)));
    AddGroups(rootItem, *root, selected);
    rootItem->setExpanded(true);
    if (location_->currentItem() == nullptr) location_->setCurrentItem(rootItem);
  }

  auto* form = new QFormLayout(this);
  auto* nameLabel = new QLabel(tr("Folder &Name:"), this);
  nameLabel->setBuddy(name_);
  auto* iconLabel = new QLabel(tr("Folder &Icon:"), this);
  iconLabel->setBuddy(icons_);
  auto* locationLabel = new QLabel(tr("Folder &Location (select parent):"), this);
  locationLabel->setBuddy(location_);
  name_->setAccessibleName(tr("Folder name"));
  icons_->setAccessibleName(tr("Folder icon"));
  location_->setAccessibleName(tr("Folder location"));
  form->addRow(nameLabel, name_);
  form->addRow(iconLabel, icons_);
  form->addRow(locationLabel);
  form->addRow(location_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CNewFolderDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CNewFolderDlg::reject);
  form->addRow(buttons);
}

void CNewFolderDlg::AddGroups(QTreeWidgetItem* item, const CViewNode& node,
                              const CViewNode* selected) {
  for (CViewNode* child : ViewTreeRules::SortedChildren(node)) {
    if (!child->IsGroup()) continue;
    auto* childItem = new QTreeWidgetItem(item);
    childItem->setText(0, QString::fromStdString(child->Name()));
    childItem->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*child, false)));
    childItem->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(child)));
    if (child == selected) {
      location_->setCurrentItem(childItem);
      childItem->setExpanded(true);
      for (QTreeWidgetItem* up = item; up != nullptr; up = up->parent()) up->setExpanded(true);
    }
    AddGroups(childItem, *child, selected);
  }
}

void CNewFolderDlg::accept() {
  CViewNode* parent = NodeOf(location_->currentItem());
  if (parent == nullptr) parent = store_.Root();
  const int image = icons_->currentData().toInt() & 0xFFFF;
  created_ = actions_.CreateFolder(parent, name_->text().trimmed().toStdString(), image);
  if (created_ == nullptr) {
    name_->setFocus();
    return;  // the message was shown; the dialog stays
  }
  QDialog::accept();
}

}  // namespace views
