#include "app/DesktopCommandLine.h"

#include <ostream>
#include <string_view>

namespace app {

namespace {

bool IsSet(const char* value) {
  return value != nullptr && *value != '\0';
}

}  // namespace

std::string DesktopCommandLine::HelpText() {
  return "Usage: portolan [/new] [/v VIEW] [/ns]\n"
         "\n"
         "The desktop program of Portolan: finds device servers on the local network, lists them\n"
         "in views, and bridges virtual COM ports to their serial ports. A second copy started\n"
         "while one runs ends at once; with /new it first hands its options to the running one,\n"
         "which opens VIEW (or comes to the front).\n"
         "\n"
         "Options:\n"
         "  /new, -new   start with the window at the screen's origin; while a copy runs, have\n"
         "               it open /v VIEW in its window\n"
         "  /v VIEW      show the stored view VIEW first\n"
         "  /ns          do not search at start (given first: the command line's second and\n"
         "               third characters decide, so -ns and /NS do too)\n"
         "  --help       show this help and exit\n"
         "  --version    show the version and exit\n"
         "\n"
         "It needs a display (DISPLAY or WAYLAND_DISPLAY); portolanctl is the front end for\n"
         "machines without one.\n"
         "\n"
         "Environment:\n"
         "  PORTOLAN_REGISTRY   the settings file (default "
         "$XDG_CONFIG_HOME/portolan/registry.reg)\n"
         "\n"
         "Exit status: 0 success, 3 failure (no display, or a settings file that cannot be "
         "read).\n";
}

std::optional<int> DesktopCommandLine::AnswerInfoOptions(const std::vector<std::string>& arguments,
                                                         const std::string& version,
                                                         std::ostream& out) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      out << HelpText();
      return 0;
    }
    if (argument == "--version") {
      out << "portolan " << version << "\n";
      return 0;
    }
  }
  return std::nullopt;
}

std::string DesktopCommandLine::PlatformName(const std::vector<std::string>& arguments,
                                             const char* platformVariable) {
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "-platform" || arguments[i] == "--platform") return arguments[i + 1];
  }
  return IsSet(platformVariable) ? platformVariable : "";
}

std::string DesktopCommandLine::NoDisplayProblem(const std::string& platform, const char* display,
                                                 const char* waylandDisplay) {
  const std::string_view name = platform;
  // Qt's own list may name several platforms ("wayland;xcb"); any other kind needs no display.
  const bool needsDisplay = name.empty() || name.find("xcb") != std::string_view::npos ||
                            name.find("wayland") != std::string_view::npos;
  if (!needsDisplay || IsSet(display) || IsSet(waylandDisplay)) return "";
  return "neither DISPLAY nor WAYLAND_DISPLAY is set";
}

std::string DesktopCommandLine::NoDisplayLine(const std::string& reason) {
  return "portolan: cannot open a display (" + reason +
         "); the desktop program needs one, portolanctl works without\n";
}

}  // namespace app
