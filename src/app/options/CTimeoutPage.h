// The Timeouts page (165): the six edits (1045, 1046, 1050, 1047, 1048, 1049) and "Set To
// &Defaults" (1054), a thin face over TimeoutsPage. The values are checked on OK, by the sheet.
#pragma once

#include <QWidget>
#include <array>

#include "app/TimeoutsPage.h"

class QLineEdit;

namespace app {

class COptionsPropertySheet;

class CTimeoutPage : public QWidget {
 public:
  explicit CTimeoutPage(COptionsPropertySheet& sheet, QWidget* parent = nullptr);

  // The edit of a field, to take the user back to a refused value.
  QLineEdit* Edit(TimeoutsPage::Field field) const;

 private:
  void Fill();

  TimeoutsPage& page_;
  std::array<QLineEdit*, TimeoutsPage::kFieldCount> edits_{};
};

}  // namespace app
