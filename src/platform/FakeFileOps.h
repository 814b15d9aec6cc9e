// The real file system with faults on demand, for tests: any call can be made to fail with a
// chosen errno, doing nothing else. Safe to use from several threads.
#pragma once

#include "platform/FaultSchedule.h"
#include "platform/FileOps.h"

namespace platform {

class FakeFileOps : public FileOps {
 public:
  enum class Call {
    kOpen,
    kFchmod,
    kWrite,
    kFsync,
    kClose,
    kRename,
    kUnlink,
    kMkdir,
    kStat,
    kLstat,
    kReadlink,
    kSymlink,
    kListDir,
  };

  // The next times calls of call fail with error.
  void FailNext(Call call, int error, int times = 1) { faults_.FailNext(call, error, times); }
  int Calls(Call call) const { return faults_.Calls(call); }

  int Open(const char* path, int flags, mode_t mode) override;
  int Fchmod(int fd, mode_t mode) override;
  ssize_t Write(int fd, const void* data, size_t size) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Rename(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  int Mkdir(const char* path, mode_t mode) override;
  int Stat(const char* path, struct stat* st) override;
  int Lstat(const char* path, struct stat* st) override;
  ssize_t Readlink(const char* path, char* buffer, size_t size) override;
  int Symlink(const char* target, const char* path) override;
  int ListDir(const char* path, std::vector<std::string>* names) override;

 private:
  // Counts the call; true (errno set) when it is to fail.
  bool Refuse(Call call);

  FaultSchedule<Call> faults_;
};

}  // namespace platform
