// Feeds arbitrary text to the search entries' parser (a view's stored list, or a person's typing)
// and, as an address-list file, to the reader of its addresses: every address read is a run of
// digits and dots of at most a line's limit, and the reading always moves forward to the end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "discovery/SearchEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const discovery::SearchEntry entry = discovery::ParseSearchEntry(text);
  if (discovery::IsWellFormedSearchEntry(text) &&
      entry.kind == discovery::SearchEntry::Kind::kMulticast &&
      (entry.hops < 1 || entry.hops > 255)) {
    std::abort();
  }
  size_t pos = 0;
  std::string_view address;
  while (discovery::NextListedAddress(text, &pos, &address)) {
    if (address.size() > discovery::kAddressListLineLimit ||
        address.find_first_not_of(".0123456789") != std::string_view::npos) {
      std::abort();
    }
  }
  if (pos < size) std::abort();
  return 0;
}
