// One running copy per user: an exclusive lock (flock) on "portolan.lock" in the runtime folder,
// held for the life of the object. The kernel drops the lock when the process ends, however it
// ends, so a crashed copy never blocks the next start.
#pragma once

#include <string>

#include "platform/RuntimeDir.h"

namespace platform {

class InstanceGuard {
 public:
  static constexpr const char* kFileName = "portolan.lock";

  explicit InstanceGuard(std::string dir = RuntimeDir());
  ~InstanceGuard();
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;

  // Takes the lock without waiting. False when another copy holds it, or when the lock file
  // cannot be made (then Error() gives the errno).
  bool Acquire();
  void Release();
  bool Held() const { return fd_ >= 0; }
  int Error() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace platform
