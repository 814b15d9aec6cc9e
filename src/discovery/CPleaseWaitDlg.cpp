#include "discovery/CPleaseWaitDlg.h"

#include <algorithm>
#include <memory>

#include "discovery/PleaseWaitView.h"
#include "discovery/WaitPump.h"
#include "platform/SystemClock.h"
#include "res/StringTable.h"

namespace discovery {

CPleaseWaitDlg::CPleaseWaitDlg(bool background, platform::Clock& clock)
    : background_(background), clock_(clock) {
  wake_.Open();  // without it a wait is not cut short by Wake, but still ends at its time-out
}

CPleaseWaitDlg::CPleaseWaitDlg(bool background)
    : CPleaseWaitDlg(background, platform::SystemClock::Instance()) {}

CPleaseWaitDlg::~CPleaseWaitDlg() = default;

void CPleaseWaitDlg::Begin(void* owner, void* centre) {
  if (depth_++ == 0) {
    owner_ = owner;
    centre_ = centre;
    accumulatedWait_ = 0;
  }
  if (visible_ || background_) return;
  visible_ = true;
  if (view_ != nullptr) view_->Show(owner_, centre_ != nullptr ? centre_ : owner_);
}

void CPleaseWaitDlg::End() {
  depth_ = std::max(depth_ - 1, 0);
  if (depth_ > 0 || background_) return;
  if (visible_ && view_ != nullptr) view_->Hide(owner_);
  visible_ = false;
  owner_ = nullptr;
  centre_ = nullptr;
  ResetText();
}

void CPleaseWaitDlg::ResetText() {
  text_ = kDefaultText;
  textIsDefault_ = true;
  if (view_ != nullptr) view_->ShowText(text_);
}

int CPleaseWaitDlg::Wait(unsigned message, int timeoutMs) {
  awaited_ = message;
  arrived_ = false;
  cancelled_.store(false);
  const uint32_t timeout = static_cast<uint32_t>(std::max(timeoutMs, 0));
  const uint32_t start = clock_.TickCount();
  uint32_t elapsed = 0;
  bool shownHere = false;
  std::vector<pollfd> fds;
  for (;;) {
    // One pass: the thread's own events, what was posted to the window, the sockets ready now.
    if (pump_ != nullptr) pump_->PumpPending();
    DrainWake();
    DispatchMailbox();
    if (!arrived_) {
      fds.clear();
      for (const auto& [fd, watchedMessage] : watched_) {
        if (watchedMessage == awaited_) fds.push_back(pollfd{fd, POLLIN, 0});
      }
      if (!fds.empty() && clock_.Poll(fds.data(), fds.size(), 0) > 0) DispatchReadyFds(fds);
    }
    elapsed = platform::Clock::Elapsed(start, clock_.TickCount());
    const uint32_t before = depth_ > 0 ? accumulatedWait_ : 0;
    if (!background_ && !shownHere && elapsed + before > kShowAfterMs) {
      Begin(nullptr, nullptr);
      shownHere = true;
    }
    if (cancelled_.load() || arrived_ || elapsed >= timeout) break;

    uint32_t slice = timeout - elapsed;
    if (!background_ && !shownHere) slice = std::min(slice, kShowAfterMs + 1 - (elapsed + before));
    if (pump_ != nullptr && pump_->PumpFd() < 0) {
      slice = std::min(slice, static_cast<uint32_t>(kPumpSliceMs));
    }
    Block(&fds, static_cast<int>(slice));
  }
  if (shownHere) End();
  accumulatedWait_ += elapsed + kWaitOverheadMs;
  if (cancelled_.load()) return kWaitCancelled;
  if (arrived_) return static_cast<int>(message);
  return kWaitTimedOut;
}

// Blocks until the window is woken, the thread has events, an awaited socket turns readable or
// timeoutMs passes. fds holds the awaited sockets on entry.
int CPleaseWaitDlg::Block(std::vector<pollfd>* fds, int timeoutMs) {
  if (wake_.IsOpen()) fds->push_back(pollfd{wake_.Fd(), POLLIN, 0});
  if (pump_ != nullptr && pump_->PumpFd() >= 0) fds->push_back(pollfd{pump_->PumpFd(), POLLIN, 0});
  const int n = clock_.Poll(fds->data(), fds->size(), timeoutMs);
  fds->clear();
  return n;
}

void CPleaseWaitDlg::DispatchReadyFds(const std::vector<pollfd>& fds) {
  for (const pollfd& ready : fds) {
    if ((ready.revents & (POLLIN | POLLERR | POLLHUP)) == 0) continue;
    arrived_ = true;
    arrivedWParam_ = ready.fd;
    arrivedLParam_ = 1;  // a read event
    return;
  }
}

void CPleaseWaitDlg::DispatchMailbox() {
  std::deque<platform::Message> pending;
  {
    std::lock_guard<std::mutex> lock(mailboxMutex_);
    pending.swap(mailbox_);
  }
  for (const platform::Message& m : pending) {
    if (m.id == awaited_ && !arrived_) {
      arrived_ = true;
      arrivedWParam_ = m.wParam;
      arrivedLParam_ = m.lParam;
    }
    if ((m.id == kCommandMessage && (m.wParam & 0xFFFF) == kCancelId) || m.id == kCloseMessage) {
      cancelled_.store(true);
    }
  }
}

bool CPleaseWaitDlg::PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(mailboxMutex_);
    if (mailbox_.size() >= kMailboxLimit) return false;
    mailbox_.push_back(platform::Message{id, wParam, lParam});
  }
  Wake();
  return true;
}

void CPleaseWaitDlg::Cancel() {
  cancelled_.store(true);
  Wake();
}

int CPleaseWaitDlg::WatchFd(int fd, uint32_t message) {
  if (fd < 0) return EBADF;
  watched_[fd] = message;
  return 0;
}

void CPleaseWaitDlg::ForgetFd(int fd) {
  watched_.erase(fd);
}

void CPleaseWaitDlg::Wake() {
  wake_.Signal();
}

void CPleaseWaitDlg::DrainWake() {
  wake_.Drain();
}

void CPleaseWaitDlg::SetText(unsigned stringId, bool onlyIfDefault) {
  if (background_) {
    if (mainWindow_ != nullptr) mainWindow_->PostMessage(kProgressMessage, stringId, 0);
    return;
  }
  SetText(res::LoadString(stringId), onlyIfDefault);
}

void CPleaseWaitDlg::SetText(const std::string& text, bool onlyIfDefault) {
  if (background_) {
    if (mainWindow_ == nullptr) return;
    auto posted = std::make_unique<std::string>(text);
    if (mainWindow_->PostMessage(kProgressMessage, 0, reinterpret_cast<intptr_t>(posted.get()))) {
      posted.release();  // the receiver owns it now
    }
    return;
  }
  if (onlyIfDefault && !textIsDefault_) return;
  text_ = text;
  textIsDefault_ = false;
  if (view_ != nullptr) view_->ShowText(text_);
}

void CPleaseWaitDlg::SetPercent(int percent) {
  if (background_) return;
  percent = std::clamp(percent, 0, 100);
  if (percent == percent_) return;
  percent_ = percent;
  if (view_ != nullptr) view_->ShowPercent(percent_);
}

std::string CPleaseWaitDlg::TakePostedText(intptr_t lParam) {
  std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
  return text ? *text : std::string();
}

}  // namespace discovery
