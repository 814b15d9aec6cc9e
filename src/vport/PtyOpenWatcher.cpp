#include "vport/PtyOpenWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace vport {

int PtyOpenWatcher::Start(const std::string& slavePath) {
  Stop();
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return errno;
  if (inotify_add_watch(fd_, slavePath.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    const int rc = errno;
    Stop();
    return rc;
  }
  return 0;
}

void PtyOpenWatcher::Stop() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  count_ = 0;
}

void PtyOpenWatcher::Apply(int newCount, std::vector<bool>& transitions) {
  if (newCount < 0) newCount = 0;  // a close whose open was merged away or predates the watch
  if (count_ == 0 && newCount > 0) transitions.push_back(true);
  if (count_ > 0 && newCount == 0) transitions.push_back(false);
  count_ = newCount;
}

bool PtyOpenWatcher::Drain(std::vector<bool>& transitions) {
  if (fd_ < 0) return false;
  bool any = false;
  alignas(inotify_event) std::array<char, 4096> buf;
  for (;;) {
    const ssize_t n = read(fd_, buf.data(), buf.size());
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return any;
    }
    any = true;
    // Each record is a header and len name bytes; the kernel never splits one across reads.
    size_t offset = 0;
    while (offset + sizeof(inotify_event) <= static_cast<size_t>(n)) {
      inotify_event event;
      std::memcpy(&event, buf.data() + offset, sizeof event);
      offset += sizeof(inotify_event) + event.len;
      if (event.mask & IN_OPEN) Apply(count_ + 1, transitions);
      if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) Apply(count_ - 1, transitions);
    }
  }
}

void PtyOpenWatcher::Reconcile(int actualOpens, std::vector<bool>& transitions) {
  Apply(actualOpens, transitions);
}

}  // namespace vport
