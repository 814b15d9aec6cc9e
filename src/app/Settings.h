// Settings access: every part of the program reads and writes its settings here, by section (a key
// path below the application's root, e.g. "General\\Icons") and entry (a value name).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegistryStore.h"

namespace app {

// Results of MoveSettingsKey.
enum MoveKeyResult : long {
  MOVEKEY_OK = 0,
  MOVEKEY_NO_SOURCE = 3,       // the source key cannot be opened, or the destination not created
  MOVEKEY_SOME_FAILED = 299,   // moved, but some value or subkey could not be
  MOVEKEY_DEST_EXISTS = 5010,  // the destination already existed; nothing moved
};

class Settings {
 public:
  // registryKey: the branding's "CompanyReg", or "Portolan" when that is empty.
  Settings(platform::RegistryStore& store, std::string registryKey = "Portolan");

  void SetRegistryKey(const std::string& registryKey);
  const std::string& RegistryKey() const { return registryKey_; }
  // "HKEY_CURRENT_USER\\Software\\<registry key>\\Portolan".
  std::string RootPath() const;
  // The full registry path of a section (the section key that callers enumerate).
  std::string SectionPath(const std::string& section) const;

  // Absent values, or values of the other type, give the caller's default.
  int GetInt(const std::string& section, const std::string& entry, int defaultValue);
  std::string GetString(const std::string& section, const std::string& entry,
                        const std::string& defaultValue = "");
  // Writing creates the section's key path as needed. True when written.
  bool WriteInt(const std::string& section, const std::string& entry, int value);
  bool WriteString(const std::string& section, const std::string& entry, const std::string& value);

  bool SectionExists(const std::string& section);
  std::vector<platform::RegValue> EnumValues(const std::string& section);
  std::vector<std::string> EnumSubkeys(const std::string& section);
  bool DeleteEntry(const std::string& section, const std::string& entry);
  bool DeleteSection(const std::string& section);

  // Moves the key tree at source to destination, both relative to the root. Codes above.
  long MoveSettingsKey(const std::string& source, const std::string& destination);

  platform::RegistryStore& Store() { return store_; }

 private:
  long MoveKeyTree(const std::string& sourcePath, const std::string& destinationPath);

  platform::RegistryStore& store_;
  std::string registryKey_;
};

// The process-wide settings, installed by the application at start (and by portolanctl).
Settings& TheSettings();
void InstallSettings(Settings* settings);
// Changes with every InstallSettings, so that what was derived from the old settings is dropped.
unsigned SettingsGeneration();

}  // namespace app
