#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileLock::Open(std::string* error) {
  if (fd_ >= 0) {
    // A lock file removed with its folder no longer meets other processes: open the new one.
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_nlink > 0) return true;
    ::close(fd_);
    fd_ = -1;
  }
  const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    *error = "cannot open lock file " + path_ + ": " + std::strerror(errno);
    return false;
  }
  fd_ = fd;
  return true;
}

bool FileLock::Lock(bool exclusive, std::string* error) {
  if (fd_ < 0) {
    *error = "lock file not open";
    return false;
  }
  int rc = 0;
  do {
    rc = ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    *error = "cannot lock " + path_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::flock(fd_, LOCK_UN);
}

}  // namespace platform
