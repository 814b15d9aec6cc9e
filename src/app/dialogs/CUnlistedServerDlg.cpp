#include "app/dialogs/CUnlistedServerDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "discovery/DiscoveryMessages.h"
#include "discovery/DiscoveryRequest.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "ui/DialogButtons.h"

namespace app {

namespace {

constexpr const char* kMulticastText = "multicast";

QLineEdit* Field(const std::string& text, const char* id, const char* name, int length,
                 QWidget* parent) {
  auto* edit = new QLineEdit(QString::fromStdString(text), parent);
  edit->setObjectName(id);
  edit->setAccessibleName(name);
  edit->setMaxLength(length);
  return edit;
}

}  // namespace

CUnlistedServerDlg::CUnlistedServerDlg(const UnlistedServerForm& form, QWidget* parent,
                                       platform::Prompt* prompt, std::string caption)
    : QDialog(parent), prompt_(prompt), caption_(std::move(caption)) {
  setObjectName("116");
  setWindowTitle("Setup Unlisted IP Server");
  auto* fields = new QFormLayout;
  serial_ = Field(form.serialNumber, "1032", "Serial Number", kSerialLength, this);
  ip_ = Field(form.ipAddress, "1033", "IP Address", kAddressLength, this);
  fields->addRow("Serial Number:", serial_);
  fields->addRow("IP Address:", ip_);

  lower_ = new QWidget(this);
  auto* lowerFields = new QFormLayout(lower_);
  lowerFields->setContentsMargins(0, 0, 0, 0);
  sendTo_ = Field(form.sendAddress, "1034", "Send address", kAddressLength, lower_);
  lowerFields->addRow("Send to:", sendTo_);
  multicast_ = new QCheckBox("Use &Multicast", lower_);
  multicast_->setObjectName("1039");
  lowerFields->addRow(multicast_);
  connect(multicast_, &QCheckBox::toggled, this, [this](bool on) { SetMulticast(on); });

  QDialogButtonBox* buttons =
      ui::DialogButtons::Make(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  next_ = ui::DialogButtons::Add(buttons, "&Next", "1036", QDialogButtonBox::ActionRole);
  connect(next_, &QPushButton::clicked, this, [this] { Next(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(lower_);
  layout->addWidget(buttons);

  // Shown again after a failure, the dialog opens in full, as it was left.
  if (!form.sendAddress.empty() || form.multicast) {
    ShowFullForm();
    multicast_->setChecked(form.multicast);
  } else {
    lower_->hide();
    ok_->hide();
    next_->setDefault(true);
  }
}

void CUnlistedServerDlg::Next() {
  const std::string ip = ip_->text().trimmed().toStdString();
  if (!discovery::ParseStrictAddress(ip)) {
    platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
    prompt.MessageBox(res::LoadString(discovery::kMsgBadIpAddress), caption_,
                      platform::MB_OK | platform::MB_ICONEXCLAMATION);
    ip_->setFocus();
    return;
  }
  // The subnet's broadcast address, as a class C network has it.
  const QString proposed = QString::fromStdString(ip.substr(0, ip.rfind('.'))) + ".255";
  if (multicast_->isChecked()) {
    typedSendTo_ = proposed;
  } else {
    sendTo_->setText(proposed);
  }
  ShowFullForm();
}

void CUnlistedServerDlg::ShowFullForm() {
  lower_->show();
  next_->hide();
  ok_->show();
  ok_->setDefault(true);
  adjustSize();
}

void CUnlistedServerDlg::SetMulticast(bool on) {
  if (on) {
    typedSendTo_ = sendTo_->text();
    sendTo_->setText(kMulticastText);
  } else {
    sendTo_->setText(typedSendTo_);
  }
  sendTo_->setEnabled(!on);
}

UnlistedServerForm CUnlistedServerDlg::Form() const {
  UnlistedServerForm form;
  form.serialNumber = serial_->text().trimmed().toStdString();
  form.ipAddress = ip_->text().trimmed().toStdString();
  form.multicast = multicast_->isChecked();
  const QString sendTo = form.multicast ? typedSendTo_ : sendTo_->text();
  form.sendAddress = sendTo.trimmed().toStdString();
  return form;
}

bool CUnlistedServerDlg::Run(QWidget* parent, UnlistedServerForm& form,
                             const std::string& caption) {
  CUnlistedServerDlg dialog(form, parent, nullptr, caption);
  if (dialog.exec() != QDialog::Accepted) return false;
  form = dialog.Form();
  return true;
}

}  // namespace app
