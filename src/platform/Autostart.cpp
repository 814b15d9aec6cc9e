#include "platform/Autostart.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/DurableFile.h"
#include "platform/IniFile.h"
#include "platform/SystemInfo.h"

namespace platform {

namespace {

constexpr std::string_view kGroup = "Desktop Entry";

// Characters that make an Exec argument need double quotes.
constexpr std::string_view kReserved = " \t\n\r\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside double quotes.
constexpr std::string_view kQuotedEscapes = "\"`$\\";

std::string QuoteArgument(const std::string& arg) {
  std::string out;
  const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string::npos;
  if (quote) out += '"';
  for (char c : arg) {
    if (quote && kQuotedEscapes.find(c) != std::string_view::npos) out += '\\';
    out += c;
    if (c == '%') out += '%';  // a literal percent sign, not a field code
  }
  if (quote) out += '"';
  return out;
}

// The escapes of desktop-entry string values, applied to the whole Exec value after quoting.
std::string EscapeStringValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string UnescapeStringValue(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 >= value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    switch (next) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:  // not an escape of the format: keep it for the command-line quoting
        out += '\\';
        out += next;
    }
  }
  return out;
}

// The value of key in the entry group, as the file has it (nullopt-like: found = false).
bool EntryValue(const IniFile& ini, std::string_view key, std::string* value) {
  for (const std::string& line : ini.GetSectionLines(kGroup)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && std::string_view(line).substr(0, eq) == key) {
      *value = line.substr(eq + 1);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string Autostart::EntryPath() {
  // Relative values of XDG_CONFIG_HOME are invalid and must be ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    base = SystemInfo::HomeFolder();
    if (!base.empty() && base.back() == '/') base.pop_back();
    base += "/.config";
  }
  return base + "/autostart/portolan.desktop";
}

std::string Autostart::FormatExec(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& arg : argv) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(arg);
  }
  return EscapeStringValue(line);
}

bool Autostart::ParseExec(const std::string& execValue, std::vector<std::string>* argv) {
  argv->clear();
  const std::string line = UnescapeStringValue(execValue);
  std::string current;
  bool inArgument = false;
  bool inQuotes = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '%') {
      if (i + 1 >= line.size() || line[i + 1] != '%') return false;  // field codes are not ours
      ++i;
      current += '%';
      inArgument = true;
    } else if (inQuotes) {
      if (c == '"') {
        inQuotes = false;
      } else if (c == '\\') {
        if (i + 1 >= line.size() || kQuotedEscapes.find(line[i + 1]) == std::string_view::npos) {
          return false;
        }
        current += line[++i];
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inArgument) argv->push_back(current);
      current.clear();
      inArgument = false;
    } else if (c == '"') {
      inQuotes = true;
      inArgument = true;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inQuotes) return false;
  if (inArgument) argv->push_back(current);
  return true;
}

std::string Autostart::FormatEntry(const std::vector<std::string>& argv) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Portolan\n"
         "Comment=Start Portolan at log-in\n"
         "Exec=" +
         FormatExec(argv) +
         "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool Autostart::Enable(const std::string& execPath, const std::vector<std::string>& args) {
  std::vector<std::string> argv{execPath};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string path = EntryPath();
  std::string error;
  if (!DurableFile::MakeDirectories(DurableFile::Directory(path), &error)) return false;
  return DurableFile::WriteAtomically(path, FormatEntry(argv), &error);
}

bool Autostart::Disable() {
  return std::remove(EntryPath().c_str()) == 0 || errno == ENOENT;
}

bool Autostart::IsEnabled() {
  const IniFile ini = IniFile::Load(EntryPath());
  std::string value;
  if (!EntryValue(ini, "Exec", &value) || value.empty()) return false;
  if (EntryValue(ini, "Hidden", &value) && value == "true") return false;
  if (EntryValue(ini, "X-GNOME-Autostart-enabled", &value) && value == "false") return false;
  return true;
}

std::string Autostart::GetCommand() {
  std::string value;
  if (!EntryValue(IniFile::Load(EntryPath()), "Exec", &value)) return {};
  return UnescapeStringValue(value);
}

std::vector<std::string> Autostart::GetArguments() {
  std::string value;
  std::vector<std::string> argv;
  if (!EntryValue(IniFile::Load(EntryPath()), "Exec", &value)) return {};
  if (!ParseExec(value, &argv)) return {};
  return argv;
}

}  // namespace platform
