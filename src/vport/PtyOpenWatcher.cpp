#include "vport/PtyOpenWatcher.h"

#include <sys/inotify.h>

#include "platform/WakeEvent.h"

namespace vport {

int PtyOpenWatcher::Start(const std::string& slavePath, int wakeFd) {
  Stop();
  int error = 0;
  monitor_ = PtyOpenMonitor::Acquire(error);
  if (!monitor_) return error;
  wakeFd_ = wakeFd;
  const int id = monitor_->Add(slavePath, this);
  if (id < 0) {
    monitor_.reset();
    return -id;
  }
  watchId_ = id;
  return 0;
}

void PtyOpenWatcher::Stop() {
  if (monitor_) {
    monitor_->Remove(watchId_);  // no Notify after this
    monitor_.reset();
  }
  watchId_ = -1;
  count_ = 0;
  std::lock_guard lock(mutex_);
  noted_.clear();
  lost_ = false;
}

void PtyOpenWatcher::Notify(uint32_t mask) {
  {
    std::lock_guard lock(mutex_);
    if (mask & IN_Q_OVERFLOW) {
      lost_ = true;
    } else {
      noted_.push_back(mask);
    }
  }
  platform::WakeEvent::Signal(wakeFd_);
}

void PtyOpenWatcher::Apply(int newCount, std::vector<bool>& transitions) {
  if (newCount < 0) newCount = 0;  // a close whose open was merged away or predates the watch
  if (count_ == 0 && newCount > 0) transitions.push_back(true);
  if (count_ > 0 && newCount == 0) transitions.push_back(false);
  count_ = newCount;
}

bool PtyOpenWatcher::Drain(std::vector<bool>& transitions, bool catchUp) {
  if (!monitor_) return false;
  if (catchUp) monitor_->Pump();
  std::vector<uint32_t> masks;
  bool lost = false;
  {
    std::lock_guard lock(mutex_);
    masks.swap(noted_);
    lost = lost_;
    lost_ = false;
  }
  for (const uint32_t mask : masks) {
    if (mask & IN_OPEN) Apply(count_ + 1, transitions);
    if (mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) Apply(count_ - 1, transitions);
  }
  return lost || !masks.empty();
}

void PtyOpenWatcher::Reconcile(int actualOpens, std::vector<bool>& transitions) {
  Apply(actualOpens, transitions);
}

}  // namespace vport
