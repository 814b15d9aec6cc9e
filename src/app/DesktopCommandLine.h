// What the desktop program answers before it opens a window: --help and --version, and a display
// it cannot use. Qt-free, so that it is tested without a window (and without any network use).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace app {

class DesktopCommandLine {
 public:
  static constexpr int kExitNoDisplay = 3;

  static std::string HelpText();
  // --help (-h) or --version anywhere among the arguments: prints to out and gives the exit code
  // (0); nothing otherwise, and the program starts.
  static std::optional<int> AnswerInfoOptions(const std::vector<std::string>& arguments,
                                              const std::string& version, std::ostream& out);
  // The platform Qt will use: the value of a "-platform NAME" argument (Qt's own option), else
  // the environment's QT_QPA_PLATFORM (platformVariable; may be nullptr).
  static std::string PlatformName(const std::vector<std::string>& arguments,
                                  const char* platformVariable);
  // Why no display can be opened ("" when one may be): a platform that needs a display (xcb,
  // wayland, or none named) with neither DISPLAY nor WAYLAND_DISPLAY set.
  static std::string NoDisplayProblem(const std::string& platform, const char* display,
                                      const char* waylandDisplay);
  // The one line printed when Qt finds no display it can use.
  static std::string NoDisplayLine(const std::string& reason);
};

}  // namespace app
