// First-run import of the views and settings of the older 16-bit utility, from its INI files in the
// Windows directory. Each file is imported only when the user agrees.
#pragma once

#include <string>

namespace platform {
class IniFile;
class Prompt;
}  // namespace platform

namespace app {

class Settings;

class LegacySettingsImporter {
 public:
  LegacySettingsImporter(Settings& settings, platform::Prompt& prompt);

  // Looks for "KESTRELNW.INI" (NetWare) then "KESTRELIP.INI" (TCP/IP) in windowsDirectory.
  void ImportAll(const std::string& windowsDirectory);
  // Imports one file for one protocol after asking; false when absent or refused.
  bool ImportFile(const std::string& path, bool netWare);

  // The file in folder whose name matches name without regard to case ("" when none); an exact
  // match is preferred.
  static std::string FindFile(const std::string& folder, const std::string& name);

 private:
  void ImportTimeouts(platform::IniFile& ini);
  void ImportCurrentView(platform::IniFile& ini);
  void ImportOemTags(platform::IniFile& ini);
  void ImportViews(platform::IniFile& ini, bool netWare);
  void ImportView(platform::IniFile& ini, const std::string& name, const std::string& group,
                  bool netWare);
  void ImportAccess(platform::IniFile& ini, bool netWare);

  Settings& settings_;
  platform::Prompt& prompt_;
};

// Every occurrence of from in text replaced by to.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

}  // namespace app
