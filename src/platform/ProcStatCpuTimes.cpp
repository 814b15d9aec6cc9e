#include "platform/ProcStatCpuTimes.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <string_view>
#include <utility>

namespace platform {
namespace {

// The CPU lines come first; with thousands of CPUs they fill about 100 bytes each.
constexpr std::size_t kFirstBuffer = 16 * 1024;
constexpr std::size_t kMostBuffer = 1024 * 1024;

}  // namespace

ProcStatCpuTimes::ProcStatCpuTimes(std::string path) : path_(std::move(path)) {}

bool ProcStatCpuTimes::Read(std::vector<CpuTime>* out) {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (buffer_.empty()) buffer_.resize(kFirstBuffer);
  std::size_t filled = 0;
  for (;;) {
    if (filled == buffer_.size()) {
      if (buffer_.size() >= kMostBuffer) break;  // what we have holds the CPU lines, if any
      buffer_.resize(buffer_.size() * 2);
    }
    const ssize_t n = ::read(fd, buffer_.data() + filled, buffer_.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return ParseCpuTimes(std::string_view(buffer_.data(), filled), out) == CpuTimesError::kNone;
}

}  // namespace platform
