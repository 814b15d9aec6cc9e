// Read-only access to an INI file with the Windows private-profile rules: section and key names
// compare without regard to case, the first match wins, keys and values are trimmed of blanks, a
// value's surrounding double quotes are removed, ';' starts a comment line, lines end in LF or CR
// LF. A file that is missing, unreadable or too large reads as empty: every read gives its default.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniFile {
 public:
  enum class Status { Ok, Missing, Unreadable, TooLarge };

  // Larger files are refused whole: a settings file of that size is not one we wrote.
  static constexpr size_t kMaxFileSize = 1024 * 1024;

  IniFile() = default;  // an empty file
  // Reads and parses path; see LoadStatus() for what happened.
  static IniFile Load(const std::string& path);
  // Parses text as the contents of a file (text longer than kMaxFileSize is refused as TooLarge).
  static IniFile FromText(std::string_view text);

  Status LoadStatus() const { return status_; }
  // "" when Ok, else a one-line reason naming the file.
  const std::string& StatusText() const { return statusText_; }

  // GetPrivateProfileString: the value, or defaultValue (trailing blanks removed) when the section
  // or key is absent; either cut to bufferSize - 1 characters (empty when bufferSize is 0).
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue, size_t bufferSize = 256) const;
  // GetPrivateProfileInt: the decimal number at the start of the value (blanks and one sign
  // allowed before it); 0 when the value is not a number; defaultValue when the key is absent
  // or its value empty. Numbers beyond the int range are clamped to it.
  int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
  // GetPrivateProfileSection: the section's entries as written, "key=value" (key and value trimmed,
  // quotes kept), or "key" for a line without '='. Comments and blank lines are left out.
  std::vector<std::string> GetSectionLines(std::string_view section) const;
  // The key names of the section, in file order (duplicates kept, as the file has them).
  std::vector<std::string> GetKeys(std::string_view section) const;
  // GetPrivateProfileSectionNames: every section name in file order.
  std::vector<std::string> GetSectionNames() const;

 private:
  struct Entry {
    std::string key;
    std::string value;  // trimmed, quotes kept
    bool hasValue = false;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  void Parse(std::string_view text);
  const Section* FindSection(std::string_view name) const;
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  Status status_ = Status::Ok;
  std::string statusText_;
  std::vector<Section> sections_;
};

}  // namespace platform
