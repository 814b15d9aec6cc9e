#include "app/AppSettings.h"

#include "app/Settings.h"
#include "discovery/DiscoverySocket.h"

namespace app {

void AppSettings::Load(Settings& settings) {
  AppSettings defaults;
  getTimeout = settings.GetInt("Timeouts", "GetTimeout", defaults.getTimeout);
  setTimeout = settings.GetInt("Timeouts", "SetTimeout", defaults.setTimeout);
  resetTimeout = settings.GetInt("Timeouts", "ResetTimeout", defaults.resetTimeout);
  snmpRetry = settings.GetInt("Timeouts", "SnmpRetry", defaults.snmpRetry);
  broadcast = settings.GetInt("Timeouts", "Broadcast", defaults.broadcast);
  maxBroadcast = settings.GetInt("Timeouts", "MaxBroadcast", defaults.maxBroadcast);
  warningMask = settings.GetInt("General\\Icons", "Warning", defaults.warningMask);
  errorMask = settings.GetInt("General\\Icons", "Error", defaults.errorMask);
  setAppIcon = settings.GetInt("General\\Icons", "SetAppIcon", defaults.setAppIcon);
}

void AppSettings::LoadDiscoveryPort(Settings& settings) {
  TakeDiscoveryPort(settings.GetInt("Access\\IP", "DiscoveryPort", 4201));
}

bool AppSettings::TakeDiscoveryPort(int port) {
  discoveryPort = port;
  return discovery::SetDiscoveryPort(port);
}

AppSettings& TheAppSettings() {
  static AppSettings settings;
  return settings;
}

}  // namespace app
