#include "app/Settings.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

std::atomic<Settings*> g_settings{nullptr};
std::atomic<unsigned> g_settingsGeneration{0};

bool EqualNoCase(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Whether path names a key below key (names compare without regard to case).
bool IsBelow(const std::string& path, const std::string& key) {
  if (path.size() <= key.size() || path[key.size()] != '\\') return false;
  for (size_t i = 0; i < key.size(); ++i) {
    if (!EqualNoCase(path[i], key[i])) return false;
  }
  return true;
}

std::string Join(const std::string& base, const std::string& relative) {
  if (relative.empty()) return base;
  return base + "\\" + relative;
}

}  // namespace

Settings::Settings(platform::RegistryStore& store, std::string registryKey)
    : store_(store), registryKey_(registryKey.empty() ? "Portolan" : std::move(registryKey)) {}

void Settings::SetRegistryKey(const std::string& registryKey) {
  registryKey_ = registryKey.empty() ? "Portolan" : registryKey;
}

std::string Settings::RootPath() const {
  return "HKEY_CURRENT_USER\\Software\\" + registryKey_ + "\\Portolan";
}

std::string Settings::SectionPath(const std::string& section) const {
  return Join(RootPath(), section);
}

int Settings::GetInt(const std::string& section, const std::string& entry, int defaultValue) {
  auto value = store_.GetValue(SectionPath(section), entry);
  if (!value || value->type != platform::RegType::Dword) return defaultValue;
  return static_cast<int>(value->dword);
}

std::string Settings::GetString(const std::string& section, const std::string& entry,
                                const std::string& defaultValue) {
  auto value = store_.GetValue(SectionPath(section), entry);
  if (!value || value->type != platform::RegType::String) return defaultValue;
  return value->text;
}

bool Settings::WriteInt(const std::string& section, const std::string& entry, int value) {
  return store_.SetDword(SectionPath(section), entry, static_cast<uint32_t>(value)) ==
         platform::REG_OK;
}

bool Settings::WriteString(const std::string& section, const std::string& entry,
                           const std::string& value) {
  return store_.SetString(SectionPath(section), entry, value) == platform::REG_OK;
}

bool Settings::SectionExists(const std::string& section) {
  return store_.KeyExists(SectionPath(section));
}

std::vector<platform::RegValue> Settings::EnumValues(const std::string& section) {
  return store_.EnumValues(SectionPath(section));
}

std::vector<std::string> Settings::EnumSubkeys(const std::string& section) {
  return store_.EnumSubkeys(SectionPath(section));
}

bool Settings::DeleteEntry(const std::string& section, const std::string& entry) {
  return store_.DeleteValue(SectionPath(section), entry) == platform::REG_OK;
}

bool Settings::DeleteSection(const std::string& section) {
  return store_.DeleteTree(SectionPath(section)) == platform::REG_OK;
}

long Settings::MoveSettingsKey(const std::string& source, const std::string& destination) {
  std::string from = SectionPath(source);
  std::string to = SectionPath(destination);
  // A key cannot be moved below itself: the copy would never end.
  if (IsBelow(to, from)) return MOVEKEY_NO_SOURCE;
  return MoveKeyTree(from, to);
}

long Settings::MoveKeyTree(const std::string& sourcePath, const std::string& destinationPath) {
  if (!store_.KeyExists(sourcePath)) return MOVEKEY_NO_SOURCE;
  bool existed = false;
  if (store_.CreateKey(destinationPath, &existed) != platform::REG_OK) return MOVEKEY_NO_SOURCE;
  if (existed) return MOVEKEY_DEST_EXISTS;

  int errors = 0;
  for (const auto& value : store_.EnumValues(sourcePath)) {
    if (store_.SetValue(destinationPath, value) != platform::REG_OK) ++errors;
  }
  for (const auto& subkey : store_.EnumSubkeys(sourcePath)) {
    if (MoveKeyTree(Join(sourcePath, subkey), Join(destinationPath, subkey)) != MOVEKEY_OK) {
      ++errors;
    }
  }
  // What could not be moved stays at the source rather than being deleted with it.
  if (errors > 0) return MOVEKEY_SOME_FAILED;
  store_.DeleteTree(sourcePath);
  return MOVEKEY_OK;
}

Settings& TheSettings() {
  Settings* settings = g_settings.load();
  if (settings == nullptr) {
    // Reaching here is a programming error: the programs install their settings first.
    std::fputs("portolan: settings used before they were installed\n", stderr);
    std::abort();
  }
  return *settings;
}

void InstallSettings(Settings* settings) {
  g_settings.store(settings);
  g_settingsGeneration.fetch_add(1);
}

unsigned SettingsGeneration() {
  return g_settingsGeneration.load();
}

}  // namespace app
