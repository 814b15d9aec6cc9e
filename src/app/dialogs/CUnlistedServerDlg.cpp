#include "app/dialogs/CUnlistedServerDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace app {

namespace {

QLineEdit* Field(const std::string& text, const char* id, const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(text), parent);
  edit->setObjectName(id);
  edit->setAccessibleName(name);
  return edit;
}

}  // namespace

CUnlistedServerDlg::CUnlistedServerDlg(const UnlistedServerForm& form, QWidget* parent)
    : QDialog(parent) {
  setObjectName("116");
  setWindowTitle("Setup Unlisted IP Server");
  auto* fields = new QFormLayout;
  serial_ = Field(form.serialNumber, "1032", "Serial number", this);
  ip_ = Field(form.ipAddress, "1033", "IP address", this);
  sendTo_ = Field(form.sendAddress, "1034", "Send address", this);
  fields->addRow("Serial number", serial_);
  fields->addRow("IP address", ip_);
  fields->addRow("Send address", sendTo_);
  multicast_ = new QCheckBox("Use &Multicast", this);
  multicast_->setObjectName("1039");
  multicast_->setChecked(form.multicast);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this, QDialogButtonBox::Cancel);
  QPushButton* next =
      ui::DialogButtons::Add(buttons, "&Next", "1036", QDialogButtonBox::AcceptRole);
  next->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(multicast_);
  layout->addWidget(buttons);
}

UnlistedServerForm CUnlistedServerDlg::Form() const {
  UnlistedServerForm form;
  form.serialNumber = serial_->text().trimmed().toStdString();
  form.ipAddress = ip_->text().trimmed().toStdString();
  form.sendAddress = sendTo_->text().trimmed().toStdString();
  form.multicast = multicast_->isChecked();
  return form;
}

bool CUnlistedServerDlg::Run(QWidget* parent, UnlistedServerForm& form) {
  CUnlistedServerDlg dialog(form, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  form = dialog.Form();
  return true;
}

}  // namespace app
