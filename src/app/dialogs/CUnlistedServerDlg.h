// "Setup Unlisted IP Server" (dialog 116): serial number, new address, where to send the request,
// and whether to send it by multicast. Shown again with what was typed after a failure.
#pragma once

#include <QDialog>

#include "app/AddressSearchCommands.h"

class QCheckBox;
class QLineEdit;

namespace app {

class CUnlistedServerDlg : public QDialog {
 public:
  explicit CUnlistedServerDlg(const UnlistedServerForm& form, QWidget* parent = nullptr);
  UnlistedServerForm Form() const;

  // Runs the dialog over form; on OK (its "Next" button) form takes the fields.
  static bool Run(QWidget* parent, UnlistedServerForm& form);

 private:
  QLineEdit* serial_ = nullptr;
  QLineEdit* ip_ = nullptr;
  QLineEdit* sendTo_ = nullptr;
  QCheckBox* multicast_ = nullptr;
};

}  // namespace app
