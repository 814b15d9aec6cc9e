// A discovery engine's own wait window: a background please-wait window, which shows nothing and
// posts its progress texts to the main window as 0x8010.
#pragma once

#include "discovery/CPleaseWaitDlg.h"
#include "discovery/SearchWait.h"

namespace discovery {

class BackgroundSearchWait : public SearchWait {
 public:
  explicit BackgroundSearchWait(platform::MessagePoster* mainWindow);
  BackgroundSearchWait(platform::MessagePoster* mainWindow, platform::Clock& clock);

  int Watch(int socket) override { return dialog_.Watch(socket); }
  void Forget(int socket) override { dialog_.Forget(socket); }
  int Wait(unsigned message, int timeoutMs) override { return dialog_.Wait(message, timeoutMs); }
  void SetText(unsigned stringId) override { dialog_.SetText(stringId); }
  void SetProgressText(const std::string& text) override { dialog_.SetText(text, false); }
  void Begin() override { dialog_.Begin(); }
  void End() override { dialog_.End(); }
  void Cancel() override { dialog_.Cancel(); }
  snmp::SnmpWaitWindow* SnmpWait() override { return &dialog_; }

  CPleaseWaitDlg& Dialog() { return dialog_; }

 private:
  CPleaseWaitDlg dialog_;
};

}  // namespace discovery
