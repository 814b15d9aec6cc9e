// The settings store: a tree of keys holding typed values, kept in one text file in the
// registry-export format. Key names and value names compare without regard to case; values keep
// their creation order. Every change is on disk before the call returns.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Windows-style result codes, so that callers keep the codes they document.
enum RegResult : long {
  REG_OK = 0,               // ERROR_SUCCESS
  REG_NOT_FOUND = 2,        // ERROR_FILE_NOT_FOUND: key or value absent
  REG_ACCESS_DENIED = 5,    // ERROR_ACCESS_DENIED: the file cannot be written
  REG_INVALID = 87,         // ERROR_INVALID_PARAMETER: empty or malformed path/name
  REG_NO_MORE_ITEMS = 259,  // ERROR_NO_MORE_ITEMS: enumeration past the end
  REG_CORRUPT = 1015,       // ERROR_REGISTRY_CORRUPT: the file could not be parsed
};

enum class RegType { Dword, String };

struct RegValue {
  std::string name;
  RegType type = RegType::String;
  uint32_t dword = 0;
  std::string text;  // for String values
};

// Key paths are backslash-separated and start at a hive name, e.g.
// "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General". Empty components are refused.
class RegistryStore {
 public:
  // filePath empty: a store kept in memory only (tests, and a fallback when no file can be used).
  explicit RegistryStore(std::string filePath);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // $PORTOLAN_REGISTRY, else $XDG_CONFIG_HOME/portolan/registry.reg, else
  // ~/.config/portolan/registry.reg.
  static std::string DefaultPath();

  // Creates every missing key on the path. existed (optional) tells whether the last key was there.
  long CreateKey(const std::string& path, bool* existed = nullptr);
  bool KeyExists(const std::string& path);

  long SetDword(const std::string& path, const std::string& name, uint32_t value);
  long SetString(const std::string& path, const std::string& name, const std::string& value);
  // Sets a value of either type, creating the key path as needed.
  long SetValue(const std::string& path, const RegValue& value);
  std::optional<RegValue> GetValue(const std::string& path, const std::string& name);

  // Values in creation order; subkey names in creation order. Empty when the key is absent.
  std::vector<RegValue> EnumValues(const std::string& path);
  std::vector<std::string> EnumSubkeys(const std::string& path);

  long DeleteValue(const std::string& path, const std::string& name);
  // Deletes the key with all its values and subkeys.
  long DeleteTree(const std::string& path);

  // The whole store as the registry-export text ("Windows Registry Editor Version 5.00" ...).
  std::string ExportText();

  // Where the file stands: REG_OK; REG_CORRUPT when some lines of the file could not be parsed
  // (the file was moved aside to LastCorruptCopy() as it was, and every line that could be read
  // was kept and written back); REG_ACCESS_DENIED when the file could not be read or written.
  long Status() const;
  std::string StatusText() const;
  std::string LastCorruptCopy() const;
  // True when something at the path could not be read (no permission, a folder, a device): it
  // is left as it is, the store holds none of its settings and refuses every write.
  bool Unreadable() const;
  const std::string& FilePath() const { return path_; }

 private:
  struct Impl;
  std::string path_;
  Impl* impl_;
};

// Parsing and writing of the export format, pure functions (also fuzzed).
struct RegKeyData {
  std::string path;  // full path as written between the brackets
  std::vector<RegValue> values;
};
struct RegParseResult {
  bool ok = false;
  size_t errorLine = 0;  // 1-based line of the first error when !ok
  std::string error;
  std::vector<RegKeyData> keys;  // in file order
  size_t skippedLines = 0;       // lines left out by RecoverRegistryExport
};
// The whole text or nothing: a malformed line gives !ok and no keys.
RegParseResult ParseRegistryExport(const std::string& text);
// Every well-formed key and value; malformed lines (and the values of a malformed key line) are
// left out and counted. ok when none was.
RegParseResult RecoverRegistryExport(const std::string& text);
std::string FormatRegistryExport(const std::vector<RegKeyData>& keys);

}  // namespace platform
