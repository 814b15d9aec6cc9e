// The Search dialog (115): the address to find.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace app {

class CSearchDlg : public QDialog {
 public:
  static constexpr int kAddressLength = 15;  // a dotted IPv4 address at most

  explicit CSearchDlg(QWidget* parent = nullptr);
  std::string Address() const;

  // Runs the dialog showing address; on OK address takes what was typed (blanks around it
  // dropped).
  static bool Run(QWidget* parent, std::string& address);

 private:
  QLineEdit* address_ = nullptr;
};

}  // namespace app
