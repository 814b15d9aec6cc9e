#include "app/dialogs/CSearchDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace app {

CSearchDlg::CSearchDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("115");
  setWindowTitle("Search");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("Enter an IP Address to find:", this);
  address_ = new QLineEdit(this);
  address_->setObjectName("1031");
  address_->setMaxLength(kAddressLength);
  address_->setAccessibleName("IP Address to find");
  label->setBuddy(address_);
  layout->addWidget(label);
  layout->addWidget(address_);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  layout->addWidget(buttons);
}

std::string CSearchDlg::Address() const {
  return address_->text().trimmed().toStdString();
}

bool CSearchDlg::Run(QWidget* parent, std::string& address) {
  CSearchDlg dialog(parent);
  dialog.address_->setText(QString::fromStdString(address));
  if (dialog.exec() != QDialog::Accepted) return false;
  address = dialog.Address();
  return true;
}

}  // namespace app
