#include "app/options/CMiscPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>

#include "app/COptionsPropertySheet.h"
#include "app/MiscOptionsPage.h"

namespace app {

namespace {

QComboBox* Combo(const char* id, const char* name, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(id);
  combo->setAccessibleName(name);
  return combo;
}

void SelectData(QComboBox* combo, int value) {
  combo->setCurrentIndex(std::max(0, combo->findData(value)));
}

}  // namespace

CMiscPage::CMiscPage(COptionsPropertySheet& sheet, QWidget* parent)
    : QWidget(parent), page_(sheet.Misc()) {
  setObjectName("164");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  port_ = Combo("1017", "TCP/IP Discovery Port", this);
  for (const int port : page_.Ports()) port_->addItem(QString::number(port), port);
  SelectData(port_, page_.Port());
  form->addRow("&TCP/IP Discovery Port:", port_);

  doubleClick_ = Combo("1069", "Main List Double Click Behavior", this);
  doubleClick_->addItem("Show Current Status", 32774);
  doubleClick_->addItem("Show Current Configuration", 32772);
  doubleClick_->addItem("Show Configuration Wizard", 32799);
  for (int i = 0; i < doubleClick_->count(); ++i) {
    if (MiscOptionsPage::IsAvailable(doubleClick_->itemData(i).toInt())) continue;
    // Shown, so the choice is known, but not choosable until something stands behind it.
    auto* items = qobject_cast<QStandardItemModel*>(doubleClick_->model());
    if (items != nullptr) items->item(i)->setEnabled(false);
    doubleClick_->setItemData(i, MiscOptionsPage::kWizardUnavailable, Qt::ToolTipRole);
  }
  SelectData(doubleClick_, page_.DoubleClick());
  form->addRow("Main List &Double Click Behavior:", doubleClick_);

  refresh_ = Combo("1070", "When Opening a View", this);
  refresh_->addItem("Refresh the First Time View Opens", 0);
  refresh_->addItem("Refresh Every Time View Opens", 1);
  SelectData(refresh_, page_.RefreshAlways() ? 1 : 0);
  form->addRow("&When Opening a View:", refresh_);

  auto* preferred = Combo("preferredProtocol", "Preferred Protocol", this);
  preferred->setEnabled(false);
  form->addRow("Preferred &Protocol:", preferred);
  layout->addLayout(form);
  auto* warnings = new QCheckBox("Disable TCP/IP Warnings", this);
  warnings->setObjectName("1037");
  warnings->setEnabled(false);
  layout->addWidget(warnings);
  layout->addStretch();

  connect(port_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.SetPort(port_->itemData(index).toInt()); });
  connect(doubleClick_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.SetDoubleClick(doubleClick_->itemData(index).toInt()); });
  connect(refresh_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.SetRefreshAlways(refresh_->itemData(index).toInt() != 0); });
}

}  // namespace app
