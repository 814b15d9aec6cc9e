#include "vport/CDeleteVirtualPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace vport {

CDeleteVirtualPortDlg::CDeleteVirtualPortDlg(DeleteVirtualPortForm& form,
                                             std::function<void(unsigned)> help, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("112");
  setWindowTitle("Delete Virtual COM Port");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("Virtual Port Name:", this);
  ports_ = new QComboBox(this);
  ports_->setObjectName("1184");
  label->setBuddy(ports_);
  ports_->setAccessibleName("Virtual Port Name");
  for (const int n : form_.ListNumbers()) {
    ports_->addItem(QString::fromStdString(ComNumberSet::Text(n)), n);
  }
  ports_->setCurrentIndex(form_.InitialSelection());
  layout->addWidget(label);
  layout->addWidget(ports_);

  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  buttons->button(QDialogButtonBox::Ok)->setText("Delete");
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "Help", "1187", QDialogButtonBox::HelpRole);
  connect(helpButton, &QPushButton::clicked, this, [help] {
    if (help) help(DeleteVirtualPortForm::kHelpTopic);
  });
  layout->addWidget(buttons);
}

void CDeleteVirtualPortDlg::accept() {
  form_.Accept(ports_->currentIndex());
  QDialog::accept();
}

}  // namespace vport
