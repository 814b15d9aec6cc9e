// What the port commands need of the device selected in the list, copied out of the list before
// anything can rebuild it: a command never holds on to a device record.
#pragma once

#include <cstdint>
#include <string>

namespace vport {

struct SelectedDevicePort {
  std::string ipAddr;          // dotted text
  std::string hwAddr;          // hardware address text
  std::int32_t devPort = 0;    // the selected port, 0-based
  std::int32_t portCount = 1;  // the device's serial ports
  bool detailsRead = true;     // false while the device's details have not been read
};

// What changed in the list's Virtual Port column: COMn is now bound to (hwAddr, devPort), or no
// longer bound to anything. The list sets or clears that text in every row and redraws.
struct VirtualPortColumnChange {
  int comNumber = 0;
  std::string comName;  // "COM5"
  std::string hwAddr;
  std::int32_t devPort = 0;
  bool bound = false;
};

}  // namespace vport
