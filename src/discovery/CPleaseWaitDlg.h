// The please-wait window and its wait loop. A wait ends when the awaited message reaches the
// window (posted to it, or a watched socket turning readable, which stands for the socket
// notification), when the time-out passes, or when the user cancels.
//
// Foreground instances show their view once a wait (plus what earlier waits of the same Begin
// took) lasts longer than 300 ms. Background instances never show anything: their progress texts
// go to the main window as posted 0x8010 messages.
//
// Threads: Begin, End, Wait, SetText and SetPercent belong to the thread that waits. Cancel and
// PostMessage may come from any thread; they wake a blocked Wait at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/DeviceWait.h"
#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/MessagePoster.h"
#include "platform/WakeEvent.h"
#include "snmp/SnmpWaitWindow.h"

namespace discovery {

class PleaseWaitView;
class WaitPump;

class CPleaseWaitDlg : public DeviceWait,
                       public snmp::SnmpWaitWindow,
                       public platform::MessagePoster {
 public:
  using DeviceWait::kWaitCancelled;
  using DeviceWait::kWaitTimedOut;

  static constexpr uint32_t kShowAfterMs = 300;
  static constexpr uint32_t kWaitOverheadMs = 20;  // counted per Wait into the accumulated wait
  static constexpr uint32_t kProgressMessage = 0x8010;
  static constexpr int kPumpSliceMs = 10;
  static constexpr uint32_t kCancelId = 2;             // IDCANCEL, the Cancel button
  static constexpr uint32_t kCommandMessage = 0x0111;  // WM_COMMAND
  static constexpr uint32_t kCloseMessage = 0x0010;    // WM_CLOSE
  static constexpr size_t kMailboxLimit = 256;
  static constexpr const char* kDefaultText = "Please wait...";

  CPleaseWaitDlg(bool background, platform::Clock& clock);
  explicit CPleaseWaitDlg(bool background);
  ~CPleaseWaitDlg() override;
  CPleaseWaitDlg(const CPleaseWaitDlg&) = delete;
  CPleaseWaitDlg& operator=(const CPleaseWaitDlg&) = delete;

  // Where background texts go (not owned; null drops them).
  void SetMainWindow(platform::MessagePoster* mainWindow) { mainWindow_ = mainWindow; }
  void SetView(PleaseWaitView* view) { view_ = view; }
  void SetPump(WaitPump* pump) { pump_ = pump; }

  void Begin(void* owner = nullptr, void* centre = nullptr);
  void End();
  // kWaitCancelled, message when it arrived, or kWaitTimedOut. A wait of 0 ms still takes in
  // what is pending once.
  int Wait(unsigned message, int timeoutMs) override;

  void SetText(unsigned stringId) override { SetText(stringId, false); }
  void SetText(unsigned stringId, bool onlyIfDefault);
  void SetText(const std::string& text, bool onlyIfDefault);
  void SetPercent(int percent);

  // The Cancel button (also an IDCANCEL command or a close posted to the window).
  void Cancel();

  // Socket readiness: DeviceWait's sockets stand for message 1101, the request layer's for its own.
  int Watch(int socket) override { return WatchFd(socket, kSocketMessage); }
  void Forget(int socket) override { ForgetFd(socket); }
  int WatchFd(int fd, uint32_t message) override;
  void ForgetFd(int fd) override;
  platform::MessagePoster* Poster() override { return this; }
  snmp::SnmpWaitWindow* SnmpWait() override { return this; }

  // The window procedure's side: messages reach the window from any thread; the one awaited ends
  // the wait. False when the mailbox is full.
  bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) override;

  bool IsBackground() const { return background_; }
  int Depth() const { return depth_; }
  bool IsVisible() const { return visible_; }
  bool IsCancelled() const { return cancelled_.load(); }
  uint32_t AccumulatedWait() const { return accumulatedWait_; }
  int Percent() const { return percent_; }
  const std::string& Text() const { return text_; }
  bool TextIsDefault() const { return textIsDefault_; }
  intptr_t ArrivedWParam() const { return arrivedWParam_; }
  intptr_t ArrivedLParam() const { return arrivedLParam_; }

  // A literal text posted as 0x8010 travels as a heap string in lParam; the receiver takes it
  // with this (null lParam gives an empty text).
  static std::string TakePostedText(intptr_t lParam);

 private:
  void DispatchMailbox();
  void DispatchReadyFds(const std::vector<pollfd>& fds);
  int Block(std::vector<pollfd>* fds, int timeoutMs);
  void Wake();
  void DrainWake();
  void ResetText();

  const bool background_;
  platform::Clock& clock_;
  platform::MessagePoster* mainWindow_ = nullptr;
  PleaseWaitView* view_ = nullptr;
  WaitPump* pump_ = nullptr;
  platform::WakeEvent wake_;

  int depth_ = 0;
  bool visible_ = false;
  void* owner_ = nullptr;
  void* centre_ = nullptr;
  uint32_t accumulatedWait_ = 0;
  int percent_ = 0;
  std::string text_ = kDefaultText;
  bool textIsDefault_ = true;

  unsigned awaited_ = 0;
  bool arrived_ = false;
  intptr_t arrivedWParam_ = 0;
  intptr_t arrivedLParam_ = 0;
  std::atomic<bool> cancelled_{false};

  std::map<int, uint32_t> watched_;  // fd -> the message its readiness stands for

  std::mutex mailboxMutex_;
  std::deque<platform::Message> mailbox_;
};

}  // namespace discovery
