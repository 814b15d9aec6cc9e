#include "vport/PortThreadPolicy.h"

#include <cstdlib>
#include <cstring>

#include "platform/SystemThreadScheduling.h"

namespace vport {
namespace {

platform::ThreadScheduling& SystemScheduling() {
  static platform::SystemThreadScheduling scheduling;
  return scheduling;
}

}  // namespace

PortThreadPolicy::PortThreadPolicy(IdleCpuMonitor& monitor, platform::ThreadScheduling& scheduling,
                                   bool enabled)
    : monitor_(monitor), scheduling_(scheduling), enabled_(enabled) {}

PortThreadPolicy::PortThreadPolicy()
    : PortThreadPolicy(IdleCpuMonitor::Shared(), SystemScheduling(), EnabledByEnvironment()) {}

bool PortThreadPolicy::EnabledByEnvironment() {
  const char* value = std::getenv("PORTOLAN_PORT_SCHEDULING");
  return value == nullptr || std::strcmp(value, "normal") != 0;
}

void PortThreadPolicy::OnWake(uint32_t nowMs) {
  if (!enabled_ || refused_) return;
  const bool batch = monitor_.CpusHaveRoom(nowMs);
  if (batch == batch_) return;
  if (scheduling_.SetBatch(batch) != 0) {
    refused_ = true;
    return;
  }
  batch_ = batch;
}

}  // namespace vport
