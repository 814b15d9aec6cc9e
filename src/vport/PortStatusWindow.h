// The status window of one port (dialog 104): a thin face over PortStatusController. It shows the
// snapshots given to Apply; OK, Cancel, Escape and the close button only hide it.
#pragma once

#include <QDialog>
#include <functional>

#include "vport/PortStatusController.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vport {

class PortStatusWindow : public QDialog {
 public:
  PortStatusWindow(PortStatusController::PostToPort post, platform::Prompt& prompt,
                   platform::FileChooser& files, std::string caption,
                   std::function<void(unsigned)> help, QWidget* parent = nullptr);

  // A snapshot from the port: fields, log box, and shown or hidden as it says.
  void Apply(const PortStatusSnapshot& snapshot);

  const PortStatusController& Controller() const { return controller_; }

  void accept() override;
  void reject() override;

 private:
  void Build(const std::function<void(unsigned)>& help);
  void ShowFields();
  void HideWindow();

  PortStatusController controller_;
  QLabel* statusLabel_ = nullptr;
  QLineEdit* status_ = nullptr;
  QLineEdit* rx_ = nullptr;
  QLineEdit* tx_ = nullptr;
  QLineEdit* tcpPort_ = nullptr;
  QCheckBox* rfc2217_ = nullptr;
  QCheckBox* strictBaud_ = nullptr;
  QCheckBox* logging_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QPushButton* clear_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace vport
