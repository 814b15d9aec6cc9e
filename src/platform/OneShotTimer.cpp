#include "platform/OneShotTimer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int OneShotTimer::Open() {
  Close();
  fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  return fd_ >= 0 ? 0 : errno;
}

void OneShotTimer::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool OneShotTimer::Arm(uint32_t ms) const {
  if (ms == 0) ms = 1;  // zero would disarm it
  itimerspec when{};
  when.it_value.tv_sec = static_cast<time_t>(ms / 1000);
  when.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  return fd_ >= 0 && timerfd_settime(fd_, 0, &when, nullptr) == 0;
}

void OneShotTimer::Disarm() const {
  if (fd_ < 0) return;
  const itimerspec off{};
  timerfd_settime(fd_, 0, &off, nullptr);
  uint64_t expirations = 0;
  (void)!read(fd_, &expirations, sizeof expirations);
}

}  // namespace platform
