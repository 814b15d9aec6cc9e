// The commands that hand an address to the desktop: "HTTP Session" (the selected device's web
// page) and "E-Mail Support". Both go through the launcher interface and tell the user when
// nothing took the address.
#pragma once

#include <optional>
#include <string>

namespace platform {
class Launcher;
class Prompt;
}  // namespace platform

namespace app {

class LaunchCommands {
 public:
  static constexpr unsigned kNoTcpForHttp = 5043;
  static constexpr unsigned kUnableToLaunchBrowser = 5031;

  // Without TCP the user is warned and the page is opened anyway; without a selected device
  // nothing is opened. True when a browser took the page.
  static bool HttpSession(platform::Launcher& launcher, platform::Prompt& prompt,
                          const std::string& caption, bool tcpAvailable,
                          const std::optional<std::string>& deviceIp);
  // A new message to supportEmail with the subject "<programName> Support".
  static bool EmailSupport(platform::Launcher& launcher, platform::Prompt& prompt,
                           const std::string& caption, const std::string& supportEmail,
                           const std::string& programName);
};

}  // namespace app
