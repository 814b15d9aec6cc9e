// The first refresh after a start with "/ns" is skipped: the command line (the arguments joined
// by blanks) whose second and third characters are n and s, in either case, is emptied by the
// first refresh, which then does nothing; later refreshes run.
#pragma once

#include <string>

namespace app {

class StartupRefreshGuard {
 public:
  explicit StartupRefreshGuard(std::string commandLine) : commandLine_(std::move(commandLine)) {}

  // True when this refresh is the one to skip (the command line is emptied).
  bool SkipThisRefresh();
  static bool AsksToSkip(const std::string& commandLine);

 private:
  std::string commandLine_;
};

}  // namespace app
