#include "platform/FakeCpuTimes.h"

#include <utility>

namespace platform {

void FakeCpuTimes::Push(std::vector<CpuTime> sample) {
  const std::lock_guard lock(mutex_);
  samples_.emplace_back(std::move(sample));
}

void FakeCpuTimes::PushFailure() {
  const std::lock_guard lock(mutex_);
  samples_.emplace_back(std::nullopt);
}

bool FakeCpuTimes::Read(std::vector<CpuTime>* out) {
  const std::lock_guard lock(mutex_);
  ++reads_;
  if (samples_.empty()) return false;
  std::optional<std::vector<CpuTime>> next = std::move(samples_.front());
  samples_.pop_front();
  if (!next) return false;
  *out = std::move(*next);
  return true;
}

int FakeCpuTimes::Reads() const {
  const std::lock_guard lock(mutex_);
  return reads_;
}

}  // namespace platform
