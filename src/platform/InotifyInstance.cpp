#include "platform/InotifyInstance.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform {

int InotifyInstance::Open() {
  Close();
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  return fd_ < 0 ? errno : 0;
}

void InotifyInstance::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

int InotifyInstance::AddWatch(const std::string& path, uint32_t mask) {
  const int id = inotify_add_watch(fd_, path.c_str(), mask);
  return id < 0 ? -errno : id;
}

void InotifyInstance::RemoveWatch(int watch) {
  inotify_rm_watch(fd_, watch);
}

void InotifyInstance::ReadQueued(const EventHandler& handle) {
  alignas(inotify_event) std::array<uint8_t, 4096> buf;
  for (;;) {
    const ssize_t n = read(fd_, buf.data(), buf.size());
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;
    }
    ParseEvents(buf.data(), static_cast<size_t>(n), handle);
  }
}

void InotifyInstance::ParseEvents(const uint8_t* bytes, size_t size, const EventHandler& handle) {
  // Each record is a header and len name bytes.
  size_t offset = 0;
  while (size - offset >= sizeof(inotify_event)) {
    inotify_event event;
    std::memcpy(&event, bytes + offset, sizeof event);
    if (event.len > size - offset - sizeof event) return;
    offset += sizeof event + event.len;
    handle((event.mask & IN_Q_OVERFLOW) != 0 ? -1 : event.wd, event.mask);
  }
}

}  // namespace platform
