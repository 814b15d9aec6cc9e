#include "ValueParsers.h"

#include <strings.h>

#include <charconv>

namespace devsim {
namespace {

bool EqualsNoCase(std::string_view a, const char* b) {
  return a.size() == std::char_traits<char>::length(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

std::optional<uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  return std::nullopt;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::optional<long> ParseNumber(std::string_view text, long min, long max) {
  long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::optional<std::array<uint8_t, 4>> ParseAddress(std::string_view text) {
  std::array<uint8_t, 4> out{};
  for (size_t i = 0; i < 4; ++i) {
    const size_t dot = i < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos || dot == 0 || dot > 3) return std::nullopt;
    if (text.substr(0, dot).find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    const auto part = ParseNumber(text.substr(0, dot), 0, 255);
    if (!part) return std::nullopt;
    out[i] = static_cast<uint8_t>(*part);
    text = i < 3 ? text.substr(dot + 1) : std::string_view{};
  }
  return out;
}

std::optional<std::array<uint8_t, 6>> ParseHardwareAddress(std::string_view text) {
  std::array<uint8_t, 6> out{};
  const bool separated = text.size() == 17;
  if (text.size() != 12 && !separated) return std::nullopt;
  const size_t step = separated ? 3 : 2;
  for (size_t i = 0; i < 6; ++i) {
    const auto high = HexDigit(text[i * step]);
    const auto low = HexDigit(text[i * step + 1]);
    if (!high || !low) return std::nullopt;
    if (separated && i < 5 && text[i * step + 2] != ':' && text[i * step + 2] != '-') {
      return std::nullopt;
    }
    out[i] = static_cast<uint8_t>(*high << 4 | *low);
  }
  return out;
}

std::optional<bool> ParseBool(std::string_view text) {
  for (const char* yes : {"yes", "true", "on", "1"}) {
    if (EqualsNoCase(text, yes)) return true;
  }
  for (const char* no : {"no", "false", "off", "0"}) {
    if (EqualsNoCase(text, no)) return false;
  }
  return std::nullopt;
}

std::optional<PortConfig> ParsePortEntry(std::string_view text) {
  const size_t comma1 = text.find(',');
  if (comma1 == std::string_view::npos) return std::nullopt;
  const size_t comma2 = text.find(',', comma1 + 1);
  if (comma2 == std::string_view::npos) return std::nullopt;
  const auto state = ParseNumber(Trim(text.substr(0, comma1)), 0, 255);
  const auto condition = ParseNumber(Trim(text.substr(comma1 + 1, comma2 - comma1 - 1)), 0, 255);
  const auto name = UnquoteValue(text.substr(comma2 + 1));
  if (!state || !condition || !name) return std::nullopt;
  return PortConfig{static_cast<uint8_t>(*state), static_cast<uint8_t>(*condition), *name};
}

std::optional<PortMode> ParsePortMode(std::string_view text) {
  if (EqualsNoCase(text, "echo")) return PortMode::kEcho;
  if (EqualsNoCase(text, "pty")) return PortMode::kPty;
  return std::nullopt;
}

std::optional<std::string> UnquoteValue(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.front() != '"') return std::string(text);
  if (text.size() < 2 || text.back() != '"') return std::nullopt;
  text = text.substr(1, text.size() - 2);
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') return std::nullopt;  // a quote inside must be escaped
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const char next = text[++i];
    if (next == '\\' || next == '"') {
      out.push_back(next);
    } else if (next == 'x' && i + 2 < text.size()) {
      const auto high = HexDigit(text[i + 1]);
      const auto low = HexDigit(text[i + 2]);
      if (!high || !low) return std::nullopt;
      out.push_back(static_cast<char>(*high << 4 | *low));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace devsim
