#include "vport/PortFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/PrivateFolder.h"

namespace vport {

namespace {

constexpr std::string_view kPtsPrefix = "/dev/pts/";

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

bool ReadLink(platform::FileOps& ops, const std::string& path, std::string& target) {
  char buf[256];
  const ssize_t n = ops.Readlink(path.c_str(), buf, sizeof buf);
  if (n < 0 || static_cast<size_t>(n) >= sizeof buf) return false;
  target.assign(buf, static_cast<size_t>(n));
  return true;
}

// 0, or the errno value of why path is no private folder of ours (see PrivateFolder.h).
int CheckPrivate(platform::FileOps& ops, const std::string& path, std::string* problem) {
  const std::string why = platform::PrivateFolderProblem(path, ops);
  if (why.empty()) return 0;
  if (problem != nullptr) *problem = why;
  struct stat st {};
  if (ops.Lstat(path.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? EPERM : ENOTDIR;
}

int MakeDir(platform::FileOps& ops, const std::string& path) {
  if (ops.Mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return 0;
  return errno;
}

int MakeDirs(platform::FileOps& ops, const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    if (const int rc = MakeDir(ops, path.substr(0, slash)); rc != 0) return rc;
  }
  return MakeDir(ops, path);
}

}  // namespace

PortFolder PortFolder::FromEnvironment() {
  if (std::string dir = EnvOrEmpty("PORTOLAN_PORT_DIR"); !dir.empty()) return PortFolder(dir);
  if (std::string run = EnvOrEmpty("XDG_RUNTIME_DIR"); !run.empty()) {
    return PortFolder(run + "/portolan");
  }
  return PortFolder("/tmp/portolan-" + std::to_string(getuid()) + "/ports");
}

int PortFolder::Ensure(std::string* problem) const {
  if (path_.empty() || path_[0] != '/') {
    if (problem != nullptr) *problem = "\"" + path_ + "\" is not an absolute path";
    return EINVAL;
  }
  // The shared /tmp parent, then the folder itself: whoever else could enter either could swap
  // the links we publish for his own.
  const std::string shared = "/tmp/portolan-" + std::to_string(getuid());
  const bool inShared = path_.rfind(shared + "/", 0) == 0;
  int rc = inShared ? MakeDir(*ops_, shared) : 0;
  if (rc == 0 && inShared) rc = CheckPrivate(*ops_, shared, problem);
  if (rc == 0) rc = MakeDirs(*ops_, path_);
  if (rc == 0) return CheckPrivate(*ops_, path_, problem);
  if (problem != nullptr && problem->empty()) *problem = path_ + " cannot be made: " + strerror(rc);
  return rc;
}

std::string PortFolder::Problem() const {
  std::string problem;
  return Ensure(&problem) == 0 ? std::string() : problem;
}

std::string PortFolder::LinkNameFor(const std::string& portName) {
  if (portName.size() < 4 || portName.size() > 6) return {};
  for (size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(portName[i])) != "COM"[i]) return {};
  }
  const std::string digits = portName.substr(3);
  if (digits[0] == '0') return {};
  int number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return {};
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > 255) return {};
  return "COM" + digits;
}

PortFolder::LinkState PortFolder::Inspect(const std::string& linkPath, platform::FileOps& ops) {
  struct stat st {};
  if (ops.Lstat(linkPath.c_str(), &st) != 0) {
    return errno == ENOENT ? LinkState::Absent : LinkState::Error;
  }
  if (!S_ISLNK(st.st_mode)) return LinkState::Foreign;
  std::string target;
  if (!ReadLink(ops, linkPath, target)) return LinkState::Foreign;
  const bool pts = target.rfind(kPtsPrefix, 0) == 0 && target.size() > kPtsPrefix.size() &&
                   target.find_first_not_of("0123456789", kPtsPrefix.size()) == std::string::npos;
  return pts ? LinkState::Ours : LinkState::Foreign;
}

int PortFolder::Publish(const std::string& linkPath, const std::string& target,
                        platform::FileOps& ops) {
  const LinkState state = Inspect(linkPath, ops);
  if (state == LinkState::Foreign) return EEXIST;
  if (state == LinkState::Error) return EACCES;
  const std::string temp = linkPath + ".new." + std::to_string(getpid());
  ops.Unlink(temp.c_str());  // a leftover of an earlier crash under the same pid
  if (ops.Symlink(target.c_str(), temp.c_str()) != 0) return errno;
  if (ops.Rename(temp.c_str(), linkPath.c_str()) != 0) {
    const int rc = errno;
    ops.Unlink(temp.c_str());
    return rc;
  }
  return 0;
}

bool PortFolder::RemoveIfTarget(const std::string& linkPath, const std::string& target,
                                platform::FileOps& ops) {
  std::string current;
  if (!ReadLink(ops, linkPath, current) || current != target) return false;
  return ops.Unlink(linkPath.c_str()) == 0;
}

int PortFolder::SweepOurLinks() const {
  std::vector<std::string> names;
  if (ops_->ListDir(path_.c_str(), &names) != 0) return 0;
  int removed = 0;
  for (const std::string& name : names) {
    if (LinkNameFor(name) != name) continue;
    const std::string path = LinkPath(name);
    if (Inspect(path, *ops_) == LinkState::Ours && ops_->Unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace vport
