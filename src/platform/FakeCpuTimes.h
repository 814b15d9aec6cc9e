// CPU times from a script: each Read hands out the next sample queued by Push (or fails when
// the next entry is a failure, or none is left).
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/CpuTimesSource.h"

namespace platform {

class FakeCpuTimes : public CpuTimesSource {
 public:
  void Push(std::vector<CpuTime> sample);
  void PushFailure();
  bool Read(std::vector<CpuTime>* out) override;
  int Reads() const;

 private:
  mutable std::mutex mutex_;
  std::deque<std::optional<std::vector<CpuTime>>> samples_;
  int reads_ = 0;
};

}  // namespace platform
