// Parsers of the option and config-file values: each takes the whole text or fails.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "DeviceConfig.h"

namespace devsim {

// Strictly dotted IPv4: four decimal parts 0...255, nothing else.
std::optional<std::array<uint8_t, 4>> ParseAddress(std::string_view text);
// 12 hex digits, optionally in pairs separated by ':' or '-'.
std::optional<std::array<uint8_t, 6>> ParseHardwareAddress(std::string_view text);
// A decimal number in [min, max].
std::optional<long> ParseNumber(std::string_view text, long min, long max);
// yes/no, true/false, on/off, 1/0.
std::optional<bool> ParseBool(std::string_view text);
// "state,condition,name": two numbers 0...255 and the rest of the text as the name.
std::optional<PortConfig> ParsePortEntry(std::string_view text);
std::optional<PortMode> ParsePortMode(std::string_view text);
// A value as written: surrounding blanks removed; in double quotes, blanks are kept and \\, \"
// and \xHH give those bytes. Empty on a malformed quoted value.
std::optional<std::string> UnquoteValue(std::string_view text);
std::string_view Trim(std::string_view text);

}  // namespace devsim
