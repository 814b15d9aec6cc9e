// Device conditions, the status levels they give under the warning and error masks, and the
// texts shown for levels and port states.
#pragma once

#include <cstdint>
#include <string>

namespace discovery {

// Condition bits of a device or a port (the status-icon options name the same bits).
enum DeviceCondition : uint32_t {
  kCondPrinterOffline = 0x1,      // "Printer Off-line" (6140)
  kCondNoPrinter = 0x10,          // "No Printer Attached" (6141)
  kCondTonerLow = 0x20,           // "Toner Low" (6142)
  kCondPaperOut = 0x40,           // "Paper Out" (6143)
  kCondPaperJam = 0x80,           // "Paper Jam" (6144)
  kCondPrinterOpen = 0x100,       // "Printer Open" (6145)
  kCondPrinterError = 0x200,      // "Printer Error" (6146)
  kCondTcpIpError = 0x1000,       // "TCP/IP Error" (6147)
  kCondNetWareError = 0x2000,     // "NetWare Error" (6148)
  kCondFirmwareUpdate = 0x10000,  // firmware download mode
  kCondNoResponse = 0x20000,      // "No Response" (6149)
};

// Which conditions count as warning and as error (settings General\Icons "Warning", "Error").
struct StatusMasks {
  uint32_t warning = 0x23E1;
  uint32_t error = 0x30000;
};

enum StatusLevel : int {
  kLevelGood = 1,
  kLevelWarning = 2,
  kLevelError = 3,
  kLevelFirmwareUpdate = 4,
};

// Level of a set of condition bits: firmware update wins over the masks, then error, then warning.
int LevelOfConditions(uint32_t bits, const StatusMasks& masks);

// "Good" (6166), "Warning" (6167), "Error" (6165), "F/W Update" (6168); empty for other values.
const char* LevelText(int level);

// Port status text of a port entry: "Off-line" (4216) for state 2, else "On-line" (4217); then
// ": " and the condition's text, except for condition 1 (no condition).
std::string PortStatusText(uint8_t state, uint8_t condition);

// Condition bits of a port entry: Printer Off-line for state 2, and the bit of the condition
// code (none for 1; 2 No Printer Attached, 3 Toner Low, 4 Paper Out, 5 Paper Jam, 6 Printer Open,
// any other Printer Error), so that a port's trouble shows in its level and the device's.
uint32_t ConditionsOfPort(uint8_t state, uint8_t condition);

// Device conditions from a reply's general status text.
uint32_t ConditionsOfGeneralStatus(const std::string& status);

}  // namespace discovery
