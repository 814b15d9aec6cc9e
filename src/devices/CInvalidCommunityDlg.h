// The "Invalid Community Name" dialog: the check's message, the community in a field of at most
// 31 characters, the note about the options, and OK, Cancel, Ignore (when offered) and Help.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>

#include "devices/CommunityPrompt.h"

class QLineEdit;
class QPushButton;

namespace devices {

class CInvalidCommunityDlg : public QDialog {
  Q_OBJECT

 public:
  CInvalidCommunityDlg(const std::string& message, bool offerIgnore, const std::string& community,
                       QWidget* parent = nullptr);

  std::string Community() const;
  QPushButton* IgnoreButton() const { return ignore_; }

 signals:
  void helpRequested();

 private:
  QLineEdit* field_;
  QPushButton* ignore_;
};

// The desktop program's community prompt: the dialog above, modal; its Help button calls onHelp.
class QtCommunityPrompt : public CommunityPrompt {
 public:
  explicit QtCommunityPrompt(QWidget* parent = nullptr, std::function<void()> onHelp = {})
      : parent_(parent), onHelp_(std::move(onHelp)) {}
  int AskCommunity(const std::string& message, bool offerIgnore, std::string* community) override;

 private:
  QWidget* parent_;
  std::function<void()> onHelp_;
};

}  // namespace devices
