#include "platform/FileOps.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

class SystemOps : public FileOps {
 public:
  int Open(const char* path, int flags, mode_t mode) override { return ::open(path, flags, mode); }
  int Fchmod(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
  ssize_t Write(int fd, const void* data, size_t size) override { return ::write(fd, data, size); }
  int Fsync(int fd) override { return ::fsync(fd); }
  int Close(int fd) override { return ::close(fd); }
  int Rename(const char* from, const char* to) override { return ::rename(from, to); }
  int Unlink(const char* path) override { return ::unlink(path); }
};

}  // namespace

FileOps& SystemFileOps() {
  static SystemOps ops;
  return ops;
}

}  // namespace platform
