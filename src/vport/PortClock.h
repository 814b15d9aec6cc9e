// The millisecond tick that strict baud-rate pacing measures against. Kept as a tiny interface so
// that tests drive time by hand; the program passes its own clock through an adapter.
#pragma once

#include <cstdint>

namespace vport {

class PortClock {
 public:
  virtual ~PortClock() = default;
  // Milliseconds since an arbitrary start; wraps around like a 32-bit tick count.
  virtual uint32_t TickCount() const = 0;
};

// The monotonic system clock.
class SteadyPortClock : public PortClock {
 public:
  uint32_t TickCount() const override;
  static const SteadyPortClock& Instance();
};

}  // namespace vport
