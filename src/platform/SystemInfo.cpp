#include "platform/SystemInfo.h"

#include <arpa/inet.h>
#include <limits.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/CharCursor.h"
#include "platform/SmallFile.h"
#include "platform/TextCursor.h"

// The data folder seen from the program's folder, set by the build from the install layout.
#ifndef PORTOLAN_DATA_FROM_PROGRAM
#define PORTOLAN_DATA_FROM_PROGRAM "../share/portolan/"
#endif

namespace platform {

namespace {

constexpr size_t kOsReleaseMax = 64 * 1024;

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// One shell word as os-release writes it: "double quoted" (with \ escaping $ " \ `), 'single
// quoted', or bare with \ escapes. Stops at the first unquoted blank or '#'.
std::string ShellWord(CharCursor& cur) {
  std::string out;
  char c = 0;
  while (cur.Peek(&c)) {
    if (c == ' ' || c == '\t' || c == '#') break;
    cur.Take(&c);
    if (c == '"') {
      while (cur.Take(&c) && c != '"') {
        char next = 0;
        if (c == '\\' && cur.Peek(&next) &&
            (next == '$' || next == '"' || next == '\\' || next == '`')) {
          cur.Take(&c);
        }
        out.push_back(c);
      }
    } else if (c == '\'') {
      while (cur.Take(&c) && c != '\'') out.push_back(c);
    } else if (c == '\\') {
      if (cur.Take(&c)) out.push_back(c);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string SystemInfo::ProgramFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return "./";
  const std::string path(buffer.data(), static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string SystemInfo::DataFolderOf(const std::string& programFolder) {
  // /proc/self/exe names the program without symbolic links, so ".." may be folded lexically.
  const std::filesystem::path installed =
      (std::filesystem::path(programFolder) / PORTOLAN_DATA_FROM_PROGRAM).lexically_normal();
  std::error_code error;
  if (!std::filesystem::is_directory(installed, error)) return programFolder;
  std::string folder = installed.string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string SystemInfo::HomeFolder() {
  std::string home = EnvOrEmpty("HOME");
  if (!home.empty()) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return "/";
}

std::string SystemInfo::WindowsDirectory() {
  const std::string windir = EnvOrEmpty("WINDIR");
  if (!windir.empty()) return windir;
  std::string home = HomeFolder();
  if (home.size() > 1 && home.back() == '/') home.pop_back();
  return (home == "/" ? std::string() : home) + "/.wine/drive_c/windows";
}

std::string SystemInfo::OsReleaseValue(std::string_view osReleaseText, std::string_view key) {
  TextCursor lines(osReleaseText);
  std::string_view line;
  while (lines.NextLine(&line)) {
    CharCursor cur(line);
    cur.SkipBlanks();
    if (!cur.Accept(key) || !cur.Accept("=")) continue;
    return ShellWord(cur);
  }
  return {};
}

std::string SystemInfo::BuildOsDescription(std::string_view osReleaseText, std::string_view sysname,
                                           std::string_view release, std::string_view machine) {
  std::string distribution = OsReleaseValue(osReleaseText, "PRETTY_NAME");
  if (distribution.empty()) distribution = OsReleaseValue(osReleaseText, "NAME");
  std::string kernel;
  for (std::string_view part : {sysname, release, machine}) {
    if (part.empty()) continue;
    if (!kernel.empty()) kernel += ' ';
    kernel += part;
  }
  if (distribution.empty()) return kernel;
  if (kernel.empty()) return distribution;
  return distribution + ", " + kernel;
}

std::string SystemInfo::OsDescription() {
  std::string osRelease;
  if (ReadSmallFile("/etc/os-release", kOsReleaseMax, &osRelease) != SmallFileResult::Ok) {
    ReadSmallFile("/usr/lib/os-release", kOsReleaseMax, &osRelease);
  }
  struct utsname uts {};
  if (::uname(&uts) != 0) return BuildOsDescription(osRelease, "", "", "");
  return BuildOsDescription(osRelease, uts.sysname, uts.release, uts.machine);
}

bool SystemInfo::CanMakeSocket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::string SystemInfo::HostName() {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return {};
  return buffer;
}

std::string SystemInfo::HostAddress() {
  const std::string name = HostName();
  return name.empty() ? std::string() : HostAddressOf(name);
}

std::string SystemInfo::HostAddressOf(const std::string& name) {
  if (name.empty()) return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return {};
  std::string dotted;
  for (const addrinfo* ai = list; ai != nullptr && dotted.empty(); ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || ai->ai_addrlen < sizeof(sockaddr_in)) continue;
    const auto* sin = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text)) dotted = text;
  }
  ::freeaddrinfo(list);
  return dotted;
}

}  // namespace platform
