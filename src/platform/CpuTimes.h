// The time each CPU has spent idle and in all, as the kernel's /proc/stat counts it (in clock
// ticks), and the parser of that text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

struct CpuTime {
  uint64_t idle = 0;   // idle and iowait: time the CPU had nothing to run
  uint64_t total = 0;  // every state the line lists
  bool operator==(const CpuTime&) const = default;
};

enum class CpuTimesError {
  kNone,
  kNoCpuLines,   // no "cpuN" line before the text ends or turns to other counters
  kBadLine,      // a "cpuN" line without its numbers, or with a number that is not one
  kTooManyCpus,  // more lines than kMostCpus
};

inline constexpr std::size_t kMostCpus = 4096;

// The per-CPU lines ("cpu0 ...", "cpu1 ...") of /proc/stat text, in their order, into *out; the
// summary line ("cpu ...") and everything after the last CPU line are skipped. Fields beyond the
// eighth (guest time, already counted in user time) are ignored. On an error *out is left empty.
CpuTimesError ParseCpuTimes(std::string_view text, std::vector<CpuTime>* out);

}  // namespace platform
