#include "DeviceTable.h"

#include <algorithm>

namespace devsim {

uint32_t AddressValue(const std::array<uint8_t, 4>& o) {
  return (uint32_t{o[0]} << 24) | (uint32_t{o[1]} << 16) | (uint32_t{o[2]} << 8) | o[3];
}

std::array<uint8_t, 4> AddressOctets(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

DeviceTable::DeviceTable(std::vector<DeviceConfig> devices) : devices_(std::move(devices)) {
  for (size_t i = 0; i < devices_.size(); ++i) {
    byAddress_[AddressValue(devices_[i].ipAddress)].push_back(i);
  }
}

const std::vector<size_t>& DeviceTable::AtAddress(uint32_t address) const {
  static const std::vector<size_t> kNone;
  const auto found = byAddress_.find(address);
  return found == byAddress_.end() ? kNone : found->second;
}

void DeviceTable::SetAddress(size_t index, const std::array<uint8_t, 4>& address) {
  DeviceConfig& device = devices_.at(index);
  auto& old = byAddress_[AddressValue(device.ipAddress)];
  old.erase(std::remove(old.begin(), old.end(), index), old.end());
  if (old.empty()) byAddress_.erase(AddressValue(device.ipAddress));
  device.ipAddress = address;
  auto& now = byAddress_[AddressValue(address)];
  now.insert(std::upper_bound(now.begin(), now.end(), index), index);
}

}  // namespace devsim
