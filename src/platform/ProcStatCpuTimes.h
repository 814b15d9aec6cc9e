// The CPUs' times from /proc/stat. Each Read opens, reads and closes the file (the kernel builds
// its text afresh on every read); the buffer is kept, so a read allocates nothing once it has
// grown to the file's size.
#pragma once

#include <string>
#include <vector>

#include "platform/CpuTimesSource.h"

namespace platform {

class ProcStatCpuTimes : public CpuTimesSource {
 public:
  explicit ProcStatCpuTimes(std::string path = "/proc/stat");
  bool Read(std::vector<CpuTime>* out) override;

 private:
  std::string path_;
  std::vector<char> buffer_;
};

}  // namespace platform
