// Key paths of the settings store: backslash-separated components starting at a hive name.
// Components are compared without regard to ASCII case, as the registry does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

class RegistryPath {
 public:
  // Splits "A\\B\\C" into its components. False for an empty path, an empty component (leading,
  // trailing or doubled backslash) or a component holding a control character, which the file
  // format cannot carry in a key line.
  static bool Split(std::string_view path, std::vector<std::string>* components);
  static bool IsValidComponent(std::string_view component);
  // ASCII case-insensitive equality; bytes above 0x7F compare exactly.
  static bool EqualNoCase(std::string_view a, std::string_view b);
};

}  // namespace platform
