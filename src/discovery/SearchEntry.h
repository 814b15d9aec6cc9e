// One entry of a view's search list, recognised from its text:
//   "10.1.2.3"          query that one device
//   "10.1.2.255<DB>"    discovery broadcast to that directed-broadcast address
//   "10.1.2.*"          subnet sweep: the text before "*" followed by 1...255
//   "Multicast<5>"      discovery to 224.0.1.55 with that multicast time-to-live
//   "File<path>"        query every address listed in that text file
// Recognition order: contains "*"; ends with "<DB>"; starts with "Multicast"; starts with "File";
// else a single address.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace discovery {

struct SearchEntry {
  enum class Kind { kSingle, kDirectedBroadcast, kSubnet, kMulticast, kFile };
  Kind kind = Kind::kSingle;
  std::string text;  // address, subnet prefix, or file path
  int hops = 0;      // multicast time-to-live
};

SearchEntry ParseSearchEntry(std::string_view entry);

// Whether the text is one of the forms above in full: a dotted address (also before "<DB>"),
// three dotted numbers and a dot before "*", "Multicast<N>" with N from 1 to 255, or "File<path>".
// ParseSearchEntry takes anything; a person's typing is checked with this first.
bool IsWellFormedSearchEntry(std::string_view entry);

// The forms, for messages that refuse an entry.
inline constexpr const char* kSearchEntryForms =
    "10.0.0.5, 10.0.0.255<DB>, 10.0.0.*, Multicast<HOPS>, File<PATH>";

// The leading run of characters from ".1234567890" of an address-list line.
std::string_view LeadingAddress(std::string_view line);

// Characters of an address-list line that count; the rest of a longer line is ignored.
inline constexpr std::size_t kAddressListLineLimit = 99;

// The next address of an address-list file's text from *pos on: the leading address of the next
// line that is not empty (of its first kAddressListLineLimit characters). False at the end; *pos
// moves past the line.
bool NextListedAddress(std::string_view text, std::size_t* pos, std::string_view* address);

}  // namespace discovery
