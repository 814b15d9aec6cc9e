#include "app/LegacySettingsImporter.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "app/BrandingInfo.h"
#include "app/Settings.h"
#include "platform/IniFile.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr unsigned kImportQuestionId = 6080;
constexpr int kLongText = 256;  // what the old files' values were read with

std::string FormatQuestion(const std::string& path) {
  std::string text = res::LoadString(kImportQuestionId);
  if (text.empty())
    text = "Would you like to import views and settings from %s (16-bit utility file)? ";
  auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

LegacySettingsImporter::LegacySettingsImporter(Settings& settings, platform::Prompt& prompt)
    : settings_(settings), prompt_(prompt) {}

std::string LegacySettingsImporter::FindFile(const std::string& folder, const std::string& name) {
  std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  if (IsRegularFile(base + name)) return base + name;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return "";
  while (dirent* entry = ::readdir(dir.get())) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0 && IsRegularFile(base + entry->d_name)) {
      return base + entry->d_name;
    }
  }
  return "";
}

void LegacySettingsImporter::ImportAll(const std::string& windowsDirectory) {
  struct Source {
    const char* file;
    bool netWare;
  };
  for (const Source& source : {Source{"KESTRELNW.INI", true}, Source{"KESTRELIP.INI", false}}) {
    std::string path = FindFile(windowsDirectory, source.file);
    if (!path.empty()) ImportFile(path, source.netWare);
  }
}

bool LegacySettingsImporter::ImportFile(const std::string& path, bool netWare) {
  if (!IsRegularFile(path)) return false;
  int answer = prompt_.MessageBox(FormatQuestion(path), ProgramCaption(),
                                  platform::MB_YESNO | platform::MB_ICONQUESTION);
  if (answer != platform::IDYES) return false;
  platform::IniFile ini = platform::IniFile::Load(path);
  ImportTimeouts(ini);
  ImportCurrentView(ini);
  ImportOemTags(ini);
  ImportViews(ini, netWare);
  ImportAccess(ini, netWare);
  return true;
}

void LegacySettingsImporter::ImportTimeouts(platform::IniFile& ini) {
  // "Broadcast" is not taken over: its unit changed.
  for (const char* entry :
       {"GetTimeout", "SetTimeout", "ResetTimeout", "SnmpRetry", "MaxBroadcast"}) {
    int value = ini.GetInt("Timeouts", entry, 0);
    if (value != 0) settings_.WriteInt("Timeouts", entry, value);
  }
}

void LegacySettingsImporter::ImportCurrentView(platform::IniFile& ini) {
  std::string view = ini.GetString("General", "CurrentView", "", kLongText);
  if (!view.empty()) settings_.WriteString("General", "CurrentView", view);
}

void LegacySettingsImporter::ImportOemTags(platform::IniFile& ini) {
  // Lines of the form "TAG=oid" with a three-character tag; the first other line ends the list.
  for (const auto& line : ini.GetSectionLines("OEM")) {
    if (line.size() < 4 || line[3] != '=') break;
    settings_.WriteString("OEM", line.substr(0, 3), line.substr(4));
  }
}

void LegacySettingsImporter::ImportViews(platform::IniFile& ini, bool netWare) {
  std::string group = std::string("Views\\") + (netWare ? "NetWare" : "TCP/IP");
  if (settings_.GetInt(group, "Type", 0) == 0) {
    settings_.WriteInt(group, "Type", 2);
    settings_.WriteInt(group, "Icons", netWare ? 12 : 14);
  }
  for (const auto& name : ini.GetKeys("AllViews")) ImportView(ini, name, group, netWare);
}

void LegacySettingsImporter::ImportView(platform::IniFile& ini, const std::string& name,
                                        const std::string& group, bool netWare) {
  std::string source = "View:" + name;
  std::string destination = group + "\\" + name;
  if (settings_.GetInt(destination, "Type", 0) == 0) {
    settings_.WriteInt(destination, "Type", netWare ? 7 : 6);
    settings_.WriteInt(destination, "Icons", 0x100010);
  }
  auto copyText = [&](const char* entry) {
    std::string value = ini.GetString(source, entry, "", kLongText);
    if (!value.empty()) settings_.WriteString(destination, entry, value);
  };
  copyText("Filter");
  copyText("FilterValue");
  std::string sort = ini.GetString(source, "Sort", "", kLongText);
  if (!sort.empty()) settings_.WriteString(destination, "Sort", ">" + sort);
  std::string columns = ini.GetString(source, "Columns", "", kLongText);
  columns = ReplaceAll(columns, "Name", netWare ? "NW Name" : "System Name");
  if (!columns.empty()) settings_.WriteString(destination, "Columns", columns);
  for (const char* entry : {"Refresh", "NetSearchBuild", "ListBuild"}) {
    int value = ini.GetInt(source, entry, 0);
    if (value != 0) settings_.WriteInt(destination, entry, value);
  }
  for (int index = 0;; ++index) {
    std::string entry = "Dev" + std::to_string(index);
    std::string value = ini.GetString(source, entry, "", kLongText);
    if (value.empty()) break;
    settings_.WriteString(destination, entry, value);
  }
}

void LegacySettingsImporter::ImportAccess(platform::IniFile& ini, bool netWare) {
  std::string section = netWare ? "Access\\NW" : "Access\\IP";
  for (const auto& key : ini.GetKeys("Access")) {
    if (::strcasecmp(key.c_str(), "DiscoveryPort") == 0) {
      int port = ini.GetInt("Access", key, 4201);
      if (port != 0) settings_.WriteInt(section, "DiscoveryPort", port);
      continue;
    }
    std::string value = ini.GetString("Access", key, "", kLongText);
    if (!value.empty()) settings_.WriteString(section, key, value);
  }
}

}  // namespace app
