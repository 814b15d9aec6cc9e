// Maker tags: a device names its brand in a 5-byte field of its reply, while the configured tags
// (the maker's own and the brand table's) may be longer. Every place where a device's maker text
// meets a configured tag compares them with MakerTagMatches.
#pragma once

#include <string_view>

namespace discovery {

// The maker's own tag (string 8000).
inline constexpr std::string_view kOwnMakerTag = "Vantor";

// True when deviceTag equals tag, or when deviceTag fills the whole 5-byte field (so the device
// could not send more) and equals the first 5 characters of tag. An empty tag never matches a
// non-empty text, and an empty device text only matches an empty tag.
bool MakerTagMatches(std::string_view deviceTag, std::string_view tag);

}  // namespace discovery
