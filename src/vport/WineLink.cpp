#include "vport/WineLink.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace vport {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return {};
}

bool ReadLink(platform::FileOps& ops, const std::string& path, std::string& target) {
  std::vector<char> buffer(4096);
  const ssize_t n = ops.Readlink(path.c_str(), buffer.data(), buffer.size());
  if (n < 0 || static_cast<size_t>(n) >= buffer.size()) return false;
  target.assign(buffer.data(), static_cast<size_t>(n));
  return true;
}

}  // namespace

std::string WineLink::DosDevicesFromEnvironment() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
    return std::string(prefix) + "/dosdevices";
  }
  return HomeFolder() + "/.wine/dosdevices";
}

WineLink::WineLink(std::string dosDevices, const std::string& comName, std::string target,
                   platform::FileOps& ops)
    : folder_(std::move(dosDevices)), target_(std::move(target)), ops_(&ops) {
  // Wine looks the names up in lower case.
  std::string name = comName;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  path_ = folder_ + "/" + name;
}

bool WineLink::IsOurs() const {
  std::string current;
  return ReadLink(*ops_, path_, current) && current == target_;
}

WineLink::Result WineLink::Make() {
  error_ = 0;
  struct stat folder {};
  if (ops_->Stat(folder_.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
    // Making the folder would make a half prefix that Wine then takes for a finished one.
    return Result::NoFolder;
  }
  // symlink never replaces anything, so a name taken meanwhile is seen as taken.
  if (ops_->Symlink(target_.c_str(), path_.c_str()) == 0) return Result::Made;
  error_ = errno;
  if (error_ != EEXIST) return Result::Failed;
  error_ = 0;
  return IsOurs() ? Result::Made : Result::Foreign;
}

WineLink::Result WineLink::Remove() {
  error_ = 0;
  struct stat entry {};
  if (ops_->Lstat(path_.c_str(), &entry) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Result::Removed;
    error_ = errno;
    return Result::Failed;
  }
  if (!IsOurs()) return Result::Foreign;
  if (ops_->Unlink(path_.c_str()) == 0 || errno == ENOENT) return Result::Removed;
  error_ = errno;
  return Result::Failed;
}

std::string WineLink::Describe(Result result) const {
  switch (result) {
    case Result::Made:
      return "Wine link " + path_ + " made";
    case Result::Removed:
      return "Wine link " + path_ + " removed";
    case Result::Foreign:
      return "Wine link " + path_ + " left alone: it is not Portolan's";
    case Result::NoFolder:
      return "Wine link not made: no folder " + folder_ + " (run Wine once in that prefix)";
    case Result::Failed:
      break;
  }
  return "Wine link " + path_ + " failed: " + std::strerror(error_);
}

}  // namespace vport
