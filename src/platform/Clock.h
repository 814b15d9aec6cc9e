// Time as the loops and waits see it: a millisecond tick count that wraps like a 32-bit counter,
// sleeping, and the blocking wait of a message loop. Behind an interface so that tests run threads
// and time-outs on virtual time (FakeClock) instead of sleeping.
#pragma once

#include <poll.h>
#include <sys/epoll.h>

#include <cstddef>
#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds since an arbitrary start; wraps after 2^32 ms (about 49.7 days).
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // poll(2) over fds: timeoutMs < 0 waits without limit, 0 only looks. Returns the number of fds
  // with events, 0 on time-out, -1 with errno on failure (EINTR included).
  virtual int Poll(pollfd* fds, size_t count, int timeoutMs) = 0;
  // epoll_wait(2) on epollFd, with Poll's time-out and result. By default a Poll of epollFd
  // itself and then a look at its events, so that a clock that fakes Poll fakes this too.
  virtual int WaitEpoll(int epollFd, epoll_event* events, int maxEvents, int timeoutMs) {
    pollfd p{epollFd, POLLIN, 0};
    const int ready = Poll(&p, 1, timeoutMs);
    return ready <= 0 ? ready : epoll_wait(epollFd, events, maxEvents, 0);
  }

  // Milliseconds from start to now, allowing for one wrap of the tick count.
  static uint32_t Elapsed(uint32_t start, uint32_t now) { return now - start; }
};

}  // namespace platform
