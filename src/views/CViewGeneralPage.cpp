#include "views/CViewGeneralPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/BrandingInfo.h"
#include "platform/Prompt.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CNewFolderDlg.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"
#include "views/TreeImages.h"
#include "views/ViewTreeActions.h"
#include "views/ViewTreeRules.h"

namespace views {

namespace {

constexpr int kNodeRole = Qt::UserRole;

}  // namespace

CViewGeneralPage::CViewGeneralPage(CCustomizeViewPropSheet& sheet, CViewStore& store,
                                   QWidget* parent)
    : ViewSheetPage(parent), sheet_(sheet), store_(store), model_(sheet) {
  setObjectName("3745");
  setWindowTitle("General");
  auto* form = new QFormLayout(this);
  protocol_ = new QLabel(this);
  form->addRow("View Protocol:", protocol_);
  image_ = new QComboBox(this);
  image_->setObjectName("viewIcon");
  image_->setAccessibleName("View Tree Icon");
  form->addRow("View Tree &Icon:", image_);
  location_ = new QTreeWidget(this);
  location_->setObjectName("viewLocation");
  location_->setAccessibleName("View Location");
  location_->setHeaderHidden(true);
  form->addRow("View &Location:", location_);
  auto* newFolder = new QPushButton("New &Folder", this);
  newFolder->setObjectName("newFolder");
  form->addRow("", newFolder);
  auto* refreshRow = new QHBoxLayout;
  refresh_ = new QCheckBox("Automatic Refresh:", this);
  refresh_->setObjectName("autoRefresh");
  minutes_ = new QLineEdit(this);
  minutes_->setObjectName("3787");
  minutes_->setAccessibleName("Automatic refresh in minutes");
  refreshRow->addWidget(refresh_);
  refreshRow->addWidget(minutes_);
  refreshRow->addWidget(new QLabel("minutes", this));
  form->addRow(refreshRow);
  connect(newFolder, &QPushButton::clicked, this, [this] { NewFolder(); });
  connect(refresh_, &QCheckBox::toggled, minutes_, &QLineEdit::setEnabled);
  connect(minutes_, &QLineEdit::textEdited, this, [this] { minutesEdited_ = true; });
  Reload();
}

void CViewGeneralPage::Reload() {
  protocol_->setText(QString::fromStdString(model_.ProtocolText()));
  image_->clear();
  for (const int image : model_.Images()) {
    image_->addItem(TreeImage(image), TreeImageName(image), image);
  }
  image_->setCurrentIndex(image_->findData(model_.SelectedImage()));
  FillTree(model_.SelectedParent());
  refresh_->setChecked(model_.RefreshOn());
  minutes_->setEnabled(model_.RefreshOn());
  minutes_->setText(QString::fromStdString(model_.RefreshMinutesText()));
  minutesEdited_ = false;
}

void CViewGeneralPage::FillTree(CViewNode* select) {
  location_->clear();
  auto* root = new QTreeWidgetItem(location_, {QString::fromStdString(store_.Root()->Name())});
  root->setData(0, kNodeRole, QVariant::fromValue<void*>(store_.Root()));
  root->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*store_.Root(), true)));
  if (select == store_.Root() || select == nullptr) location_->setCurrentItem(root);
  AddGroups(store_.Root(), root, select);
  location_->expandAll();
}

void CViewGeneralPage::AddGroups(CViewNode* node, QTreeWidgetItem* item, CViewNode* select) {
  for (CViewNode* child : node->Children()) {
    if (!child->IsGroup()) continue;
    auto* childItem = new QTreeWidgetItem(item, {QString::fromStdString(child->Name())});
    childItem->setData(0, kNodeRole, QVariant::fromValue<void*>(child));
    childItem->setIcon(0, TreeImage(ViewTreeRules::ImageOf(*child, true)));
    if (child == select) location_->setCurrentItem(childItem);
    AddGroups(child, childItem, select);
  }
}

CViewNode* CViewGeneralPage::SelectedGroup() const {
  const QTreeWidgetItem* item = location_->currentItem();
  if (item == nullptr) return store_.Root();
  return static_cast<CViewNode*>(item->data(0, kNodeRole).value<void*>());
}

void CViewGeneralPage::NewFolder() {
  ViewTreeActions actions(store_, platform::CurrentPrompt(), app::ProgramCaption());
  CNewFolderDlg dialog(store_, actions, SelectedGroup(), this);
  if (dialog.exec() != QDialog::Accepted || dialog.Created() == nullptr) return;
  FillTree(dialog.Created());
}

bool CViewGeneralPage::Apply() {
  std::string refusal;
  if (!model_.Apply(refresh_->isChecked(), minutesEdited_, minutes_->text().toStdString(),
                    image_->currentData().toInt(), SelectedGroup(), &refusal)) {
    ShowRefusal(refusal);
    return false;
  }
  return true;
}

}  // namespace views
