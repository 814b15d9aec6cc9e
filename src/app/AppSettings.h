// Process-wide settings loaded at start: time-outs, status icon masks and the discovery port.
#pragma once

namespace app {

class Settings;

struct AppSettings {
  int getTimeout = 500;      // SNMP get, 1/100 s
  int setTimeout = 500;      // SNMP set, 1/100 s
  int resetTimeout = 40;     // device reset, seconds
  int snmpRetry = 3;         // stored and edited only
  int broadcast = 3000;      // wait for discovery replies per round, ms
  int maxBroadcast = 10;     // stored and edited only
  int warningMask = 0x23E1;  // device status states shown at warning level
  int errorMask = 0x30000;   // device status states shown at error level
  int setAppIcon = 0;        // the application icon follows the worst status
  int discoveryPort = 4201;  // UDP port of the discovery protocol

  // The "Timeouts" and "General\Icons" entries (no range is enforced).
  void Load(Settings& settings);
  // Access\IP\DiscoveryPort, read apart at the end of start-up, and handed to the searches.
  void LoadDiscoveryPort(Settings& settings);
  // The discovery port of the searches from now on. A port outside 1-65535 is kept here but
  // refused (false): the searches keep the port they had.
  bool TakeDiscoveryPort(int port);
};

AppSettings& TheAppSettings();

}  // namespace app
