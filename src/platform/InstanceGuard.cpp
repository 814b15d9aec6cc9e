#include "platform/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

InstanceGuard::InstanceGuard() {
  const std::string dir = RuntimeDir(&folderProblem_);
  if (!dir.empty()) path_ = dir + "/" + kFileName;
}

InstanceGuard::InstanceGuard(std::string dir)
    : path_(dir.empty() ? std::string() : dir + "/" + kFileName) {}

InstanceGuard::~InstanceGuard() {
  Release();
}

bool InstanceGuard::Acquire() {
  if (fd_ >= 0) return true;
  if (path_.empty()) {
    error_ = ENOENT;  // no usable runtime folder
    return false;
  }
  const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error_ = errno;  // EWOULDBLOCK: another copy runs
    close(fd);
    return false;
  }
  // The pid is for people looking at the file; the lock alone decides.
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0) (void)!write(fd, pid.data(), pid.size());
  fd_ = fd;
  error_ = 0;
  return true;
}

std::string InstanceGuard::Problem() const {
  if (error_ == 0) return {};
  if (path_.empty()) {
    return folderProblem_.empty() ? "no runtime folder for the lock file" : folderProblem_;
  }
  return "cannot make the lock file " + path_ + ": " + std::strerror(error_);
}

void InstanceGuard::Release() {
  if (fd_ < 0) return;
  // The file stays: removing it would let a starting copy lock a new file while a third one
  // still holds the old one.
  close(fd_);
  fd_ = -1;
}

}  // namespace platform
