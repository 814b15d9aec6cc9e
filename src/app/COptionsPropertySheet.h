// The options sheet without its widgets: its four pages in order, the protocols the Device Access
// page offers, the page controllers and which pages were shown (only those save), OK, which
// refuses a bad timeout before anything is written and then saves the pages shown in order, and
// the reload of the application's access list that follows OK.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/TimeoutsPage.h"

namespace platform {
class Prompt;
}

namespace app {

class DeviceAccessPage;
class MiscOptionsPage;
class Settings;
class StatusIconsPage;
struct AppSettings;

class COptionsPropertySheet {
 public:
  enum Page : int { kDeviceAccess = 163, kTimeouts = 165, kStatusIcons = 166, kMisc = 164 };
  static constexpr unsigned kCaption = 6079;  // "Options"
  static constexpr const char* kProtocolNotSupported = "Protocol not supported";
  static constexpr const char* kWriteFailed =
      "Some settings could not be written to the settings file.";

  // The pages in the sheet's order.
  static std::vector<Page> Pages();
  // The help topic of a page; 0 for the Status Icons page, which has none.
  static unsigned HelpTopic(Page page);

  struct Protocol {
    std::string name;     // "TCP/IP", "NetWare", "Serial Port"
    std::string section;  // "Access\IP", ...
  };
  // The protocols the Device Access page offers for the network environment's flags.
  static std::vector<Protocol> Protocols(int environmentFlags);

  // What OK did, for the main window to follow.
  struct Outcome {
    bool saved = false;  // false: a timeout was refused and nothing was written
    TimeoutsPage::Field badField = TimeoutsPage::kGet;
    bool iconsSaved = false;  // setAppIcon was written
    int setAppIcon = 0;
    bool masksChanged = false;  // the list must be refreshed (32789)
    bool miscSaved = false;     // refreshAlways was written
    bool refreshAlways = false;
  };

  COptionsPropertySheet(Settings& settings, AppSettings& stored, platform::Prompt& prompt,
                        std::string caption);
  ~COptionsPropertySheet();
  COptionsPropertySheet(const COptionsPropertySheet&) = delete;
  COptionsPropertySheet& operator=(const COptionsPropertySheet&) = delete;

  // A page's controller, made (from the settings as they are now) the first time it is asked for.
  DeviceAccessPage& Access();
  TimeoutsPage& Timeouts();
  StatusIconsPage& Icons();
  MiscOptionsPage& Misc();
  // The face showed the page to the user: it saves on OK.
  void MarkShown(Page page) { shown_.insert(page); }
  bool Shown(Page page) const { return shown_.count(page) != 0; }

  // Where the pages show their refusals and questions, captioned with the application's name.
  platform::Prompt& GetPrompt() const { return prompt_; }
  const std::string& Caption() const { return caption_; }

  // The Status Icons page's check box.
  bool SetAppIcon() const { return setAppIcon_; }
  void SetSetAppIcon(bool on) { setAppIcon_ = on; }

  // OK. A refused timeout is shown ("Please enter a positive integer.") and nothing is written;
  // otherwise every page shown saves, in page order. A write that failed is reported.
  Outcome Ok();
  // After OK: the application's list of "Access\IP" is read again and, for a TCP/IP view (6), its
  // discovery port taken into the settings in memory; for any other view "Protocol not supported".
  void ReloadAccessList(int viewType);

 private:
  void Show(const std::string& text, unsigned icon);

  Settings& settings_;
  AppSettings& stored_;
  platform::Prompt& prompt_;
  std::string caption_;
  std::unique_ptr<DeviceAccessPage> access_;
  std::unique_ptr<TimeoutsPage> timeouts_;
  std::unique_ptr<StatusIconsPage> icons_;
  std::unique_ptr<MiscOptionsPage> misc_;
  bool setAppIcon_;
  std::set<Page> shown_;
};

}  // namespace app
