// The About box (dialog 100): the program and company names, the company's picture and a link to
// its web address.
#pragma once

#include <QDialog>

#include "app/AboutBoxTexts.h"

namespace platform {
class Launcher;
}

namespace app {

class CAboutDlg : public QDialog {
 public:
  // launcher null: the process-wide one. A picture that cannot be read is left out.
  explicit CAboutDlg(const AboutBoxTexts& texts, platform::Launcher* launcher = nullptr,
                     QWidget* parent = nullptr);
};

}  // namespace app
