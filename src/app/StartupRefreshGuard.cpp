#include "app/StartupRefreshGuard.h"

namespace app {

bool StartupRefreshGuard::AsksToSkip(const std::string& commandLine) {
  return commandLine.size() >= 3 && (commandLine[1] == 'n' || commandLine[1] == 'N') &&
         (commandLine[2] == 's' || commandLine[2] == 'S');
}

bool StartupRefreshGuard::SkipThisRefresh() {
  if (!AsksToSkip(commandLine_)) return false;
  commandLine_.clear();
  return true;
}

}  // namespace app
