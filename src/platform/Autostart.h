// Starting the program when the user logs in: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/portolan.desktop (~/.config/autostart/ when XDG_CONFIG_HOME is unset
// or not absolute). The entry exists exactly while starting at log-in is on.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Autostart {
 public:
  // The path of the entry file, from the environment at the time of the call.
  static std::string EntryPath();

  // Writes the entry (replacing any) so that execPath runs with args. Creates the folder as
  // needed; the file is replaced atomically. False when it cannot be written.
  static bool Enable(const std::string& execPath, const std::vector<std::string>& args = {});
  // Removes the entry. True when it is gone (also when there was none).
  static bool Disable();
  // True when the entry exists, has an Exec line and is not hidden or disabled.
  static bool IsEnabled();
  // The Exec value of the entry with the file's string escapes undone (still quoted as a command
  // line); empty when there is no entry.
  static std::string GetCommand();
  // The program and its arguments as the entry would start them; empty when there is no entry or
  // the Exec value is malformed.
  static std::vector<std::string> GetArguments();

  // The Exec value (as written in the file) for a program and its arguments, quoted and escaped
  // as desktop entries require.
  static std::string FormatExec(const std::vector<std::string>& argv);
  // The reverse: the argument vector of an Exec value as written in the file; false when it is
  // malformed (unbalanced quotes, a bad escape, a lone '%').
  static bool ParseExec(const std::string& execValue, std::vector<std::string>* argv);
  // The complete file for a program and its arguments.
  static std::string FormatEntry(const std::vector<std::string>& argv);
};

}  // namespace platform
