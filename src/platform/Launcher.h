// Handing things to the desktop: a web address to the browser, a mail address to the mail program,
// and a request to the running copy of the program. Commands and dialogs call this interface; the
// desktop program installs the desktop-services implementation, tests a recorder.
#pragma once

#include <string>
#include <vector>

namespace platform {

class Launcher {
 public:
  virtual ~Launcher() = default;

  // Opens url (http://..., file://...) in the user's preferred program. False when nothing took it.
  virtual bool OpenUrl(const std::string& url) = 0;
  // Opens a new message to address with the subject filled in (see MailtoUrl).
  virtual bool OpenMail(const std::string& address, const std::string& subject) = 0;
  // Hands a request given as program arguments ("/new /v NAME": open that view; anything else:
  // raise the window) to the running copy through its socket. Each argument is whole: a view
  // name is never parsed from a command string.
  virtual bool HandToRunningCopy(const std::vector<std::string>& args) = 0;

  // "mailto:ADDRESS?subject=TEXT" with the subject percent-encoded; the address is kept as given
  // except for the characters that would end it ('?', '#', '%', '&', blanks and controls), which
  // are percent-encoded too. An empty subject gives no query.
  static std::string MailtoUrl(const std::string& address, const std::string& subject);
  // Every byte but the unreserved ones (letters, digits, "-._~") as %XX (upper-case hex).
  static std::string PercentEncode(const std::string& text);
};

// The process-wide launcher. Until one is installed a recorder that opens nothing answers
// (false), so that no test or headless run reaches the desktop by accident.
Launcher& CurrentLauncher();
void InstallLauncher(Launcher* launcher);  // nullptr restores the default

}  // namespace platform
