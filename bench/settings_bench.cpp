// How long the settings store takes to read a settings file at its size limit (64 MiB) of valid
// lines, in the two shapes that used to be quadratic: every value under one key, and every key
// under one parent. Each run writes the file, opens a store on it and reads one value back.
// Usage: settings_bench [megabytes=63]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/RegistryStore.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string kRoot = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";

// A file of about bytes: either values "Value<n>"=dword:... under one key, or keys
// [..\Ports\Key<n>] with one value each.
std::string MakeText(size_t bytes, bool manyKeys, size_t* items) {
  std::string text = "Windows Registry Editor Version 5.00\n\n[" + kRoot + "\\Ports]\n";
  *items = 0;
  while (text.size() < bytes) {
    const std::string n = std::to_string((*items)++);
    if (manyKeys) {
      text += "\n[" + kRoot + "\\Ports\\Key" + n + "]\n\"DevIpAddr\"=\"10.0.0.1\"\n";
    } else {
      text += "\"Value" + n + "\"=dword:00000001\n";
    }
  }
  return text;
}

void Measure(size_t bytes, bool manyKeys) {
  size_t items = 0;
  const std::string text = MakeText(bytes, manyKeys, &items);
  char path[] = "/tmp/portolan-settings-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) std::exit(1);
  close(fd);
  std::ofstream(path, std::ios::binary) << text;
  const auto start = Clock::now();
  platform::RegistryStore store(path);
  const std::string key = kRoot + "\\Ports" + (manyKeys ? "\\KEY" + std::to_string(items - 1) : "");
  const auto value =
      store.GetValue(key, manyKeys ? "devipaddr" : "VALUE" + std::to_string(items - 1));
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%-22s %6.1f MiB %9zu %-6s %7.3f s %s\n",
              manyKeys ? "keys under one parent" : "values under one key",
              static_cast<double>(text.size()) / (1024.0 * 1024.0), items,
              manyKeys ? "keys" : "values", seconds, value ? "found" : "MISSING");
  unlink(path);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 63;
  Measure(megabytes << 20, false);
  Measure(megabytes << 20, true);
  return 0;
}
