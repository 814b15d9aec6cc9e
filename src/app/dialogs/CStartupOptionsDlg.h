// The start-up options dialog (114 "Options"): the two check boxes of StartupOptionsForm.
#pragma once

#include <QDialog>

#include "app/StartupOptionsForm.h"

class QCheckBox;

namespace app {

class CStartupOptionsDlg : public QDialog {
 public:
  explicit CStartupOptionsDlg(const StartupOptionsForm& form, QWidget* parent = nullptr);
  StartupOptionsForm Form() const;

  // Loads the form from settings, runs the dialog and saves on OK. False on Cancel, or when the
  // autostart entry could not be changed.
  static bool Run(QWidget* parent, Settings& settings, const std::string& programPath);

 private:
  QCheckBox* startWithSession_ = nullptr;
  QCheckBox* startMinimized_ = nullptr;
};

}  // namespace app
