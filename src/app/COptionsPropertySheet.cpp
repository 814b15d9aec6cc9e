#include "app/COptionsPropertySheet.h"

#include <utility>

#include "app/AppSettings.h"
#include "app/DeviceAccessList.h"
#include "app/DeviceAccessPage.h"
#include "app/MiscOptionsPage.h"
#include "app/Settings.h"
#include "app/StatusIconsPage.h"
#include "discovery/NetworkEnvironment.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr int kTcpIpView = 6;
constexpr unsigned kStrTcpIp = 6160;
constexpr unsigned kStrNetWare = 6161;
constexpr unsigned kStrSerialPort = 6162;

}  // namespace

std::vector<COptionsPropertySheet::Page> COptionsPropertySheet::Pages() {
  return {kDeviceAccess, kTimeouts, kStatusIcons, kMisc};
}

unsigned COptionsPropertySheet::HelpTopic(Page page) {
  switch (page) {
    case kDeviceAccess:
      return 39;
    case kTimeouts:
      return 40;
    case kMisc:
      return 41;
    case kStatusIcons:
      break;
  }
  return 0;
}

std::vector<COptionsPropertySheet::Protocol> COptionsPropertySheet::Protocols(
    int environmentFlags) {
  using discovery::NetworkEnvironment;
  std::vector<Protocol> protocols;
  if ((environmentFlags & NetworkEnvironment::kFlagUdp) != 0)
    protocols.push_back({res::LoadString(kStrTcpIp), DeviceAccessList::kSectionIp});
  if ((environmentFlags & NetworkEnvironment::kFlagNovell) != 0)
    protocols.push_back({res::LoadString(kStrNetWare), DeviceAccessList::kSectionNw});
  if ((environmentFlags & NetworkEnvironment::kFlagProbed) != 0)
    protocols.push_back({res::LoadString(kStrSerialPort), DeviceAccessList::kSectionCom});
  return protocols;
}

COptionsPropertySheet::COptionsPropertySheet(Settings& settings, AppSettings& stored,
                                             platform::Prompt& prompt, std::string caption)
    : settings_(settings),
      stored_(stored),
      prompt_(prompt),
      caption_(std::move(caption)),
      setAppIcon_(stored.setAppIcon != 0) {}

COptionsPropertySheet::~COptionsPropertySheet() = default;

DeviceAccessPage& COptionsPropertySheet::Access() {
  if (!access_) access_ = std::make_unique<DeviceAccessPage>(settings_);
  return *access_;
}

TimeoutsPage& COptionsPropertySheet::Timeouts() {
  if (!timeouts_) timeouts_ = std::make_unique<TimeoutsPage>(stored_);
  return *timeouts_;
}

StatusIconsPage& COptionsPropertySheet::Icons() {
  if (!icons_) icons_ = std::make_unique<StatusIconsPage>(stored_);
  return *icons_;
}

MiscOptionsPage& COptionsPropertySheet::Misc() {
  if (!misc_) misc_ = std::make_unique<MiscOptionsPage>(settings_);
  return *misc_;
}

COptionsPropertySheet::Outcome COptionsPropertySheet::Ok() {
  Outcome outcome;
  // Checked before any page saves, so that a refusal leaves the settings as they were.
  if (Shown(kTimeouts) && !Timeouts().Check(&outcome.badField)) {
    Show(TimeoutsPage::kRefused, platform::MB_ICONEXCLAMATION);
    return outcome;
  }
  bool written = true;
  if (Shown(kDeviceAccess)) written = Access().Save(settings_);
  if (Shown(kTimeouts)) Timeouts().Save(stored_, settings_, nullptr);
  if (Shown(kStatusIcons)) {
    outcome.masksChanged = Icons().Save(stored_, settings_, setAppIcon_);
    outcome.iconsSaved = true;
    outcome.setAppIcon = stored_.setAppIcon;
  }
  if (Shown(kMisc)) {
    Misc().Save(settings_);
    outcome.miscSaved = true;
    outcome.refreshAlways = Misc().RefreshAlways();
  }
  // The other pages' writes are seen in the store's state: the file could not be written.
  platform::RegistryStore& store = settings_.Store();
  written = written && !store.Unreadable() && store.Status() != platform::REG_ACCESS_DENIED;
  if (!written) Show(kWriteFailed, platform::MB_ICONERROR);
  outcome.saved = true;
  return outcome;
}

void COptionsPropertySheet::ReloadAccessList(int viewType) {
  DeviceAccessList& list = ReloadApplicationAccessList(settings_, true);
  if (viewType == kTcpIpView) {
    stored_.TakeDiscoveryPort(list.DiscoveryPort());
  } else {
    Show(kProtocolNotSupported, platform::MB_ICONEXCLAMATION);
  }
}

void COptionsPropertySheet::Show(const std::string& text, unsigned icon) {
  prompt_.MessageBox(text, caption_, platform::MB_OK | icon);
}

}  // namespace app
