#include "platform/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/PrivateFolder.h"

namespace platform {

namespace {

std::string Refuse(std::string* problem, const std::string& text) {
  if (problem != nullptr) *problem = "the runtime folder " + text;
  return {};
}

}  // namespace

std::string RuntimeDir(std::string* problem) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') {
    // A misconfigured XDG_RUNTIME_DIR may name a shared folder: not ours to make private.
    if (std::string why = PrivateFolderProblem(xdg); !why.empty()) return Refuse(problem, why);
    return xdg;
  }

  const std::string dir = "/tmp/portolan-" + std::to_string(geteuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    return Refuse(problem, dir + " cannot be made: " + strerror(errno));
  }
  // Anyone may have made this name in /tmp before us: it must be our own folder, and private.
  struct stat st {};
  if (lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
      (st.st_mode & 077) != 0) {
    chmod(dir.c_str(), 0700);  // ours, made before umask mattered: close it
  }
  if (std::string why = PrivateFolderProblem(dir); !why.empty()) return Refuse(problem, why);
  return dir;
}

}  // namespace platform
