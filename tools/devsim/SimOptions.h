// Everything the simulator runs with: the sockets' ports and pacing, and the devices.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "DeviceConfig.h"

namespace devsim {

struct SimOptions {
  int udpPort = 4201;      // discovery port; 0: any free port (reported in the ready file)
  int rawBase = 9100;      // raw TCP of port index i: rawBase + i
  int rfc2217Base = 9200;  // RFC 2217 of port index i: rfc2217Base + i
  bool serveTcp = true;
  bool joinMulticast = true;
  // Replies to one request leave in bursts, so that a thousand answers do not all land in the
  // asker's receive buffer at once.
  size_t burst = 64;
  int burstGapMs = 2;
  std::string readyFile;        // written once every socket is open
  int snmpPort = -1;            // the devices' SNMP agents on this UDP port; -1: none
  std::string snmpLog;          // every Set the agents take is appended here, one line each
  bool snmpIgnoreSets = false;  // Sets are logged but not answered
  bool snmpSilent = false;      // no request is answered
  int snmpSetError = 0;         // Sets are answered with this error status (0: none)
  int snmpSetErrorIndex = 1;
  std::vector<DeviceConfig> devices;
};

// The device template and count that the command line gives when no config file names devices.
struct DeviceSeries {
  DeviceConfig first;                       // address and hardware address count up from here
  std::string nameTemplate = "DEVSIM-{n}";  // {n}: the device number, 1-based, 4 digits
  size_t count = 1;
};

// Appends the series to devices: device k (0-based within the series) gets first's address and
// hardware address plus k, and its name (and serial text) from the template with the overall
// device number.
// Returns false when the addresses would run past 255.255.255.255 or the table would grow past
// kMaxDevices.
bool AppendSeries(const DeviceSeries& series, std::vector<DeviceConfig>* devices);

// The device number placed into a name template.
std::string ExpandName(const std::string& nameTemplate, size_t number);

}  // namespace devsim
