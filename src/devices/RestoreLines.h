// The lines of the Reset Server dialog's restore list and the variables behind them: "Output
// Ports" first, then one line per enabled protocol of the device whose type has a restore
// variable. Protocols of types 4 and 7 share one variable: it is read and written once.
#pragma once

#include <string>
#include <vector>

namespace devices {

class CSnmpVarGroup;

struct DeviceProtocol {
  std::string name;  // as the device gives it
  int type = 0;
};

struct RestoreLine {
  std::string label;
  int variable = 0;  // index in the restore group
};

inline constexpr unsigned kOutputPortsLabel = 4278;  // "Output Ports"

// The restore variable's suffix for a protocol type; nullptr when the type gets no line.
const char* RestoreSuffixForType(int type);

// Adds the restore variables to group (built empty on the device's root) and returns the lines.
std::vector<RestoreLine> BuildRestoreLines(const std::vector<DeviceProtocol>& protocols,
                                           CSnmpVarGroup* group);

}  // namespace devices
