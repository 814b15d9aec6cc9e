// One running copy per user: an exclusive lock (flock) on "portolan.lock" in the runtime folder,
// held for the life of the object. The kernel drops the lock when the process ends, however it
// ends, so a crashed copy never blocks the next start.
#pragma once

#include <cerrno>
#include <string>

#include "platform/RuntimeDir.h"

namespace platform {

class InstanceGuard {
 public:
  static constexpr const char* kFileName = "portolan.lock";

  // In the runtime folder (RuntimeDir), or in dir.
  InstanceGuard();
  explicit InstanceGuard(std::string dir);
  ~InstanceGuard();
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // Takes the lock without waiting. False when another copy holds it, or when the lock file
  // cannot be made (then Error() gives the errno).
  bool Acquire();
  void Release();
  bool Held() const { return fd_ >= 0; }
  int Error() const { return error_; }
  // True when Acquire failed because another copy holds the lock; any other failure is a fault
  // to report (Problem), never a reason to end quietly.
  bool AnotherCopyRuns() const { return error_ == EWOULDBLOCK || error_ == EAGAIN; }
  // Why Acquire failed, with the path: "cannot make the lock file <path>: <reason>", or the
  // runtime folder's problem. Empty after a success.
  std::string Problem() const;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string folderProblem_;  // why no runtime folder could be used
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace platform
