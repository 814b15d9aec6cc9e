#include "platform/FakeFileOps.h"

#include <cerrno>

namespace platform {

bool FakeFileOps::Refuse(Call call) {
  const int error = faults_.Fault(call);
  if (error == 0) return false;
  errno = error;
  return true;
}

int FakeFileOps::Open(const char* path, int flags, mode_t mode) {
  return Refuse(Call::kOpen) ? -1 : SystemFileOps().Open(path, flags, mode);
}

int FakeFileOps::Fchmod(int fd, mode_t mode) {
  return Refuse(Call::kFchmod) ? -1 : SystemFileOps().Fchmod(fd, mode);
}

ssize_t FakeFileOps::Write(int fd, const void* data, size_t size) {
  return Refuse(Call::kWrite) ? -1 : SystemFileOps().Write(fd, data, size);
}

int FakeFileOps::Fsync(int fd) {
  return Refuse(Call::kFsync) ? -1 : SystemFileOps().Fsync(fd);
}

int FakeFileOps::Close(int fd) {
  return Refuse(Call::kClose) ? -1 : SystemFileOps().Close(fd);
}

int FakeFileOps::Rename(const char* from, const char* to) {
  return Refuse(Call::kRename) ? -1 : SystemFileOps().Rename(from, to);
}

int FakeFileOps::Unlink(const char* path) {
  return Refuse(Call::kUnlink) ? -1 : SystemFileOps().Unlink(path);
}

int FakeFileOps::Mkdir(const char* path, mode_t mode) {
  return Refuse(Call::kMkdir) ? -1 : SystemFileOps().Mkdir(path, mode);
}

int FakeFileOps::Stat(const char* path, struct stat* st) {
  return Refuse(Call::kStat) ? -1 : SystemFileOps().Stat(path, st);
}

int FakeFileOps::Lstat(const char* path, struct stat* st) {
  return Refuse(Call::kLstat) ? -1 : SystemFileOps().Lstat(path, st);
}

ssize_t FakeFileOps::Readlink(const char* path, char* buffer, size_t size) {
  return Refuse(Call::kReadlink) ? -1 : SystemFileOps().Readlink(path, buffer, size);
}

int FakeFileOps::Symlink(const char* target, const char* path) {
  return Refuse(Call::kSymlink) ? -1 : SystemFileOps().Symlink(target, path);
}

int FakeFileOps::ListDir(const char* path, std::vector<std::string>* names) {
  return Refuse(Call::kListDir) ? -1 : SystemFileOps().ListDir(path, names);
}

}  // namespace platform
