#include "SimOptions.h"

#include <cstdio>

#include "DeviceTable.h"

namespace devsim {

std::string ExpandName(const std::string& nameTemplate, size_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%04zu", number);
  std::string name = nameTemplate;
  for (size_t at = name.find("{n}"); at != std::string::npos; at = name.find("{n}", at)) {
    name.replace(at, 3, digits);
    at += std::char_traits<char>::length(digits);
  }
  return name;
}

bool AppendSeries(const DeviceSeries& series, std::vector<DeviceConfig>* devices) {
  if (series.count > kMaxDevices - std::min(kMaxDevices, devices->size())) return false;
  const uint64_t firstIp = AddressValue(series.first.ipAddress);
  if (series.count != 0 && firstIp + series.count - 1 > 0xFFFFFFFFu) return false;
  uint64_t hw = 0;
  for (uint8_t b : series.first.hardwareAddress) hw = (hw << 8) | b;
  for (size_t k = 0; k < series.count; ++k) {
    DeviceConfig device = series.first;
    device.ipAddress = AddressOctets(static_cast<uint32_t>(firstIp + k));
    const uint64_t value = (hw + k) & 0xFFFFFFFFFFFFull;
    for (size_t i = 0; i < 6; ++i) {
      device.hardwareAddress[i] = static_cast<uint8_t>(value >> (8 * (5 - i)));
    }
    device.systemName = ExpandName(series.nameTemplate, devices->size() + 1);
    device.serialText = ExpandName(series.first.serialText, devices->size() + 1);
    devices->push_back(std::move(device));
  }
  return true;
}

}  // namespace devsim
