// The real clock: CLOCK_MONOTONIC, so that changes of the wall clock do not disturb time-outs.
#pragma once

#include "platform/Clock.h"

namespace platform {

class SystemClock : public Clock {
 public:
  // The process-wide instance, the default clock of message loops.
  static SystemClock& Instance();

  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  int Poll(pollfd* fds, size_t count, int timeoutMs) override;
  int WaitEpoll(int epollFd, epoll_event* events, int maxEvents, int timeoutMs) override;
};

}  // namespace platform
