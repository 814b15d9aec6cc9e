// "Specify a Device" (dialog 3708): one search entry for a TCP/IP view. The five choices as radio
// buttons, one field whose label follows the choice, and "..." to choose an address list file.
// OK checks the text through SearchTargetForm and stays open after the refusal's message.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "discovery/SearchTargetForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace views {

class CSearchTargetDlg : public QDialog {
 public:
  // folder: where the address list file is proposed, ending in "/".
  explicit CSearchTargetDlg(const std::string& folder, QWidget* parent = nullptr);

  // The entry made on OK.
  const std::string& Entry() const { return entry_; }
  const discovery::SearchTargetForm& Form() const { return form_; }

  void accept() override;

  // Runs the dialog; the entry, or empty when cancelled.
  static std::string Run(QWidget* parent);

 private:
  void Choose(discovery::SearchTargetForm::Choice choice);
  void Browse();

  discovery::SearchTargetForm form_;
  std::array<QRadioButton*, discovery::SearchTargetForm::kChoiceCount> choices_{};
  QLabel* label_ = nullptr;
  QLineEdit* text_ = nullptr;
  QPushButton* browse_ = nullptr;
  std::string entry_;
};

}  // namespace views
