#include "platform/RuntimeDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

std::string RuntimeDir() {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg != nullptr && xdg[0] == '/') return xdg;

  const std::string dir = "/tmp/portolan-" + std::to_string(geteuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return "";
  // Anyone may have made this name in /tmp before us: it must be our own folder, and private.
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return "";
  if ((st.st_mode & 077) != 0 && chmod(dir.c_str(), 0700) != 0) return "";
  return dir;
}

}  // namespace platform
