#include "platform/ComPortResolver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string FromEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string ComPortFolder() {
  std::string dir = FromEnv("PORTOLAN_PORT_DIR");
  if (!dir.empty()) return dir;
  dir = FromEnv("XDG_RUNTIME_DIR");
  if (!dir.empty()) return dir + "/portolan";
  return "/tmp/portolan-" + std::to_string(getuid()) + "/ports";
}

unsigned ParseComPortNumber(const std::string& name) {
  std::string text = name;
  if (!text.empty() && text.back() == ':') text.pop_back();
  if (text.size() < 4 || text.size() > 6 || text.compare(0, 3, "COM") != 0) return 0;
  if (text[3] == '0') return 0;
  unsigned number = 0;
  for (size_t i = 3; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    number = number * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return number <= 255 ? number : 0;
}

std::string ResolveComPort(const std::string& name, const ComPortMapping& mapping,
                           const ComPortPlaces& places) {
  unsigned number = ParseComPortNumber(name);
  if (number == 0) return {};
  // Only the canonical name goes into paths, never the caller's text.
  const std::string canonical = "COM" + std::to_string(number);
  const std::string folder = places.portFolder.empty() ? ComPortFolder() : places.portFolder;
  std::string link = folder + "/" + canonical;
  if (Exists(link)) return link;
  std::string device = places.devPrefix + std::to_string(number - 1);
  if (Exists(device)) return device;
  if (mapping) return mapping(canonical);
  return {};
}

}  // namespace platform
