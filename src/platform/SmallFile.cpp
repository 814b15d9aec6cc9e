#include "platform/SmallFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

SmallFileResult ReadSmallFile(const std::string& path, size_t maxBytes, std::string* out) {
  out->clear();
  // O_NONBLOCK: a FIFO or device node put where a file should be must not hang the caller.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return (errno == ENOENT || errno == ENOTDIR) ? SmallFileResult::Missing
                                                 : SmallFileResult::Unreadable;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return SmallFileResult::Unreadable;
  }
  // The size from fstat is not trusted (sysfs attributes all claim 4096 bytes): the read itself
  // stops one byte beyond the limit.
  std::string text(maxBytes + 1, '\0');
  size_t got = 0;
  bool failed = false;
  while (got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed = true;
      break;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (failed) return SmallFileResult::Unreadable;
  if (got > maxBytes) return SmallFileResult::TooLarge;
  text.resize(got);
  *out = std::move(text);
  return SmallFileResult::Ok;
}

}  // namespace platform
