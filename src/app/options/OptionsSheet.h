// The Qt face of the options sheet ("Options"): the Device Access, Timeouts, Status Icons and
// Miscellaneous tabs with OK, Cancel and Help. Showing a tab marks its page as shown, so that only
// the pages shown save. OK goes through the controller (COptionsPropertySheet::Ok); a refused
// timeout takes the user back to its edit.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/COptionsPropertySheet.h"

class QPushButton;
class QTabWidget;

namespace app {

class CTimeoutPage;

class OptionsSheet : public QDialog {
 public:
  using Help = std::function<void(unsigned topic)>;

  // environmentFlags: the network environment's flags (the protocols of Device Access); help
  // opens a help topic by number.
  OptionsSheet(COptionsPropertySheet& sheet, int environmentFlags, Help help,
               QWidget* parent = nullptr);

  // What OK did (saved is false until OK succeeded).
  const COptionsPropertySheet::Outcome& Result() const { return outcome_; }
  void accept() override;

 private:
  void ShowPage(int index);
  COptionsPropertySheet::Page PageAt(int index) const;

  COptionsPropertySheet& sheet_;
  Help help_;
  QTabWidget* tabs_ = nullptr;
  QPushButton* helpButton_ = nullptr;
  CTimeoutPage* timeouts_ = nullptr;
  COptionsPropertySheet::Outcome outcome_;
};

}  // namespace app
