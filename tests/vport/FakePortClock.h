// A hand-driven millisecond clock for pacing tests.
#pragma once

#include <atomic>
#include <cstdint>

#include "vport/PortClock.h"

namespace vport::test {

class FakePortClock : public PortClock {
 public:
  explicit FakePortClock(uint32_t start = 1000) : now_(start) {}
  uint32_t TickCount() const override { return now_.load(); }
  void Advance(uint32_t ms) { now_ += ms; }

 private:
  std::atomic<uint32_t> now_;
};

}  // namespace vport::test
