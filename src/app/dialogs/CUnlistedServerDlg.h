// "Setup Unlisted IP Server" (dialog 116): serial number and new address; "Next" checks the address
// and shows where to send the request (its subnet's broadcast address proposed) and whether to send
// it by multicast. Shown again with what was typed after a failure, then at once in full.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "app/AddressSearchCommands.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace platform {
class Prompt;
}

namespace app {

class CUnlistedServerDlg : public QDialog {
 public:
  static constexpr int kSerialLength = 8;
  static constexpr int kAddressLength = 15;

  // prompt null: the process-wide one (for the "invalid address" box, captioned caption).
  explicit CUnlistedServerDlg(const UnlistedServerForm& form, QWidget* parent = nullptr,
                              platform::Prompt* prompt = nullptr, std::string caption = "Portolan");
  UnlistedServerForm Form() const;

  // Runs the dialog over form; on OK form takes the fields.
  static bool Run(QWidget* parent, UnlistedServerForm& form, const std::string& caption);

 private:
  void Next();
  void ShowFullForm();
  void SetMulticast(bool on);

  platform::Prompt* prompt_;
  std::string caption_;
  QLineEdit* serial_ = nullptr;
  QLineEdit* ip_ = nullptr;
  QLineEdit* sendTo_ = nullptr;
  QCheckBox* multicast_ = nullptr;
  QWidget* lower_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* ok_ = nullptr;
  QString typedSendTo_;  // kept while the field shows "multicast"
};

}  // namespace app
