// Whether the machine's CPUs have idle time to spare: every CPU idle for at least kIdlePercent
// of the last window. Shared by the port threads of a process, so that the kernel's counters are
// read at most once per kSampleMs however many ports are busy, and only while some port is: a
// monitor nobody asks reads nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/CpuTimesSource.h"

namespace vport {

class IdleCpuMonitor {
 public:
  static constexpr uint32_t kSampleMs = 100;
  // A window longer than this says little about now (a busy task may have started at its end):
  // it starts a new window and counts as no room.
  static constexpr uint32_t kStaleMs = 1000;
  static constexpr uint64_t kIdlePercent = 15;

  explicit IdleCpuMonitor(platform::CpuTimesSource& source);
  IdleCpuMonitor(const IdleCpuMonitor&) = delete;
  IdleCpuMonitor& operator=(const IdleCpuMonitor&) = delete;

  // The answer for the window that ended at the last sample; a call kSampleMs or more after it
  // takes a new sample first. Any thread: while one samples, the others take the last answer.
  bool CpusHaveRoom(uint32_t nowMs);

  // The process's monitor, over /proc/stat.
  static IdleCpuMonitor& Shared();

 private:
  bool Sample(uint32_t nowMs);
  static bool EveryCpuIdleEnough(const std::vector<platform::CpuTime>& before,
                                 const std::vector<platform::CpuTime>& after);

  platform::CpuTimesSource& source_;
  std::mutex sampling_;
  std::atomic<bool> room_{false};
  std::atomic<bool> sampled_{false};
  std::atomic<uint32_t> lastMs_{0};
  std::vector<platform::CpuTime> last_;  // under sampling_
  std::vector<platform::CpuTime> next_;  // under sampling_
};

}  // namespace vport
