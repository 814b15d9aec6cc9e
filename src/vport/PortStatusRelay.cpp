#include "vport/PortStatusRelay.h"

namespace vport {

PortStatusRelay::PortStatusRelay(platform::MessagePoster& poster, PortObserver* next)
    : poster_(poster), next_(next) {}

void PortStatusRelay::PortCreated(const std::string& comName, const std::string& linkPath) {
  if (next_ != nullptr) next_->PortCreated(comName, linkPath);
}

void PortStatusRelay::PortRemoved(const std::string& comName) {
  if (next_ != nullptr) next_->PortRemoved(comName);
}

void PortStatusRelay::StateChanged(const std::string& comName, const std::string& statusText) {
  if (next_ != nullptr) next_->StateChanged(comName, statusText);
}

void PortStatusRelay::LogText(const std::string& comName, const std::string& text) {
  if (next_ != nullptr) next_->LogText(comName, text);
}

PortStatusSnapshot PortStatusRelay::Merge(const PortStatusSnapshot& older,
                                          const PortStatusSnapshot& newer) {
  PortStatusSnapshot merged = newer;
  if (newer.fresh) return merged;  // a new port: nothing of the old one matters
  merged.fresh = older.fresh && !newer.removed;
  merged.show = older.show || newer.show;
  if (older.logGeneration == newer.logGeneration) merged.newLog = older.newLog + newer.newLog;
  return merged;
}

void PortStatusRelay::StatusChanged(const PortStatusSnapshot& snapshot) {
  if (next_ != nullptr) next_->StatusChanged(snapshot);
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = waiting_.find(snapshot.comName);
    if (found == waiting_.end()) {
      waiting_.emplace(snapshot.comName, snapshot);
    } else {
      found->second = Merge(found->second, snapshot);
    }
    post = !posted_;
    posted_ = true;
  }
  if (post && !poster_.PostMessage(kStatusMessage)) {
    // Nobody takes messages any more; the next snapshot tries again.
    std::lock_guard<std::mutex> lock(mutex_);
    posted_ = false;
  }
}

std::vector<PortStatusSnapshot> PortStatusRelay::TakeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<PortStatusSnapshot> taken;
  taken.reserve(waiting_.size());
  for (auto& [name, snapshot] : waiting_) taken.push_back(std::move(snapshot));
  waiting_.clear();
  posted_ = false;
  return taken;
}

}  // namespace vport
