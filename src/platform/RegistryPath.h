// Key paths of the settings store: backslash-separated components starting at a hive name.
// Components are compared without regard to ASCII case, as the registry does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class RegistryPath {
 public:
  // Deepest key path accepted, as in the registry. The tree is walked recursively, so a hostile
  // file must not be able to nest keys without bound.
  static constexpr size_t kMaxDepth = 512;

  // Splits "A\\B\\C" into its components. False for an empty path, an empty component (leading,
  // trailing or doubled backslash) or a component holding a control character, which the file
  // format cannot carry in a key line, or more than kMaxDepth components.
  static bool Split(std::string_view path, std::vector<std::string>* components);
  static bool IsValidComponent(std::string_view component);
  // ASCII case-insensitive equality; bytes above 0x7F compare exactly.
  static bool EqualNoCase(std::string_view a, std::string_view b);
};

}  // namespace platform
