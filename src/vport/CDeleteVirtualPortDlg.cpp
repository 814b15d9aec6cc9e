#include "vport/CDeleteVirtualPortDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

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

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setObjectName("1");
  ok->setText("Delete");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
  QPushButton* helpButton = buttons->addButton("Help", QDialogButtonBox::HelpRole);
  helpButton->setObjectName("1187");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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
