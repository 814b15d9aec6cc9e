// Feeds arbitrary bytes to the INI parser and every read operation.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const platform::IniFile ini = platform::IniFile::FromText(text);
  for (const std::string& section : ini.GetSectionNames()) {
    for (const std::string& key : ini.GetKeys(section)) {
      (void)ini.GetString(section, key, "d", 1 + (size % 300));
      (void)ini.GetInt(section, key, -1);
    }
    (void)ini.GetSectionLines(section);
  }
  return 0;
}
