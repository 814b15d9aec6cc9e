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

// A registration's data: the fd, and the key of the watch that made it.
uint64_t DataOf(int fd, uint32_t key) {
  return uint64_t{key} << 32 | static_cast<uint32_t>(fd);
}
int FdOf(const epoll_event& event) {
  return static_cast<int>(static_cast<uint32_t>(event.data.u64));
}
uint32_t KeyOf(const epoll_event& event) {
  return static_cast<uint32_t>(event.data.u64 >> 32);
}
short ReventsOf(const epoll_event& event) {
  return static_cast<short>(event.events & 0xffffu);
}

void SortByFd(epoll_event* events, int count) {
  std::sort(events, events + count,
            [](const epoll_event& a, const epoll_event& b) { return FdOf(a) < FdOf(b); });
}

}  // namespace

MessageLoop::MessageLoop(Clock& clock, size_t capacity)
    : clock_(clock),
      capacity_(capacity),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      epollFd_(epoll_create1(EPOLL_CLOEXEC)) {
  if (wakeFd_ >= 0 && epollFd_ >= 0) Register(EPOLL_CTL_ADD, wakeFd_, POLLIN, 0);
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
  uint32_t key = it != watches_.end() ? it->second.key : 0;
  if (!AddToWaitLocked(fd, events, &key)) {
    if (it != watches_.end()) watches_.erase(it);  // closed behind our back: nothing to keep
    return false;
  }
  watches_[fd] = Watch{events, key, std::make_shared<FdCallback>(std::move(callback))};
  return true;
}

bool MessageLoop::UnwatchFd(int fd) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (watches_.erase(fd) == 0) return false;
  epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);  // fails harmlessly for an fd closed already
  return true;
}

bool MessageLoop::Register(int op, int fd, short events, uint32_t key) const {
  epoll_event event{};
  event.events = static_cast<unsigned short>(events);  // poll's bits have epoll's values
  event.data.u64 = DataOf(fd, key);
  return epoll_ctl(epollFd_, op, fd, &event) == 0;
}

// Changes the events of a watched fd's registration (*key), or adds fd under a fresh key: it is
// new, or was closed and its number reused since. A fresh key tells the new registration's events
// from those of an old one that the kernel keeps while a copy of the closed fd lives on.
bool MessageLoop::AddToWaitLocked(int fd, short events, uint32_t* key) {
  if (epollFd_ < 0) return false;
  if (*key != 0 && Register(EPOLL_CTL_MOD, fd, events, *key)) return true;
  if (++lastKey_ == 0) lastKey_ = 1;  // 0 is the wake fd's
  const bool added = Register(EPOLL_CTL_ADD, fd, events, lastKey_) ||
                     (errno == EEXIST && Register(EPOLL_CTL_MOD, fd, events, lastKey_));
  if (added) *key = lastKey_;
  return added;
}

// The set reported a registration that no watch owns: an fd closed without being unwatched while
// a copy of it lived on (in a child between fork and exec, say). The kernel keeps such a
// registration, and it can no longer be removed by number; level-triggered, it would keep the
// loop busy. A new set holds only what is watched (and drops what was closed meanwhile).
void MessageLoop::RebuildWait() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int fresh = epoll_create1(EPOLL_CLOEXEC);
  if (fresh < 0) return;  // out of descriptors: try again on the next turn
  stale_ = false;
  close(epollFd_);
  epollFd_ = fresh;
  Register(EPOLL_CTL_ADD, wakeFd_, POLLIN, 0);
  for (auto it = watches_.begin(); it != watches_.end();) {
    const bool added = Register(EPOLL_CTL_ADD, it->first, it->second.events, it->second.key);
    it = added ? std::next(it) : watches_.erase(it);
  }
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
    if (FdOf(events[i]) != wakeFd_ || KeyOf(events[i]) != 0) continue;
    DrainWake();
    events[i] = events[count - 1];
    return count - 1;
  }
  return count;
}

// Calls the watch that made the registration that is ready; false when there is none (it was
// unwatched since the wait, or the registration is stale).
bool MessageLoop::CallWatch(const epoll_event& ready) {
  const int fd = FdOf(ready);
  std::shared_ptr<FdCallback> callback;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watches_.find(fd);
    if (it == watches_.end() || it->second.key != KeyOf(ready)) {
      stale_ = true;  // or unwatched since the wait: a rebuild is harmless then
      return false;
    }
    callback = it->second.callback;
  }
  (*callback)(fd, ReventsOf(ready));
  return true;
}

// Calls the watch of one ready fd, taking turns among the ready ones in the order of their fds.
bool MessageLoop::DispatchReadyFd(epoll_event* events, int count) {
  SortByFd(events, count);
  const int start = static_cast<int>(
      std::partition_point(events, events + count,
                           [this](const epoll_event& e) { return FdOf(e) <= lastFdTurn_; }) -
      events);
  bool called = false;
  for (int k = 0; k < count && !called; ++k) {
    const epoll_event& ready = events[(start + k) % count];
    lastFdTurn_ = FdOf(ready);
    called = CallWatch(ready);
  }
  if (stale_) RebuildWait();
  return called;
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
    for (int i = 0; i < watched; ++i) CallWatch(events[i]);
    if (stale_) RebuildWait();
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
