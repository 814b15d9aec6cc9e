#include "platform/SystemClock.h"

#include <cerrno>
#include <ctime>

namespace platform {

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

uint32_t SystemClock::TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);  // wraps like the 32-bit tick count callers expect
}

void SystemClock::Sleep(uint32_t ms) {
  timespec rest{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
  // A signal must not cut the sleep short.
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

int SystemClock::Poll(pollfd* fds, size_t count, int timeoutMs) {
  return ::poll(fds, static_cast<nfds_t>(count), timeoutMs < 0 ? -1 : timeoutMs);
}

int SystemClock::WaitEpoll(int epollFd, epoll_event* events, int maxEvents, int timeoutMs) {
  return ::epoll_wait(epollFd, events, maxEvents, timeoutMs < 0 ? -1 : timeoutMs);
}

}  // namespace platform
