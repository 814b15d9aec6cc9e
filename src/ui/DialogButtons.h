// The button row of a dialog: the standard buttons with their control ids as object names (OK 1,
// Cancel 2), wired to the dialog's accept and reject.
#pragma once

#include <QDialogButtonBox>

class QDialog;

namespace ui {

class DialogButtons {
 public:
  static QDialogButtonBox* Make(
      QDialog* dialog,
      QDialogButtonBox::StandardButtons buttons = QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  // A further button with its control id, in the given role.
  static QPushButton* Add(QDialogButtonBox* box, const char* text, const char* id,
                          QDialogButtonBox::ButtonRole role);
};

}  // namespace ui
