// The simulated devices and the index of their current addresses. A set-address request moves a
// device; several devices may share an address (unconfigured ones at 0.0.0.0, say).
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "DeviceConfig.h"

namespace devsim {

// An IPv4 address in host order.
uint32_t AddressValue(const std::array<uint8_t, 4>& octets);
std::array<uint8_t, 4> AddressOctets(uint32_t value);

class DeviceTable {
 public:
  explicit DeviceTable(std::vector<DeviceConfig> devices);

  size_t Size() const { return devices_.size(); }
  const DeviceConfig& Device(size_t index) const { return devices_.at(index); }
  // The devices at an address (host order), in table order.
  const std::vector<size_t>& AtAddress(uint32_t address) const;
  void SetAddress(size_t index, const std::array<uint8_t, 4>& address);

 private:
  std::vector<DeviceConfig> devices_;
  std::unordered_map<uint32_t, std::vector<size_t>> byAddress_;
};

}  // namespace devsim
