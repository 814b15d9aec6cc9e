// The launcher of the desktop program: the desktop's own services (xdg-open and its kin) open web
// and mail addresses; the program is started again through an argument list.
#pragma once

#include "platform/Launcher.h"

namespace platform {

class QtLauncher : public Launcher {
 public:
  bool OpenUrl(const std::string& url) override;
  bool OpenMail(const std::string& address, const std::string& subject) override;
  bool HandToRunningCopy(const std::vector<std::string>& args) override;
};

}  // namespace platform
