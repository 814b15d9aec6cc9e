#include "platform/SerialPortList.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/SmallFile.h"

namespace platform {

namespace {

std::mutex& OverrideMutex() {
  static std::mutex mutex;
  return mutex;
}

std::optional<std::vector<SerialPortList::Entry>>& Override() {
  static std::optional<std::vector<SerialPortList::Entry>> ports;
  return ports;
}

SerialPortList::Entry MakeEntry(unsigned index, std::string data) {
  return {"\\Device\\Serial" + std::to_string(index), std::move(data)};
}

// N of a "ttyS<N>" name (decimal digits only, at most 4 of them), or -1.
long TtySNumber(const char* name) {
  const std::string_view s(name);
  if (s.size() < 5 || s.size() > 8 || s.substr(0, 4) != "ttyS") return -1;
  long n = 0;
  for (char c : s.substr(4)) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

bool HasRealUart(const std::string& entryFolder) {
  struct stat st {};
  if (::stat((entryFolder + "/device").c_str(), &st) != 0) return false;
  std::string type;
  if (ReadSmallFile(entryFolder + "/type", 64, &type) != SmallFileResult::Ok) return true;
  const size_t digits = type.find_first_not_of("0123456789");
  const std::string number = type.substr(0, digits);
  // An attribute that is not a number tells nothing; only "0" marks an unknown port.
  return number.empty() || std::strtoul(number.c_str(), nullptr, 10) != 0;
}

}  // namespace

std::vector<SerialPortList::Entry> SerialPortList::FromSysfs(const std::string& ttyClassFolder) {
  std::vector<long> numbers;
  if (DIR* dir = ::opendir(ttyClassFolder.c_str())) {
    while (const dirent* d = ::readdir(dir)) {
      const long n = TtySNumber(d->d_name);
      if (n >= 0 && HasRealUart(ttyClassFolder + "/" + d->d_name)) numbers.push_back(n);
    }
    ::closedir(dir);
  }
  std::sort(numbers.begin(), numbers.end());
  std::vector<Entry> ports;
  for (long n : numbers) {
    ports.push_back(MakeEntry(static_cast<unsigned>(n), "COM" + std::to_string(n + 1)));
  }
  return ports;
}

std::vector<SerialPortList::Entry> SerialPortList::FromList(const std::string& commaSeparated) {
  std::vector<Entry> ports;
  size_t start = 0;
  while (start <= commaSeparated.size()) {
    size_t comma = commaSeparated.find(',', start);
    if (comma == std::string::npos) comma = commaSeparated.size();
    std::string item = commaSeparated.substr(start, comma - start);
    const size_t first = item.find_first_not_of(" \t");
    const size_t last = item.find_last_not_of(" \t");
    if (first != std::string::npos) {
      ports.push_back(
          MakeEntry(static_cast<unsigned>(ports.size()), item.substr(first, last - first + 1)));
    }
    start = comma + 1;
  }
  return ports;
}

std::vector<SerialPortList::Entry> SerialPortList::SystemSerialPorts() {
  {
    std::lock_guard<std::mutex> lock(OverrideMutex());
    if (Override()) return *Override();
  }
  if (const char* list = std::getenv("PORTOLAN_SERIALCOMM")) return FromList(list);
  return FromSysfs("/sys/class/tty");
}

void SerialPortList::SetSystemSerialPortsForTest(std::optional<std::vector<Entry>> ports) {
  std::lock_guard<std::mutex> lock(OverrideMutex());
  Override() = std::move(ports);
}

}  // namespace platform
