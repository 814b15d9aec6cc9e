// The "Reset Server" dialog: Reset, the restore list with a check box per line, Restore, Cancel
// and Help, over a controller that has read the device. It ends with 3014 after a reset, 3015
// after a restore, or Cancel; however it ends, the controller is closed (the device is asked
// again).
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace devices {

class ResetServerController;

class CResetServerDlg : public QDialog {
  Q_OBJECT

 public:
  CResetServerDlg(ResetServerController& controller, QWidget* parent = nullptr);
  ~CResetServerDlg() override;

  void done(int result) override;

  QListWidget* RestoreList() const { return list_; }
  QPushButton* ResetButton() const { return reset_; }
  QPushButton* RestoreButton() const { return restore_; }

 signals:
  void helpRequested();

 private:
  void OnReset();
  void OnRestore();

  ResetServerController& controller_;
  QListWidget* list_;
  QPushButton* reset_;
  QPushButton* restore_;
  bool closed_ = false;
};

}  // namespace devices
