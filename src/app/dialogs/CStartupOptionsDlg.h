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

  enum class Result { kCancelled, kSaved, kEntryNotChanged };
  // Loads the form from settings, runs the dialog and saves on OK. kEntryNotChanged: the flag was
  // saved, the autostart entry could not be written or removed.
  static Result Run(QWidget* parent, Settings& settings, const std::string& programPath);

 private:
  QCheckBox* startWithSession_ = nullptr;
  QCheckBox* startMinimized_ = nullptr;
};

}  // namespace app
