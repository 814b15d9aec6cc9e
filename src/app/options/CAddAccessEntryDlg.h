// "Add an Access Entry" (108): one address or address pattern. OK hands the typed text (without
// surrounding blanks) to the page, which either takes it (the dialog closes) or has shown why not
// (the dialog stays, with the text selected for another try).
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace app {

class CAddAccessEntryDlg : public QDialog {
 public:
  // prompt: the text above the edit (TCP/IP or NetWare). take: true when the address was taken.
  CAddAccessEntryDlg(const std::string& prompt, std::function<bool(const std::string&)> take,
                     QWidget* parent = nullptr);

  std::string Address() const;
  void accept() override;

 private:
  std::function<bool(const std::string&)> take_;
  QLineEdit* address_ = nullptr;
};

}  // namespace app
