#include "app/StartupOptionsForm.h"

#include "app/Settings.h"
#include "platform/Autostart.h"

namespace app {

namespace {

constexpr const char* kSection = "General";
constexpr const char* kFlags = "Flags";

}  // namespace

void StartupOptionsForm::Load(Settings& settings) {
  startMinimized = (settings.GetInt(kSection, kFlags, 0) & kStartMinimizedBit) != 0;
  startWithSession = platform::Autostart::IsEnabled();
}

bool StartupOptionsForm::Save(Settings& settings, const std::string& programPath) const {
  const bool entryOk =
      startWithSession ? platform::Autostart::Enable(programPath) : platform::Autostart::Disable();
  // Read again: another window may have changed other bits since the dialog opened.
  int flags = settings.GetInt(kSection, kFlags, 0);
  flags = startMinimized ? (flags | kStartMinimizedBit) : (flags & ~kStartMinimizedBit);
  settings.WriteInt(kSection, kFlags, flags);
  return entryOk;
}

}  // namespace app
