// "Enter IP address" (dialog 109): the address for a device that has none (edit 1019). OK checks
// it (5003) and stays open after the message.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace platform {
class Prompt;
}

namespace app {

class CEnterIpAddressDlg : public QDialog {
 public:
  // prompt null: the process-wide one (for the "invalid address" box, captioned caption).
  explicit CEnterIpAddressDlg(QWidget* parent = nullptr, platform::Prompt* prompt = nullptr,
                              std::string caption = "Portolan");
  std::string Address() const;
  void accept() override;

  // Runs the dialog showing ip; on OK ip takes what was typed (blanks around it dropped).
  static bool Run(QWidget* parent, std::string& ip, const std::string& caption);

 private:
  platform::Prompt* prompt_;
  std::string caption_;
  QLineEdit* address_ = nullptr;
};

}  // namespace app
