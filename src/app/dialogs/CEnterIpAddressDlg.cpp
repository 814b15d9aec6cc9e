#include "app/dialogs/CEnterIpAddressDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <utility>

#include "app/EnterIpAddressCommand.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "ui/DialogButtons.h"

namespace app {

CEnterIpAddressDlg::CEnterIpAddressDlg(QWidget* parent, platform::Prompt* prompt,
                                       std::string caption)
    : QDialog(parent), prompt_(prompt), caption_(std::move(caption)) {
  setObjectName(QString::number(EnterIpAddressCommand::kDialogId));
  setWindowTitle(tr("Enter IP address"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(EnterIpAddressCommand::kPrompt, this);
  label->setWordWrap(true);
  address_ = new QLineEdit(this);
  address_->setObjectName("1019");
  address_->setMaxLength(EnterIpAddressCommand::kAddressLength);
  address_->setAccessibleName(tr("New IP address"));
  address_->setAccessibleDescription(EnterIpAddressCommand::kPrompt);
  label->setBuddy(address_);
  layout->addWidget(label);
  layout->addWidget(address_);
  layout->addWidget(ui::DialogButtons::Make(this));
}

std::string CEnterIpAddressDlg::Address() const {
  return address_->text().trimmed().toStdString();
}

void CEnterIpAddressDlg::accept() {
  if (const unsigned refusal = EnterIpAddressCommand::Check(Address())) {
    platform::Prompt& prompt = prompt_ != nullptr ? *prompt_ : platform::CurrentPrompt();
    prompt.MessageBox(res::LoadString(refusal), caption_,
                      platform::MB_OK | platform::MB_ICONEXCLAMATION);
    address_->setFocus();
    address_->selectAll();
    return;
  }
  QDialog::accept();
}

bool CEnterIpAddressDlg::Run(QWidget* parent, std::string& ip, const std::string& caption) {
  CEnterIpAddressDlg dialog(parent, nullptr, caption);
  dialog.address_->setText(QString::fromStdString(ip));
  if (dialog.exec() != QDialog::Accepted) return false;
  ip = dialog.Address();
  return true;
}

}  // namespace app
