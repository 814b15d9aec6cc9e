// Feeds arbitrary bytes to the /proc/stat CPU-line parser.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/CpuTimes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<platform::CpuTime> cpus;
  const platform::CpuTimesError error = platform::ParseCpuTimes(text, &cpus);
  if ((error == platform::CpuTimesError::kNone) == cpus.empty()) __builtin_trap();
  for (const platform::CpuTime& cpu : cpus) {
    if (cpu.idle > cpu.total) __builtin_trap();
  }
  return 0;
}
