#include "platform/FileOps.h"

#include <dirent.h>
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
  int Mkdir(const char* path, mode_t mode) override { return ::mkdir(path, mode); }
  int Stat(const char* path, struct stat* st) override { return ::stat(path, st); }
  int Lstat(const char* path, struct stat* st) override { return ::lstat(path, st); }
  ssize_t Readlink(const char* path, char* buffer, size_t size) override {
    return ::readlink(path, buffer, size);
  }
  int Symlink(const char* target, const char* path) override { return ::symlink(target, path); }
  int ListDir(const char* path, std::vector<std::string>* names) override {
    DIR* dir = ::opendir(path);
    if (dir == nullptr) return -1;
    while (const dirent* entry = ::readdir(dir)) names->emplace_back(entry->d_name);
    ::closedir(dir);
    return 0;
  }
};

}  // namespace

FileOps& SystemFileOps() {
  static SystemOps ops;
  return ops;
}

}  // namespace platform
