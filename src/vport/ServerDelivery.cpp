#include "vport/ServerDelivery.h"

#include "platform/Clock.h"
#include "vport/CVSPortAx.h"

namespace vport {

bool ServerDelivery::Deliver(CVSPortAx& port, const uint8_t* data, std::size_t count,
                             uint32_t now) {
  if (count == 0) return !Pending();
  if (Pending()) {
    held_.insert(held_.end(), data, data + count);
    return Retry(port, now);
  }
  const long n = port.WriteToPort(data, static_cast<long>(count));
  const std::size_t taken = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (taken == count) return true;
  held_.assign(data + taken, data + count);
  done_ = 0;
  lastTaken_ = now;  // the stall counts from the first byte the port would not take
  stallReported_ = false;
  return false;
}

bool ServerDelivery::Retry(CVSPortAx& port, uint32_t now) {
  if (!Pending()) return true;
  const long n = port.WriteToPort(held_.data() + done_, static_cast<long>(Held()));
  if (n > 0) Took(static_cast<std::size_t>(n), now);
  if (Pending()) return false;
  Clear();
  return true;
}

void ServerDelivery::Took(std::size_t n, uint32_t now) {
  done_ += n;
  lastTaken_ = now;
  // Told once until everything held is in: the kernel moving a few bytes on inside the pty is
  // no sign that the application reads again.
}

bool ServerDelivery::StallToReport(uint32_t now) {
  if (!Pending() || stallReported_) return false;
  if (platform::Clock::Elapsed(lastTaken_, now) < kStallMs) return false;
  stallReported_ = true;
  return true;
}

void ServerDelivery::Clear() {
  held_.clear();
  done_ = 0;
  stallReported_ = false;
}

}  // namespace vport
