#include "platform/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

std::string PrivateFolderProblem(const std::string& given, FileOps& ops) {
  // "dir/" would follow a link named dir: look at the name itself.
  std::string path = given;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat st {};
  if (ops.Lstat(path.c_str(), &st) != 0) return path + " cannot be examined: " + strerror(errno);
  if (S_ISLNK(st.st_mode)) return path + " is a symbolic link, not a folder";
  if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
  if (st.st_uid != geteuid()) {
    return path + " belongs to user " + std::to_string(st.st_uid) + ", not to user " +
           std::to_string(geteuid());
  }
  if ((st.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return path + " is open to other users (mode " + mode + "; 0700 is needed)";
  }
  return {};
}

}  // namespace platform
