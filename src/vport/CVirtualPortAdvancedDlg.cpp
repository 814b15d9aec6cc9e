#include "vport/CVirtualPortAdvancedDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace vport {

CVirtualPortAdvancedDlg::CVirtualPortAdvancedDlg(VirtualPortAdvancedForm& form,
                                                 std::function<void(unsigned)> help,
                                                 QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("190");
  setWindowTitle("Advanced");
  auto* layout = new QVBoxLayout(this);
  rfc2217_ = new QCheckBox("Use RFC 2217 protocol", this);
  rfc2217_->setObjectName("1168");
  rfc2217_->setChecked(form.rfc2217);
  rfc2217_->setEnabled(form.BoxesEnabled());
  strictBaud_ = new QCheckBox("Use strict baudrate emulation", this);
  strictBaud_->setObjectName("1188");
  strictBaud_->setChecked(form.strictBaud);
  strictBaud_->setEnabled(form.BoxesEnabled());
  layout->addWidget(rfc2217_);
  layout->addWidget(strictBaud_);

  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "Help", "1197", QDialogButtonBox::HelpRole);
  connect(helpButton, &QPushButton::clicked, this, [this, help] {
    if (help) help(form_.HelpTopic());
  });
  layout->addWidget(buttons);
}

void CVirtualPortAdvancedDlg::accept() {
  form_.Accept(rfc2217_->isChecked(), strictBaud_->isChecked());
  QDialog::accept();
}

}  // namespace vport
