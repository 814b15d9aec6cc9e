#include "app/dialogs/CStartupOptionsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"

namespace app {

CStartupOptionsDlg::CStartupOptionsDlg(const StartupOptionsForm& form, QWidget* parent)
    : QDialog(parent) {
  setObjectName("114");
  setWindowTitle("Options");
  auto* layout = new QVBoxLayout(this);
  // Checked: the autostart entry starts the program with the desktop session.
  startWithSession_ = new QCheckBox("&Start when Windows starts", this);
  startWithSession_->setObjectName("1195");
  startWithSession_->setChecked(form.startWithSession);
  startMinimized_ = new QCheckBox("Start &Minimized", this);
  startMinimized_->setObjectName("1196");
  startMinimized_->setChecked(form.startMinimized);
  layout->addWidget(startWithSession_);
  layout->addWidget(startMinimized_);
  QDialogButtonBox* buttons = ui::DialogButtons::Make(this);
  layout->addWidget(buttons);
}

StartupOptionsForm CStartupOptionsDlg::Form() const {
  StartupOptionsForm form;
  form.startWithSession = startWithSession_->isChecked();
  form.startMinimized = startMinimized_->isChecked();
  return form;
}

CStartupOptionsDlg::Result CStartupOptionsDlg::Run(QWidget* parent, Settings& settings,
                                                   const std::string& programPath) {
  StartupOptionsForm form;
  form.Load(settings);
  CStartupOptionsDlg dialog(form, parent);
  if (dialog.exec() != QDialog::Accepted) return Result::kCancelled;
  return dialog.Form().Save(settings, programPath) ? Result::kSaved : Result::kEntryNotChanged;
}

}  // namespace app
