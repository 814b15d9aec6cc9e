#include "discovery/SearchEntry.h"

#include <algorithm>
#include <cstdlib>

#include "discovery/DiscoveryRequest.h"

namespace discovery {
namespace {

constexpr std::string_view kDbSuffix = "<DB>";
constexpr std::string_view kMulticastPrefix = "Multicast";
constexpr std::string_view kFilePrefix = "File";
// Where the hop count and the path start: after "Multicast<" and "File<".
constexpr size_t kHopsStart = 10;
constexpr size_t kPathStart = 5;

// The text from start up to the one before the last character; empty when too short.
std::string_view Inner(std::string_view entry, size_t start) {
  if (entry.size() <= start) return {};
  return entry.substr(start, entry.size() - 1 - start);
}

// A decimal integer at the start of text, as atoi reads it; bounded so a long run of digits
// cannot overflow.
int LeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1000000) value = 1000000;
  }
  return static_cast<int>(negative ? -value : value);
}

}  // namespace

SearchEntry ParseSearchEntry(std::string_view entry) {
  SearchEntry result;
  if (const size_t star = entry.find('*'); star != std::string_view::npos) {
    result.kind = SearchEntry::Kind::kSubnet;
    result.text = std::string(entry.substr(0, star));
  } else if (entry.size() >= kDbSuffix.size() &&
             entry.substr(entry.size() - kDbSuffix.size()) == kDbSuffix) {
    result.kind = SearchEntry::Kind::kDirectedBroadcast;
    result.text = std::string(entry.substr(0, entry.size() - kDbSuffix.size()));
  } else if (entry.substr(0, kMulticastPrefix.size()) == kMulticastPrefix) {
    result.kind = SearchEntry::Kind::kMulticast;
    result.hops = LeadingInt(Inner(entry, kHopsStart));
  } else if (entry.substr(0, kFilePrefix.size()) == kFilePrefix) {
    result.kind = SearchEntry::Kind::kFile;
    result.text = std::string(Inner(entry, kPathStart));
  } else {
    result.kind = SearchEntry::Kind::kSingle;
    result.text = std::string(entry);
  }
  return result;
}

bool IsWellFormedSearchEntry(std::string_view entry) {
  const SearchEntry parsed = ParseSearchEntry(entry);
  switch (parsed.kind) {
    case SearchEntry::Kind::kSubnet:
      return entry.size() == parsed.text.size() + 1 && !parsed.text.empty() &&
             parsed.text.back() == '.' && ParseStrictAddress(parsed.text + "1").has_value();
    case SearchEntry::Kind::kDirectedBroadcast:
    case SearchEntry::Kind::kSingle:
      return ParseStrictAddress(parsed.text).has_value();
    case SearchEntry::Kind::kMulticast: {
      const std::string_view hops = Inner(entry, kHopsStart);
      return entry.size() > kHopsStart && entry[kHopsStart - 1] == '<' && entry.back() == '>' &&
             !hops.empty() && hops.size() <= 3 &&
             hops.find_first_not_of("0123456789") == std::string_view::npos && parsed.hops >= 1 &&
             parsed.hops <= 255;
    }
    case SearchEntry::Kind::kFile:
      return entry.size() > kPathStart + 1 && entry[kPathStart - 1] == '<' && entry.back() == '>';
  }
  return false;
}

std::string_view LeadingAddress(std::string_view line) {
  const size_t end = line.find_first_not_of(".1234567890");
  return end == std::string_view::npos ? line : line.substr(0, end);
}

bool NextListedAddress(std::string_view text, std::size_t* pos, std::string_view* address) {
  while (*pos < text.size()) {
    const std::size_t start = *pos;
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line = text.substr(start, std::min(end - start, kAddressListLineLimit));
    *pos = end + 1;
    if (line.empty() || line == "\r") continue;
    *address = LeadingAddress(line);
    return true;
  }
  return false;
}

}  // namespace discovery
