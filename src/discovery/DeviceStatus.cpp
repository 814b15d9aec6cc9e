#include "discovery/DeviceStatus.h"

namespace discovery {

int LevelOfConditions(uint32_t bits, const StatusMasks& masks) {
  if (bits & kCondFirmwareUpdate) return kLevelFirmwareUpdate;
  if (bits & masks.error) return kLevelError;
  if (bits & masks.warning) return kLevelWarning;
  return kLevelGood;
}

const char* LevelText(int level) {
  switch (level) {
    case kLevelGood:
      return "Good";  // 6166
    case kLevelWarning:
      return "Warning";  // 6167
    case kLevelError:
      return "Error";  // 6165
    case kLevelFirmwareUpdate:
      return "F/W Update";  // 6168
    default:
      return "";
  }
}

std::string PortStatusText(uint8_t state, uint8_t condition) {
  std::string text = state == 2 ? "Off-line" /* 4216 */ : "On-line" /* 4217 */;
  switch (condition) {
    case 1:
      return text;
    case 2:
      return text + ": No Printer Attached";  // 4219
    case 3:
      return text + ": Toner Low";  // 4289
    case 4:
      return text + ": Paper Out";  // 4290
    case 5:
      return text + ": Paper Jam";  // 4291
    case 6:
      return text + ": Door Open";  // 4292
    default:
      return text + ": Printer Error";  // 4220
  }
}

uint32_t ConditionsOfPort(uint8_t state, uint8_t condition) {
  uint32_t bits = state == 2 ? uint32_t{kCondPrinterOffline} : 0u;
  switch (condition) {
    case 1:
      return bits;
    case 2:
      return bits | kCondNoPrinter;
    case 3:
      return bits | kCondTonerLow;
    case 4:
      return bits | kCondPaperOut;
    case 5:
      return bits | kCondPaperJam;
    case 6:
      return bits | kCondPrinterOpen;
    default:
      return bits | kCondPrinterError;
  }
}

uint32_t ConditionsOfGeneralStatus(const std::string& status) {
  uint32_t flags = 0;
  if (status.find("Download Mode") != std::string::npos) flags = kCondFirmwareUpdate;
  if (status == "Error Reading or Writing to Flash Memory" ||
      status == "Self Test Detected an Error" || status == "CRC Error, Code Space Invalid") {
    flags |= kCondTcpIpError;
  }
  return flags;
}

}  // namespace discovery
