#include "app/LaunchCommands.h"

#include "platform/Launcher.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"

namespace app {

bool LaunchCommands::HttpSession(platform::Launcher& launcher, platform::Prompt& prompt,
                                 const std::string& caption, bool tcpAvailable,
                                 const std::optional<std::string>& deviceIp) {
  if (!tcpAvailable) prompt.MessageBox(res::LoadString(kNoTcpForHttp), caption, platform::MB_OK);
  if (!deviceIp) return false;
  if (launcher.OpenUrl("http://" + *deviceIp)) return true;
  prompt.MessageBox(res::LoadString(kUnableToLaunchBrowser), caption, platform::MB_OK);
  return false;
}

bool LaunchCommands::EmailSupport(platform::Launcher& launcher, platform::Prompt& prompt,
                                  const std::string& caption, const std::string& supportEmail,
                                  const std::string& programName) {
  if (launcher.OpenMail(supportEmail, programName + " Support")) return true;
  prompt.MessageBox("Unable to launch e-mail application.\n", caption, platform::MB_OK);
  return false;
}

}  // namespace app
