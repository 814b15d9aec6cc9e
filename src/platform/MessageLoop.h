// A thread's message loop: a queue of posted Messages, periodic timers (WM_TIMER) and file
// descriptor watches, waiting in epoll on an eventfd and the watched descriptors, so that an idle
// loop costs nothing and a wait does not register every descriptor anew.
//
// Any thread may post, quit, set timers and watch fds; one thread at a time runs the loop (Run,
// WaitOne or PumpPending), and every handler and callback runs on that thread, with no lock held,
// so handlers may post, set timers and watch fds themselves.
//
// Order: posted messages are dispatched in the order they were posted (per poster, and overall);
// they go before fd events, which go before timers. Quit is itself queued: messages posted before
// it are still dispatched, nothing is dispatched after it.
#pragma once

#include <poll.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/MessagePoster.h"
#include "platform/SystemClock.h"

namespace platform {

class MessageLoop : public MessagePoster {
 public:
  using Handler = std::function<void(const Message&)>;
  using FdCallback = std::function<void(int fd, short revents)>;

  enum class WaitResult { Dispatched, TimedOut, Quit };

  static constexpr size_t kDefaultCapacity = 1u << 20;
  // Shorter intervals are raised to this, so that a zero interval cannot make the loop spin.
  static constexpr uint32_t kMinTimerMs = 10;

  explicit MessageLoop(Clock& clock = SystemClock::Instance(), size_t capacity = kDefaultCapacity);
  ~MessageLoop() override;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  // False once a quit is queued (the message could never be dispatched), or when capacity
  // messages are already waiting. Posting WM_QUIT is the same as Quit(wParam).
  bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) override;
  // Receives every posted message and every WM_TIMER. Without a handler they are dropped.
  void SetHandler(Handler handler);

  // Starts (or restarts) timer timerId: WM_TIMER with wParam = timerId every ms milliseconds.
  // Expirations missed while the loop was busy fold into one message.
  void SetTimer(uint32_t timerId, uint32_t ms);
  bool KillTimer(uint32_t timerId);  // false when no such timer runs

  // Calls callback(fd, revents) on the loop thread while fd shows any of events (level triggered:
  // the callback must read, or unwatch). Watching an fd again replaces its watch. False for an fd
  // that cannot be waited on: negative, closed, or a regular file (which never blocks). Unwatch
  // an fd before closing it: the kernel drops a closed descriptor from the wait by itself, and
  // the loop then neither reports nor learns of it.
  bool WatchFd(int fd, short events, FdCallback callback);
  bool UnwatchFd(int fd);  // false when fd was not watched

  // Dispatches until the quit is reached; returns its exit code.
  int Run();
  // Queues the quit with exit code; callable from any thread. Later quits are ignored.
  void Quit(int code = 0);
  // Dispatches what is pending and due now without blocking: the messages queued at entry, the
  // fds ready now, the timers due now. False once the quit has been reached.
  bool PumpPending();
  // Blocks until one message, fd event or timer is dispatched (Dispatched), timeoutMs passes
  // (TimedOut; timeoutMs < 0 waits without limit), or the quit is reached (Quit).
  WaitResult WaitOne(int timeoutMs);

  bool QuitReached() const { return quitReached_.load(); }
  int ExitCode() const { return exitCode_.load(); }
  // Messages waiting in the queue.
  size_t Pending() const;

 private:
  struct Timer {
    uint32_t interval = 0;
    uint32_t start = 0;  // tick of the last expiry (or of SetTimer)
  };
  struct Watch {
    short events = 0;
    uint32_t key = 0;  // of its registration in the set, given when it was added
    std::shared_ptr<FdCallback> callback;
  };
  static constexpr int kMaxEvents = 32;  // per wait; the rest come with the next (level triggered)
  enum class Popped { None, Message, Quit };

  Popped PopMessage(Message* out);
  Popped PopLocked(Message* out);
  Popped NextTurn(uint32_t now, Message* out, int* msUntilTimer);
  void Dispatch(const Message& message);
  bool DispatchDueTimer(uint32_t now);
  int MsUntilNextTimerLocked(uint32_t now) const;
  bool Register(int op, int fd, short events, uint32_t key) const;
  bool AddToWaitLocked(int fd, short events, uint32_t* key);
  void RebuildWait();
  int TakeWake(epoll_event* events, int count);
  bool DispatchReadyFd(epoll_event* events, int count);
  bool CallWatch(const epoll_event& ready);
  bool QueueQuit(int code);
  void DrainWake();
  void Wake();

  Clock& clock_;
  const size_t capacity_;
  int wakeFd_ = -1;
  int epollFd_ = -1;  // the wake fd (key 0) and every watched fd under its watch's key

  mutable std::mutex mutex_;
  std::deque<Message> queue_;
  bool quitQueued_ = false;
  std::shared_ptr<Handler> handler_;
  std::map<uint32_t, Timer> timers_;
  std::map<int, Watch> watches_;
  uint32_t lastKey_ = 0;
  bool stale_ = false;   // a registration no watch owns reported (loop thread only)
  int lastFdTurn_ = -1;  // the fd dispatched last: the next turn starts after it, so that one
                         // busy fd cannot starve the others

  std::atomic<bool> quitReached_{false};
  std::atomic<int> exitCode_{0};
};

}  // namespace platform
