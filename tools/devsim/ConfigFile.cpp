#include "ConfigFile.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "DeviceTable.h"
#include "ValueParsers.h"

namespace devsim {
namespace {

bool KeyIs(std::string_view key, const char* name) {
  return key.size() == std::strlen(name) && strncasecmp(key.data(), name, key.size()) == 0;
}

class ConfigReader {
 public:
  ConfigReader(const DeviceSeries& defaults, SimOptions* options)
      : defaults_(defaults), options_(options) {
    nextIp_ = AddressValue(defaults.first.ipAddress);
    nextHw_ = defaults.first.hardwareAddress;
  }

  std::optional<ConfigError> Run(std::string_view text) {
    if (text.size() > kMaxConfigSize) return ConfigError{0, "file larger than 1 MiB"};
    while (!text.empty()) {
      ++line_;
      const size_t end = text.find('\n');
      const std::string_view raw = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
      if (raw.size() > kMaxConfigLine) return Error("line longer than 4096 characters");
      if (auto error = Line(Trim(raw))) return error;
    }
    return FinishSection();
  }

 private:
  enum class Section { kNone, kSimulator, kDevice };

  ConfigError Error(const std::string& message) const { return ConfigError{line_, message}; }

  std::optional<ConfigError> Line(std::string_view line) {
    if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
    if (line.front() == '[') return Header(line);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Error("expected key = value");
    const std::string_view key = Trim(line.substr(0, eq));
    const auto value = UnquoteValue(line.substr(eq + 1));
    if (!value) return Error("malformed quoted value");
    if (section_ == Section::kSimulator) return SimulatorKey(key, *value);
    if (section_ == Section::kDevice) return DeviceKey(key, *value);
    return Error("key outside a section");
  }

  std::optional<ConfigError> Header(std::string_view line) {
    if (line.back() != ']') return Error("malformed section header");
    if (auto error = FinishSection()) return error;
    const std::string_view name = Trim(line.substr(1, line.size() - 2));
    if (KeyIs(name, "simulator")) {
      section_ = Section::kSimulator;
    } else if (KeyIs(name, "device")) {
      if (nextIp_ > 0xFFFFFFFFu) return Error("no addresses left after the previous device");
      section_ = Section::kDevice;
      series_ = defaults_;
      series_.first.ipAddress = AddressOctets(static_cast<uint32_t>(nextIp_));
      series_.first.hardwareAddress = nextHw_;
      portsGiven_ = false;
    } else {
      return Error("unknown section");
    }
    return std::nullopt;
  }

  std::optional<ConfigError> FinishSection() {
    if (section_ != Section::kDevice) return std::nullopt;
    section_ = Section::kNone;
    if (!AppendSeries(series_, &options_->devices)) return Error("too many devices or addresses");
    if (options_->devices.empty()) return std::nullopt;
    const DeviceConfig& last = options_->devices.back();
    nextIp_ = AddressValue(last.ipAddress) + 1;
    uint64_t hw = 0;
    for (uint8_t b : last.hardwareAddress) hw = (hw << 8) | b;
    ++hw;
    for (size_t i = 0; i < 6; ++i) nextHw_[i] = static_cast<uint8_t>(hw >> (8 * (5 - i)));
    return std::nullopt;
  }

  std::optional<ConfigError> Number(const std::string& value, long min, long max, int* out) {
    const auto n = ParseNumber(value, min, max);
    if (!n) return Error("number out of range");
    *out = static_cast<int>(*n);
    return std::nullopt;
  }

  std::optional<ConfigError> SimulatorKey(std::string_view key, const std::string& value) {
    SimOptions& o = *options_;
    if (KeyIs(key, "udp_port")) return Number(value, 0, 65535, &o.udpPort);
    if (KeyIs(key, "raw_base")) return Number(value, 1, 65535 - 16, &o.rawBase);
    if (KeyIs(key, "rfc2217_base")) return Number(value, 1, 65535 - 16, &o.rfc2217Base);
    if (KeyIs(key, "burst_gap_ms")) return Number(value, 0, 1000, &o.burstGapMs);
    if (KeyIs(key, "burst")) {
      int burst = 0;
      if (auto error = Number(value, 1, 100000, &burst)) return error;
      o.burst = static_cast<size_t>(burst);
      return std::nullopt;
    }
    if (KeyIs(key, "multicast") || KeyIs(key, "tcp")) {
      const auto flag = ParseBool(value);
      if (!flag) return Error("expected yes or no");
      (KeyIs(key, "tcp") ? o.serveTcp : o.joinMulticast) = *flag;
      return std::nullopt;
    }
    return Error("unknown key");
  }

  std::optional<ConfigError> DeviceKey(std::string_view key, const std::string& value) {
    DeviceConfig& d = series_.first;
    if (KeyIs(key, "count")) {
      const auto n = ParseNumber(value, 0, static_cast<long>(kMaxDevices));
      if (!n) return Error("count out of range");
      series_.count = static_cast<size_t>(*n);
    } else if (KeyIs(key, "ip") || KeyIs(key, "mask") || KeyIs(key, "gateway")) {
      const auto address = ParseAddress(value);
      if (!address) return Error("invalid IPv4 address");
      (KeyIs(key, "ip")     ? d.ipAddress
       : KeyIs(key, "mask") ? d.subnetMask
                            : d.defaultGateway) = *address;
    } else if (KeyIs(key, "hw")) {
      const auto hw = ParseHardwareAddress(value);
      if (!hw) return Error("invalid hardware address");
      d.hardwareAddress = *hw;
    } else if (KeyIs(key, "format") || KeyIs(key, "port_count")) {
      int n = 0;
      if (auto error = Number(value, 0, 255, &n)) return error;
      if (KeyIs(key, "format")) {
        d.format = static_cast<uint8_t>(n);
      } else {
        d.announcedPorts = n;
      }
    } else if (KeyIs(key, "layout")) {
      if (value != "A" && value != "a" && value != "B" && value != "b") {
        return Error("layout is A or B");
      }
      d.format = (value == "A" || value == "a") ? 1 : 3;
    } else if (KeyIs(key, "port")) {
      const auto port = ParsePortEntry(value);
      if (!port) return Error("port is state,condition,name");
      if (!portsGiven_) d.ports.clear();
      portsGiven_ = true;
      if (d.ports.size() >= kMaxPortEntries) return Error("more than 16 port entries");
      d.ports.push_back(*port);
    } else if (KeyIs(key, "port_mode")) {
      const auto mode = ParsePortMode(value);
      if (!mode) return Error("port_mode is echo or pty");
      d.portMode = *mode;
    } else if (KeyIs(key, "name")) {
      series_.nameTemplate = value;
    } else if (KeyIs(key, "wireless")) {
      const auto flag = ParseBool(value);
      if (!flag) return Error("expected yes or no");
      d.wireless = *flag;
    } else {
      return TextKey(key, value);
    }
    return std::nullopt;
  }

  std::optional<ConfigError> TextKey(std::string_view key, const std::string& value) {
    DeviceConfig& d = series_.first;
    std::string* field = KeyIs(key, "serial")           ? &d.serialText
                         : KeyIs(key, "product_type")   ? &d.productType
                         : KeyIs(key, "product_number") ? &d.productNumber
                         : KeyIs(key, "datecode")       ? &d.datecode
                         : KeyIs(key, "maker")          ? &d.maker
                         : KeyIs(key, "get_community")  ? &d.getCommunity
                         : KeyIs(key, "set_community")  ? &d.setCommunity
                         : KeyIs(key, "status")         ? &d.generalStatus
                         : KeyIs(key, "firmware")       ? &d.firmware
                         : KeyIs(key, "location")       ? &d.location
                         : KeyIs(key, "ssid")           ? &d.ssid
                                                        : nullptr;
    if (!field) return Error("unknown key");
    *field = value;
    return std::nullopt;
  }

  const DeviceSeries& defaults_;
  SimOptions* options_;
  Section section_ = Section::kNone;
  DeviceSeries series_;
  bool portsGiven_ = false;
  uint64_t nextIp_ = 0;
  std::array<uint8_t, 6> nextHw_{};
  size_t line_ = 0;
};

}  // namespace

std::optional<ConfigError> ParseConfig(std::string_view text, const DeviceSeries& defaults,
                                       SimOptions* options) {
  ConfigReader reader(defaults, options);
  return reader.Run(text);
}

std::optional<ConfigError> LoadConfigFile(const std::string& path, const DeviceSeries& defaults,
                                          SimOptions* options) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return ConfigError{0, "cannot open " + path + ": " + std::strerror(errno)};
  std::string text(kMaxConfigSize + 1, '\0');
  const size_t n = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get())) return ConfigError{0, "cannot read " + path};
  text.resize(n);
  return ParseConfig(text, defaults, options);
}

}  // namespace devsim
