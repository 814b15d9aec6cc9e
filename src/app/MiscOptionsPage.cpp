#include "app/MiscOptionsPage.h"

#include <algorithm>

#include "app/Settings.h"

namespace app {

namespace {

constexpr int kDefaultPort = 4201;
constexpr int kLastPort = 4242;
constexpr int kEchoPort = 9;
constexpr int kCmdStatus = 32774;
constexpr int kCmdConfiguration = 32772;
constexpr int kCmdWizard = 32799;

bool IsCommand(int command) {
  return command == kCmdStatus || command == kCmdConfiguration || command == kCmdWizard;
}

}  // namespace

MiscOptionsPage::MiscOptionsPage(Settings& settings)
    : port_(settings.GetInt(kAccessIp, "DiscoveryPort", kDefaultPort)),
      doubleClick_(settings.GetInt("General", "DoubleClick", kCmdStatus)),
      refreshAlways_(settings.GetInt("General", "RefreshAlways", 0) != 0) {
  ports_.push_back(kEchoPort);
  for (int port = kDefaultPort; port <= kLastPort; ++port) ports_.push_back(port);
  // A port stored by other means is shown and kept, never silently replaced.
  if (std::find(ports_.begin(), ports_.end(), port_) == ports_.end()) ports_.push_back(port_);
  if (!IsCommand(doubleClick_)) doubleClick_ = kCmdStatus;
}

bool MiscOptionsPage::IsAvailable(int command) {
  return command == kCmdStatus || command == kCmdConfiguration;
}

void MiscOptionsPage::SetDoubleClick(int command) {
  if (IsCommand(command)) doubleClick_ = command;
}

void MiscOptionsPage::Save(Settings& settings) const {
  settings.WriteInt(kAccessIp, "DiscoveryPort", port_);
  settings.WriteInt("General", "DoubleClick", doubleClick_);
  settings.WriteInt("General", "RefreshAlways", refreshAlways_ ? 1 : 0);
}

}  // namespace app
