// Which calls of a fake are to fail, and with what errno: the shared bookkeeping of the fakes that
// stand over real system calls. Counts every call. Safe to use from several threads.
#pragma once

#include <map>
#include <mutex>
#include <utility>

namespace platform {

template <typename Call>
class FaultSchedule {
 public:
  // The next times calls of call fail with error.
  void FailNext(Call call, int error, int times = 1) {
    std::lock_guard lock(mutex_);
    failures_[call] = {error, times};
  }
  int Calls(Call call) const {
    std::lock_guard lock(mutex_);
    const auto it = calls_.find(call);
    return it == calls_.end() ? 0 : it->second;
  }
  // Counts a call of call; the errno it is to fail with, or 0.
  int Fault(Call call) {
    std::lock_guard lock(mutex_);
    ++calls_[call];
    auto it = failures_.find(call);
    if (it == failures_.end() || it->second.second <= 0) return 0;
    --it->second.second;
    return it->second.first;
  }

 private:
  mutable std::mutex mutex_;
  std::map<Call, std::pair<int, int>> failures_;  // error, times left
  std::map<Call, int> calls_;
};

}  // namespace platform
