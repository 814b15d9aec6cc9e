#include "vport/PtyOpenMonitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace vport {

namespace {

std::mutex sharedMutex;
std::weak_ptr<PtyOpenMonitor>& Shared() {
  static std::weak_ptr<PtyOpenMonitor> shared;
  return shared;
}
std::atomic<int> instances{0};

}  // namespace

std::shared_ptr<PtyOpenMonitor> PtyOpenMonitor::Acquire(int& error) {
  std::lock_guard lock(sharedMutex);
  if (auto monitor = Shared().lock()) return monitor;
  const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  const int stopFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (stopFd < 0) {
    error = errno;
    close(fd);
    return nullptr;
  }
  std::shared_ptr<PtyOpenMonitor> monitor(new PtyOpenMonitor(fd, stopFd));
  try {
    monitor->thread_ = std::thread(&PtyOpenMonitor::Run, monitor.get());
  } catch (const std::system_error& e) {
    error = e.code().value() != 0 ? e.code().value() : EAGAIN;
    return nullptr;
  }
  Shared() = monitor;
  return monitor;
}

int PtyOpenMonitor::InstancesInUse() {
  return instances.load();
}

PtyOpenMonitor::PtyOpenMonitor(int inotifyFd, int stopFd) : fd_(inotifyFd), stopFd_(stopFd) {
  instances.fetch_add(1);
}

PtyOpenMonitor::~PtyOpenMonitor() {
  if (thread_.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(stopFd_, &one, sizeof one);
    thread_.join();
  }
  close(stopFd_);
  close(fd_);
  instances.fetch_sub(1);
}

int PtyOpenMonitor::Add(const std::string& path, Listener* listener) {
  std::lock_guard lock(mutex_);
  const int id = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
  if (id < 0) return -errno;
  listeners_[id] = listener;
  return id;
}

void PtyOpenMonitor::Remove(int watchId) {
  std::lock_guard lock(mutex_);
  // The node may be gone already (its watch with it); the id is dropped either way, so that a
  // late notification of it reaches nobody.
  inotify_rm_watch(fd_, watchId);
  listeners_.erase(watchId);
}

void PtyOpenMonitor::Pump() {
  std::lock_guard lock(mutex_);
  PumpLocked();
}

void PtyOpenMonitor::PumpLocked() {
  alignas(inotify_event) std::array<char, 4096> buf;
  for (;;) {
    const ssize_t n = read(fd_, buf.data(), buf.size());
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;
    }
    // Each record is a header and len name bytes; the kernel never splits one across reads.
    size_t offset = 0;
    while (offset + sizeof(inotify_event) <= static_cast<size_t>(n)) {
      inotify_event event;
      std::memcpy(&event, buf.data() + offset, sizeof event);
      offset += sizeof(inotify_event) + event.len;
      if (event.mask & IN_Q_OVERFLOW) {
        for (const auto& [id, listener] : listeners_) listener->Notify(IN_Q_OVERFLOW);
        continue;
      }
      const auto it = listeners_.find(event.wd);
      if (it != listeners_.end()) it->second->Notify(event.mask);
    }
  }
}

void PtyOpenMonitor::Run() {
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents != 0) Pump();
  }
}

}  // namespace vport
