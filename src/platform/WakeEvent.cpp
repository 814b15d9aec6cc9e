#include "platform/WakeEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace platform {

int WakeEvent::Open() {
  Close();
  fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  return fd_ < 0 ? errno : 0;
}

void WakeEvent::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void WakeEvent::Signal(int fd) {
  if (fd < 0) return;
  const uint64_t one = 1;
  // Fails only when the counter is near overflow, and then the descriptor is readable anyway.
  while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void WakeEvent::Drain() const {
  if (fd_ < 0) return;
  uint64_t count = 0;
  while (read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
  }
}

}  // namespace platform
