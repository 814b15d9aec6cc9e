#include "devices/CInvalidCommunityDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "snmp/CSnmpManager.h"

namespace devices {

CInvalidCommunityDlg::CInvalidCommunityDlg(const std::string& message, bool offerIgnore,
                                           const std::string& community, QWidget* parent)
    : QDialog(parent) {
  setObjectName("CInvalidCommunityDlg");
  setWindowTitle(CommunityPrompt::kCaption);
  auto* text = new QLabel(QString::fromStdString(message));
  text->setWordWrap(true);
  field_ = new QLineEdit(QString::fromStdString(community));
  field_->setObjectName("community");
  field_->setMaxLength(static_cast<int>(snmp::CSnmpManager::kMaxCommunity));
  field_->setAccessibleName("Community name");
  text->setBuddy(field_);
  auto* note = new QLabel(CommunityPrompt::kNote);
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                       QDialogButtonBox::Ignore | QDialogButtonBox::Help);
  ignore_ = buttons->button(QDialogButtonBox::Ignore);
  ignore_->setVisible(offerIgnore);
  for (QAbstractButton* button : buttons->buttons()) button->setAccessibleName(button->text());
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ignore_, &QPushButton::clicked, this, [this] { done(CommunityPrompt::kIgnore); });
  connect(buttons, &QDialogButtonBox::helpRequested, this, &CInvalidCommunityDlg::helpRequested);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(field_);
  layout->addWidget(note);
  layout->addWidget(buttons);
}

std::string CInvalidCommunityDlg::Community() const {
  return field_->text().toStdString();
}

int QtCommunityPrompt::AskCommunity(const std::string& message, bool offerIgnore,
                                    std::string* community) {
  CInvalidCommunityDlg dialog(message, offerIgnore, *community, parent_);
  if (onHelp_) QObject::connect(&dialog, &CInvalidCommunityDlg::helpRequested, onHelp_);
  const int result = dialog.exec();
  if (result == QDialog::Accepted) {
    *community = dialog.Community();
    return kOk;
  }
  return result == kIgnore && offerIgnore ? kIgnore : kCancel;
}

}  // namespace devices
