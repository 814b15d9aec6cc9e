// Any text: the parser answers without crashing; text it accepts writes back to text that parses
// to the same keys, also after merging into the key tree.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/RegistryStore.h"
#include "platform/RegistryTree.h"

namespace {

bool Same(const std::vector<platform::RegKeyData>& a, const std::vector<platform::RegKeyData>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (a[k].path != b[k].path || a[k].values.size() != b[k].values.size()) return false;
    for (size_t i = 0; i < a[k].values.size(); ++i) {
      const auto& x = a[k].values[i];
      const auto& y = b[k].values[i];
      if (x.name != y.name || x.type != y.type || x.dword != y.dword || x.text != y.text) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const platform::RegParseResult parsed = platform::ParseRegistryExport(text);
  if (!parsed.ok) {
    if (parsed.errorLine == 0 || parsed.error.empty() || !parsed.keys.empty()) std::abort();
    return 0;
  }
  const platform::RegParseResult again =
      platform::ParseRegistryExport(platform::FormatRegistryExport(parsed.keys));
  if (!again.ok || !Same(parsed.keys, again.keys)) std::abort();

  const auto merged = platform::RegistryTree::FromKeys(parsed.keys).ToKeys();
  const platform::RegParseResult fromTree =
      platform::ParseRegistryExport(platform::FormatRegistryExport(merged));
  if (!fromTree.ok || !Same(merged, fromTree.keys)) std::abort();
  return 0;
}
