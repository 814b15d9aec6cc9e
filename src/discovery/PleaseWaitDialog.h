// The Qt face of a foreground please-wait window (dialog 5006): the progress text (5007) with the
// percentage drawn as a bar behind it, and Cancel (2), which cancels the wait instead of closing
// the window. It also keeps the GUI thread's events flowing while a wait runs on it.
#pragma once

#include <QDialog>
#include <QPointer>

#include "discovery/PleaseWaitView.h"
#include "discovery/WaitPump.h"

class QPushButton;

namespace discovery {

class CPleaseWaitDlg;

class PleaseWaitDialog : public QDialog, public PleaseWaitView, public WaitPump {
  Q_OBJECT

 public:
  // Connects itself to dialog (view and pump); mainWindow is the owner when Begin names none.
  PleaseWaitDialog(CPleaseWaitDlg& dialog, QWidget* mainWindow);
  ~PleaseWaitDialog() override;

  void Show(void* owner, void* centre) override;
  void Hide(void* owner) override;
  void ShowText(const std::string& text) override;
  void ShowPercent(int percent) override;
  void PumpPending() override;

  QString Text() const;
  int Percent() const;

 protected:
  void reject() override;  // Esc and the window's close button cancel; the window stays
  void closeEvent(QCloseEvent* event) override;

 private:
  class ProgressText;
  CPleaseWaitDlg& dialog_;
  QPointer<QWidget> mainWindow_;
  QPointer<QWidget> disabledOwner_;
  ProgressText* text_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace discovery
