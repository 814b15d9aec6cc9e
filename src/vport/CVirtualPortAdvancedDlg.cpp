#include "vport/CVirtualPortAdvancedDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompt.h"
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
  // Data size, parity and stop bits the device needs, whatever the application sets.
  auto* lineRow = new QFormLayout();
  line_ = new QLineEdit(QString::fromStdString(form.lineText), this);
  line_->setObjectName("LineSettings");
  line_->setPlaceholderText("as the application sets it");
  line_->setToolTip(QString("Fixed data bits, parity and stop bits for the device, e.g. 7E1 (%1)")
                        .arg(LineSettings::AcceptedForms()));
  line_->setAccessibleName("Line settings");
  line_->setMaxLength(8);
  line_->setReadOnly(!form.BoxesEnabled());
  auto* lineLabel = new QLabel("&Line settings:", this);
  lineLabel->setBuddy(line_);
  lineRow->addRow(lineLabel, line_);
  layout->addLayout(lineRow);

  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "Help", "1197", QDialogButtonBox::HelpRole);
  connect(helpButton, &QPushButton::clicked, this, [this, help] {
    if (help) help(form_.HelpTopic());
  });
  layout->addWidget(buttons);
}

void CVirtualPortAdvancedDlg::accept() {
  const std::string line = line_->text().toStdString();
  if (!form_.Accept(rfc2217_->isChecked(), strictBaud_->isChecked(), line)) {
    platform::CurrentPrompt().MessageBox(VirtualPortAdvancedForm::LineErrorText(line),
                                         windowTitle().toStdString(), platform::MB_OK);
    line_->setFocus();
    line_->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace vport
