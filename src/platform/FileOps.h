// The file-system calls of whole-file writes and of the port folders' links, behind an interface
// so that tests can see their order and make any one of them fail.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

class FileOps {
 public:
  virtual ~FileOps() = default;
  // Each returns what the system call of its name returns, with errno set on failure.
  virtual int Open(const char* path, int flags, mode_t mode) = 0;
  virtual int Fchmod(int fd, mode_t mode) = 0;
  virtual ssize_t Write(int fd, const void* data, size_t size) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Rename(const char* from, const char* to) = 0;
  virtual int Unlink(const char* path) = 0;
  virtual int Mkdir(const char* path, mode_t mode) = 0;
  virtual int Stat(const char* path, struct stat* st) = 0;
  virtual int Lstat(const char* path, struct stat* st) = 0;
  virtual ssize_t Readlink(const char* path, char* buffer, size_t size) = 0;
  virtual int Symlink(const char* target, const char* path) = 0;
  // The entries' names of a folder (opendir, readdir, closedir): 0, or -1 when it cannot be opened.
  virtual int ListDir(const char* path, std::vector<std::string>* names) = 0;
};

// The real system calls.
FileOps& SystemFileOps();

}  // namespace platform
