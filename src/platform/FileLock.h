// An advisory lock (flock) on a lock file of its own, so that separate processes, and separate
// stores within one process, take turns on the file it guards. The lock file is never replaced,
// unlike the guarded file, which is renamed over on every write.
#pragma once

#include <string>

namespace platform {

class FileLock {
 public:
  explicit FileLock(std::string path) : path_(std::move(path)) {}
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (creating, mode 0600) the lock file; true when it is open. Cheap when already open.
  bool Open(std::string* error);
  // Blocks until the lock is held, shared or exclusive. Needs Open().
  bool Lock(bool exclusive, std::string* error);
  void Unlock();
  const std::string& Path() const { return path_; }

  // Holds the lock for a scope.
  class Held {
   public:
    Held(FileLock* lock, bool exclusive, std::string* error)
        : lock_(lock), held_(lock->Open(error) && lock->Lock(exclusive, error)) {}
    ~Held() {
      if (held_) lock_->Unlock();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    bool ok() const { return held_; }

   private:
    FileLock* lock_;
    bool held_;
  };

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace platform
