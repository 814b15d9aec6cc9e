#include "platform/MessageLoop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/WindowMessages.h"

namespace platform {
namespace {

short ReventsOf(const epoll_event& event) {
  return static_cast<short>(event.events & 0xffffu);
}

void SortByFd(epoll_event* events, int count) {
  std::sort(events, events + count,
            [](const epoll_event& a, const epoll_event& b) { return a.data.fd < b.data.fd; });
}

}  // namespace

MessageLoop::MessageLoop(Clock& clock, size_t capacity)
    : clock_(clock),
      capacity_(capacity),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      epollFd_(epoll_create1(EPOLL_CLOEXEC)) {
  if (wakeFd_ >= 0 && epollFd_ >= 0) AddToWaitLocked(wakeFd_, POLLIN, false);
}

MessageLoop::~MessageLoop() {
  if (epollFd_ >= 0) close(epollFd_);
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

// A blocked wait takes a new or changed watch at once: no wake-up is needed.
bool MessageLoop::WatchFd(int fd, short events, FdCallback callback) {
  if (fd < 0 || fd == wakeFd_ || !callback) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = watches_.find(fd);
  if (!AddToWaitLocked(fd, events, it != watches_.end())) {
    if (it != watches_.end()) watches_.erase(it);  // closed behind our back: nothing to keep
    return false;
  }
  watches_[fd] = Watch{events, std::make_shared<FdCallback>(std::move(callback))};
  return true;
}

bool MessageLoop::UnwatchFd(int fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (watches_.erase(fd) == 0) return false;
  epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);  // fails harmlessly for an fd closed already
  return true;
}

// Adds fd to the wait, or changes its events when known. A known fd may have been closed and its
// number reused since (the kernel dropped the old one), an unknown one is new: either way the
// other operation is tried next.
bool MessageLoop::AddToWaitLocked(int fd, short events, bool known) {
  if (epollFd_ < 0) return false;
  epoll_event event{};
  event.events = static_cast<unsigned short>(events);  // poll's bits have epoll's values
  event.data.fd = fd;
  int op = known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD;
  if (epoll_ctl(epollFd_, op, fd, &event) == 0) return true;
  if (errno == ENOENT && op == EPOLL_CTL_MOD) {
    op = EPOLL_CTL_ADD;
  } else if (errno == EEXIST && op == EPOLL_CTL_ADD) {
    op = EPOLL_CTL_MOD;
  } else {
    return false;
  }
  return epoll_ctl(epollFd_, op, fd, &event) == 0;
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

// One look under the lock per turn: the next message, or else the time until the next timer
// (-1: none).
MessageLoop::Popped MessageLoop::NextTurn(uint32_t now, Message* out, int* msUntilTimer) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Popped popped = PopLocked(out);
  if (popped != Popped::None) return popped;
  *msUntilTimer = MsUntilNextTimerLocked(now);
  return Popped::None;
}

// Drains the wake fd if it is among the events, and takes it out of them; returns the count left.
int MessageLoop::TakeWake(epoll_event* events, int count) {
  for (int i = 0; i < count; ++i) {
    if (events[i].data.fd != wakeFd_) continue;
    DrainWake();
    events[i] = events[count - 1];
    return count - 1;
  }
  return count;
}

// Calls the watch of fd for revents; false when it was unwatched since the wait.
bool MessageLoop::CallWatch(int fd, short revents) {
  std::shared_ptr<FdCallback> callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watches_.find(fd);
    if (it == watches_.end()) return false;
    callback = it->second.callback;
  }
  (*callback)(fd, revents);
  return true;
}

// Calls the watch of one ready fd, taking turns among the ready ones in the order of their fds.
bool MessageLoop::DispatchReadyFd(epoll_event* events, int count) {
  SortByFd(events, count);
  const int start = static_cast<int>(
      std::partition_point(events, events + count,
                           [this](const epoll_event& e) { return e.data.fd <= lastFdTurn_; }) -
      events);
  for (int k = 0; k < count; ++k) {
    const epoll_event& ready = events[(start + k) % count];
    lastFdTurn_ = ready.data.fd;
    if (CallWatch(ready.data.fd, ReventsOf(ready))) return true;
  }
  return false;
}

MessageLoop::WaitResult MessageLoop::WaitOne(int timeoutMs) {
  if (quitReached_.load()) return WaitResult::Quit;
  const uint32_t start = clock_.TickCount();
  epoll_event events[kMaxEvents];
  for (;;) {
    Message message;
    const uint32_t now = clock_.TickCount();
    int wait = -1;
    switch (NextTurn(now, &message, &wait)) {
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
    const int ready = epollFd_ >= 0 ? clock_.WaitEpoll(epollFd_, events, kMaxEvents, wait)
                                    : clock_.Poll(nullptr, 0, wait);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return WaitResult::TimedOut;  // the wait itself failed: give the caller control
    }
    if (DispatchReadyFd(events, TakeWake(events, ready))) return WaitResult::Dispatched;
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
  epoll_event events[kMaxEvents];
  const int ready = epollFd_ >= 0 ? epoll_wait(epollFd_, events, kMaxEvents, 0) : 0;
  if (ready > 0) {
    const int watched = TakeWake(events, ready);
    SortByFd(events, watched);
    for (int i = 0; i < watched; ++i) CallWatch(events[i].data.fd, ReventsOf(events[i]));
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
