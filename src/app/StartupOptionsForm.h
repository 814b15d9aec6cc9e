// The start-up options dialog (114) without widgets: start with the desktop session (the autostart
// entry) and start minimized (bit 0x100 of General\Flags). Nothing changes until Save (OK).
#pragma once

#include <string>

namespace app {

class Settings;

class StartupOptionsForm {
 public:
  static constexpr int kStartMinimizedBit = 0x100;

  bool startWithSession = false;  // "&Start when Windows starts" (1195)
  bool startMinimized = false;    // "Start &Minimized" (1196)

  // The current choices: the autostart entry and the flag bit.
  void Load(Settings& settings);
  // OK: writes or removes the autostart entry (starting programPath), and sets or clears only the
  // flag bit. False when the entry could not be written or removed (the flag is still saved).
  bool Save(Settings& settings, const std::string& programPath) const;
};

}  // namespace app
