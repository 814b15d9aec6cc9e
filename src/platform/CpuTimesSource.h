// Where the CPUs' idle and total times come from: the kernel's counters, or a script in tests.
#pragma once

#include <vector>

#include "platform/CpuTimes.h"

namespace platform {

class CpuTimesSource {
 public:
  virtual ~CpuTimesSource() = default;
  // The counters of every CPU now, into *out; false when they cannot be read.
  virtual bool Read(std::vector<CpuTime>* out) = 0;
};

}  // namespace platform
