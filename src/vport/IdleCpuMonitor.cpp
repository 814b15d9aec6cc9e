#include "vport/IdleCpuMonitor.h"

#include "platform/ProcStatCpuTimes.h"

namespace vport {
namespace {

// Milliseconds from then to now on the wrapping tick count; negative when another thread's
// "now" was taken before ours (the order of ticks taken on different threads is not assured).
int64_t Since(uint32_t then, uint32_t now) {
  return static_cast<int32_t>(now - then);
}

}  // namespace

IdleCpuMonitor::IdleCpuMonitor(platform::CpuTimesSource& source) : source_(source) {}

IdleCpuMonitor& IdleCpuMonitor::Shared() {
  // Never destroyed: a port thread may still ask while the program exits.
  static auto* source = new platform::ProcStatCpuTimes();
  static auto* monitor = new IdleCpuMonitor(*source);
  return *monitor;
}

bool IdleCpuMonitor::CpusHaveRoom(uint32_t nowMs) {
  const auto due = [&] {
    return !sampled_.load(std::memory_order_acquire) ||
           Since(lastMs_.load(std::memory_order_relaxed), nowMs) >= kSampleMs;
  };
  if (!due()) return room_.load(std::memory_order_relaxed);
  std::unique_lock lock(sampling_, std::try_to_lock);
  if (!lock.owns_lock() || !due()) return room_.load(std::memory_order_relaxed);
  return Sample(nowMs);
}

bool IdleCpuMonitor::Sample(uint32_t nowMs) {
  const bool continues = sampled_.load(std::memory_order_relaxed) &&
                         Since(lastMs_.load(std::memory_order_relaxed), nowMs) <= kStaleMs;
  if (!source_.Read(&next_)) next_.clear();  // no counters: no room, and a new try next window
  const bool room = continues && !next_.empty() && EveryCpuIdleEnough(last_, next_);
  last_.swap(next_);
  room_.store(room, std::memory_order_relaxed);
  lastMs_.store(nowMs, std::memory_order_relaxed);
  sampled_.store(true, std::memory_order_release);
  return room;
}

bool IdleCpuMonitor::EveryCpuIdleEnough(const std::vector<platform::CpuTime>& before,
                                        const std::vector<platform::CpuTime>& after) {
  if (before.size() != after.size()) return false;  // a CPU came or went: judge the next window
  for (std::size_t i = 0; i < after.size(); ++i) {
    // Counters that stood still or went back say nothing: no room.
    if (after[i].total <= before[i].total || after[i].idle < before[i].idle) return false;
    const uint64_t total = after[i].total - before[i].total;
    const uint64_t idle = after[i].idle - before[i].idle;
    if (idle > total || idle * 100 < kIdlePercent * total) return false;
  }
  return true;
}

}  // namespace vport
