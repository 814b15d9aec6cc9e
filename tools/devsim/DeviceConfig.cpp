#include "DeviceConfig.h"

namespace devsim {

std::string DeviceConfig::SerialNumberText() const {
  if (format == 3 && !serialText.empty()) return serialText;
  return std::to_string(DeviceId());
}

uint8_t DeviceConfig::PortCountByte() const {
  if (announcedPorts >= 0) return static_cast<uint8_t>(announcedPorts);
  return static_cast<uint8_t>(ports.size());
}

}  // namespace devsim
