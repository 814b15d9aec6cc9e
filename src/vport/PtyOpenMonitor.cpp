#include "vport/PtyOpenMonitor.h"

#include <poll.h>
#include <sys/inotify.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/SystemClock.h"

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
  std::shared_ptr<PtyOpenMonitor> monitor(new PtyOpenMonitor());
  error = monitor->inotify_.Open();
  if (error == 0) error = monitor->stop_.Open();
  if (error != 0) return nullptr;
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

PtyOpenMonitor::PtyOpenMonitor() {
  instances.fetch_add(1);
}

PtyOpenMonitor::~PtyOpenMonitor() {
  if (thread_.joinable()) {
    stop_.Signal();
    thread_.join();
  }
  instances.fetch_sub(1);
}

int PtyOpenMonitor::Add(const std::string& path, Listener* listener) {
  std::lock_guard lock(mutex_);
  const int id = inotify_.AddWatch(path, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
  if (id < 0) return id;
  listeners_[id] = listener;
  return id;
}

void PtyOpenMonitor::Remove(int watchId) {
  std::lock_guard lock(mutex_);
  // The node may be gone already (its watch with it); the id is dropped either way, so that a
  // late notification of it reaches nobody.
  inotify_.RemoveWatch(watchId);
  listeners_.erase(watchId);
}

void PtyOpenMonitor::Pump() {
  std::lock_guard lock(mutex_);
  PumpLocked();
}

void PtyOpenMonitor::Deliver(int watch, uint32_t mask) {
  std::lock_guard lock(mutex_);
  DeliverLocked(watch, mask);
}

void PtyOpenMonitor::PumpLocked() {
  inotify_.ReadQueued([this](int watch, uint32_t mask) { DeliverLocked(watch, mask); });
}

void PtyOpenMonitor::DeliverLocked(int watch, uint32_t mask) {
  if (mask & IN_Q_OVERFLOW) {
    for (const auto& [id, listener] : listeners_) listener->Notify(IN_Q_OVERFLOW);
    return;
  }
  const auto it = listeners_.find(watch);
  if (it != listeners_.end()) it->second->Notify(mask);
}

void PtyOpenMonitor::Run() {
  platform::Clock& clock = platform::SystemClock::Instance();
  for (;;) {
    pollfd fds[2] = {{inotify_.Fd(), POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
    if (clock.Poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents != 0) Pump();
  }
}

}  // namespace vport
