#include "vport/CAddVirtualPortDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "vport/CVirtualPortAdvancedDlg.h"

namespace vport {

namespace {

QLineEdit* ShownText(const QString& text, const char* id, const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(id);
  edit->setAccessibleName(name);
  edit->setEnabled(false);  // shown, never read back
  return edit;
}

}  // namespace

CAddVirtualPortDlg::CAddVirtualPortDlg(AddVirtualPortForm& form, std::function<void(unsigned)> help,
                                       QWidget* parent)
    : QDialog(parent), form_(form), help_(std::move(help)) {
  form_.Open();
  setObjectName("106");
  setWindowTitle(QString::fromStdString(form_.Caption()));

  auto* fields = new QFormLayout;
  fields->addRow("Server IP address", ShownText(QString::fromStdString(form_.ServerIpText()),
                                                "1163", "Server IP address", this));
  fields->addRow("Server port number", ShownText(QString::fromStdString(form_.ServerPortText()),
                                                 "1165", "Server port number", this));
  ports_ = new QComboBox(this);
  ports_->setObjectName("1167");
  ports_->setAccessibleName("Virtual port name");
  for (const int n : form_.ListNumbers()) {
    ports_->addItem(QString::fromStdString(ComNumberSet::Text(n)), n);
  }
  ports_->setCurrentIndex(form_.InitialSelection());
  ports_->setEnabled(form_.ListEnabled());
  fields->addRow("Virtual port name", ports_);

  autoStart_ = new QCheckBox("Connect port when Portolan starts", this);
  autoStart_->setObjectName("1178");
  autoStart_->setChecked(form_.autoStart);
  autoStart_->setEnabled(form_.AutoStartEnabled());

  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  buttons->button(QDialogButtonBox::Ok)->setText(QString::fromStdString(form_.OkText()));
  QPushButton* advanced =
      ui::DialogButtons::Add(buttons, "Advanced...", "1198", QDialogButtonBox::ActionRole);
  QPushButton* helpButton =
      ui::DialogButtons::Add(buttons, "Help", "1124", QDialogButtonBox::HelpRole);
  connect(advanced, &QPushButton::clicked, this, [this] { OnAdvanced(); });
  connect(helpButton, &QPushButton::clicked, this, [this] {
    if (help_) help_(form_.HelpTopic());
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(autoStart_);
  layout->addWidget(buttons);
}

void CAddVirtualPortDlg::OnAdvanced() {
  VirtualPortAdvancedForm advanced = form_.AdvancedForm();
  CVirtualPortAdvancedDlg dialog(advanced, help_, this);
  const bool ok = dialog.exec() == QDialog::Accepted;
  form_.AdvancedClosed(advanced, ok);
}

void CAddVirtualPortDlg::accept() {
  form_.Accept(ports_->currentIndex(), autoStart_->isChecked());
  QDialog::accept();
}

}  // namespace vport
