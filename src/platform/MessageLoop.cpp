#include "platform/MessageLoop.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/WindowMessages.h"

namespace platform {

MessageLoop::MessageLoop(Clock& clock, size_t capacity)
    : clock_(clock), capacity_(capacity), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

MessageLoop::~MessageLoop() {
  if (wakeFd_ >= 0) close(wakeFd_);
}

bool MessageLoop::PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) {
  if (id == WM_QUIT) return QueueQuit(static_cast<int>(wParam));
  bool wasEmpty = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (quitQueued_ || queue_.size() >= capacity_) return false;
    wasEmpty = queue_.empty();
    queue_.push_back(Message{id, wParam, lParam});
  }
  // The loop only blocks after it has seen the queue empty, so waking on the push into an empty
  // queue is enough; later pushes find the loop awake.
  if (wasEmpty) Wake();
  return true;
}

void MessageLoop::Quit(int code) {
  QueueQuit(code);
}

bool MessageLoop::QueueQuit(int code) {
  bool wasEmpty = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (quitQueued_) return false;  // the first quit wins, its code is already on its way
    quitQueued_ = true;
    wasEmpty = queue_.empty();
    // The quit bypasses the capacity: a full queue must still be able to end.
    queue_.push_back(Message{WM_QUIT, static_cast<intptr_t>(code), 0});
  }
  if (wasEmpty) Wake();
  return true;
}

void MessageLoop::SetHandler(Handler handler) {
  auto shared = handler ? std::make_shared<Handler>(std::move(handler)) : nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(shared);
}

void MessageLoop::SetTimer(uint32_t timerId, uint32_t ms) {
  const uint32_t now = clock_.TickCount();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers_[timerId] = Timer{std::max(ms, kMinTimerMs), now};
  }
  Wake();  // the loop may be blocked with a longer wait than the new timer allows
}

bool MessageLoop::KillTimer(uint32_t timerId) {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_.erase(timerId) != 0;
}

bool MessageLoop::WatchFd(int fd, short events, FdCallback callback) {
  if (fd < 0 || !callback) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    watches_[fd] = Watch{events, std::make_shared<FdCallback>(std::move(callback))};
  }
  Wake();  // a blocked loop must add the fd to its poll set
  return true;
}

bool MessageLoop::UnwatchFd(int fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  return watches_.erase(fd) != 0;
}

size_t MessageLoop::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

void MessageLoop::Wake() {
  const uint64_t one = 1;
  (void)!write(wakeFd_, &one, sizeof one);
}

void MessageLoop::DrainWake() {
  uint64_t value = 0;
  (void)!read(wakeFd_, &value, sizeof value);
}

MessageLoop::Popped MessageLoop::PopMessage(Message* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  return PopLocked(out);
}

MessageLoop::Popped MessageLoop::PopLocked(Message* out) {
  if (queue_.empty()) return Popped::None;
  *out = queue_.front();
  queue_.pop_front();
  if (out->id != WM_QUIT) return Popped::Message;
  exitCode_.store(static_cast<int>(out->wParam));
  quitReached_.store(true);
  return Popped::Quit;
}

void MessageLoop::Dispatch(const Message& message) {
  std::shared_ptr<Handler> handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handler = handler_;
  }
  if (handler) (*handler)(message);
}

// Dispatches WM_TIMER for the first timer that is due, and restarts its period from now.
bool MessageLoop::DispatchDueTimer(uint32_t now) {
  uint32_t due = 0;
  bool found = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [id, timer] : timers_) {
      if (Clock::Elapsed(timer.start, now) >= timer.interval) {
        timer.start = now;
        due = id;
        found = true;
        break;
      }
    }
  }
  if (found) Dispatch(Message{WM_TIMER, static_cast<intptr_t>(due), 0});
  return found;
}

int MessageLoop::MsUntilNextTimerLocked(uint32_t now) const {
  int64_t best = -1;
  for (const auto& [id, timer] : timers_) {
    const uint32_t elapsed = Clock::Elapsed(timer.start, now);
    const int64_t left = elapsed >= timer.interval ? 0 : int64_t{timer.interval} - elapsed;
    if (best < 0 || left < best) best = left;
  }
  return static_cast<int>(std::min<int64_t>(best, INT_MAX));
}

void MessageLoop::BuildPollSet(std::vector<pollfd>* fds) {
  std::lock_guard<std::mutex> lock(mutex_);
  BuildPollSetLocked(fds);
}

void MessageLoop::BuildPollSetLocked(std::vector<pollfd>* fds) const {
  fds->clear();
  fds->push_back(pollfd{wakeFd_, POLLIN, 0});
  for (const auto& [fd, watch] : watches_) fds->push_back(pollfd{fd, watch.events, 0});
}

// One look under the lock per turn: the next message, or else the time until the next timer
// (-1: none) and the poll set.
MessageLoop::Popped MessageLoop::NextTurn(uint32_t now, Message* out, int* msUntilTimer,
                                          std::vector<pollfd>* fds) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Popped popped = PopLocked(out);
  if (popped != Popped::None) return popped;
  *msUntilTimer = MsUntilNextTimerLocked(now);
  BuildPollSetLocked(fds);
  return Popped::None;
}

// Calls the watch of fd for revents; false when it was unwatched since the poll.
bool MessageLoop::CallWatch(const pollfd& ready) {
  std::shared_ptr<FdCallback> callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watches_.find(ready.fd);
    if (it == watches_.end()) return false;
    callback = it->second.callback;
    // A closed fd would report POLLNVAL for ever: tell once, then drop it.
    if (ready.revents & POLLNVAL) watches_.erase(it);
  }
  (*callback)(ready.fd, ready.revents);
  return true;
}

// Calls the watch of one ready fd, taking turns among the ready ones.
bool MessageLoop::DispatchReadyFd(const std::vector<pollfd>& fds) {
  const size_t watched = fds.size() - 1;
  for (size_t k = 0; k < watched; ++k) {
    const size_t index = (nextFdTurn_ + k) % watched;
    const pollfd& p = fds[1 + index];
    if (p.revents == 0) continue;
    nextFdTurn_ = index + 1;
    if (CallWatch(p)) return true;
  }
  return false;
}

MessageLoop::WaitResult MessageLoop::WaitOne(int timeoutMs) {
  if (quitReached_.load()) return WaitResult::Quit;
  const uint32_t start = clock_.TickCount();
  std::vector<pollfd> fds = std::move(spareFds_);
  spareFds_.clear();
  // Hands the storage back however the wait ends (a nested wait may have left its own there).
  struct GiveBack {
    std::vector<pollfd>& fds;
    std::vector<pollfd>& spare;
    ~GiveBack() {
      if (fds.capacity() > spare.capacity()) spare = std::move(fds);
    }
  } giveBack{fds, spareFds_};
  for (;;) {
    Message message;
    const uint32_t now = clock_.TickCount();
    int wait = -1;
    switch (NextTurn(now, &message, &wait, &fds)) {
      case Popped::Quit:
        return WaitResult::Quit;
      case Popped::Message:
        Dispatch(message);
        return WaitResult::Dispatched;
      case Popped::None:
        break;
    }
    if (timeoutMs >= 0) {
      const uint32_t elapsed = Clock::Elapsed(start, now);
      const int left = elapsed >= static_cast<uint32_t>(timeoutMs)
                           ? 0
                           : static_cast<int>(static_cast<uint32_t>(timeoutMs) - elapsed);
      wait = wait < 0 ? left : std::min(wait, left);
    }
    const int ready = clock_.Poll(fds.data(), fds.size(), wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitResult::TimedOut;  // poll itself failed (out of memory): give the caller control
    }
    if (fds[0].revents != 0) DrainWake();
    if (DispatchReadyFd(fds)) return WaitResult::Dispatched;
    const uint32_t after = clock_.TickCount();
    if (DispatchDueTimer(after)) return WaitResult::Dispatched;
    if (timeoutMs >= 0 && Clock::Elapsed(start, after) >= static_cast<uint32_t>(timeoutMs)) {
      return WaitResult::TimedOut;
    }
  }
}

bool MessageLoop::PumpPending() {
  if (quitReached_.load()) return false;
  // Only what was queued at entry, so that a handler that posts again cannot keep us here.
  size_t count = Pending();
  Message message;
  while (count-- > 0) {
    const Popped popped = PopMessage(&message);
    if (popped == Popped::Quit) return false;
    if (popped == Popped::None) break;
    Dispatch(message);
  }
  std::vector<pollfd> fds;
  BuildPollSet(&fds);
  if (fds.size() > 1 && ::poll(fds.data(), static_cast<nfds_t>(fds.size()), 0) > 0) {
    if (fds[0].revents != 0) DrainWake();
    for (size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents != 0) CallWatch(fds[i]);
    }
  }
  const uint32_t now = clock_.TickCount();
  // Each due timer once: DispatchDueTimer restarts the one it fires.
  size_t timers = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timers = timers_.size();
  }
  while (timers-- > 0 && DispatchDueTimer(now)) {
  }
  return !quitReached_.load();
}

int MessageLoop::Run() {
  while (WaitOne(-1) != WaitResult::Quit) {
  }
  return exitCode_.load();
}

}  // namespace platform
