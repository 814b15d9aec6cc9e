#include "platform/DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool SetError(std::string* error, const std::string& what, const std::string& path) {
  *error = what + " " + path + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(FileOps& ops, int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ops.Write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string DurableFile::FollowLinks(const std::string& path) {
  constexpr int kMostLinks = 40;  // as the kernel allows before ELOOP
  std::string current = path;
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char target[4096];
    const ssize_t n = readlink(current.c_str(), target, sizeof target);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof target) return path;
    const std::string next(target, static_cast<size_t>(n));
    current = next.front() == '/' ? next : Directory(current) + "/" + next;
  }
  return path;
}

std::string DurableFile::Directory(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool DurableFile::MakeDirectories(const std::string& dir, std::string* error) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return SetError(error, "not a folder:", dir);
  }
  const std::string parent = Directory(dir);
  if (parent != dir && !MakeDirectories(parent, error)) return false;
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    return SetError(error, "cannot create folder", dir);
  }
  return true;
}

bool DurableFile::SyncDirectory(const std::string& dir, std::string* error, FileOps& ops) {
  const int fd = ops.Open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return SetError(error, "cannot open folder", dir);
  const bool ok = ops.Fsync(fd) == 0;
  if (!ok) SetError(error, "cannot sync folder", dir);
  ops.Close(fd);
  return ok;
}

bool DurableFile::WriteAtomically(const std::string& path, const std::string& text,
                                  std::string* error, FileOps& ops) {
  const std::string dir = Directory(path);
  if (!MakeDirectories(dir, error)) return false;
  const std::string temp = path + ".tmp";
  // O_NOFOLLOW: a symlink planted at the temporary name must not redirect the write.
  const int fd =
      ops.Open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return SetError(error, "cannot create", temp);
  // The mode given to open() is reduced by the umask and ignored for an existing file.
  // The sync comes before the rename: otherwise a crash could leave the new name on an empty file.
  bool ok = ops.Fchmod(fd, 0600) == 0 && WriteAll(ops, fd, text) && ops.Fsync(fd) == 0;
  if (!ok) SetError(error, "cannot write", temp);
  if (ops.Close(fd) != 0 && ok) ok = SetError(error, "cannot close", temp);
  if (ok && ops.Rename(temp.c_str(), path.c_str()) != 0)
    ok = SetError(error, "cannot rename", temp);
  if (!ok) {
    ops.Unlink(temp.c_str());
    return false;
  }
  return SyncDirectory(dir, error, ops);
}

}  // namespace platform
