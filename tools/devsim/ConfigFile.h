// The simulator's config file: INI-style sections of key = value lines.
//
//   [simulator]            udp_port, raw_base, rfc2217_base, tcp, multicast, burst, burst_gap_ms
//   [device]               one section per device series (count = N makes N devices):
//                          count, ip, mask, gateway, hw, serial, format, layout, name,
//                          product_type, product_number, datecode, maker, get_community,
//                          set_community, status, port (repeatable), port_count, port_mode,
//                          firmware, location, wireless, ssid (what the SNMP agent reports)
//
// Lines starting with '#' or ';' are comments. A [device] section starts from the command line's
// device template; without ip or hw it continues after the previous device's address and hardware
// address. The parser is bounded: at most kMaxConfigSize bytes, kMaxConfigLine per line,
// kMaxPortEntries port lines per section, kMaxDevices devices.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "SimOptions.h"

namespace devsim {

constexpr size_t kMaxConfigSize = 1 << 20;
constexpr size_t kMaxConfigLine = 4096;

struct ConfigError {
  size_t line = 0;  // 1-based; 0 for the file as a whole
  std::string message;
};

// Parses text into options, appending the devices of its [device] sections. On error the options
// may be partly changed and the caller gives up.
std::optional<ConfigError> ParseConfig(std::string_view text, const DeviceSeries& defaults,
                                       SimOptions* options);

// Reads the file (bounded by kMaxConfigSize) and parses it.
std::optional<ConfigError> LoadConfigFile(const std::string& path, const DeviceSeries& defaults,
                                          SimOptions* options);

}  // namespace devsim
