#include <chrono>

#include "vport/PortClock.h"

namespace vport {

uint32_t SteadyPortClock::TickCount() const {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

const SteadyPortClock& SteadyPortClock::Instance() {
  static const SteadyPortClock clock;
  return clock;
}

}  // namespace vport
