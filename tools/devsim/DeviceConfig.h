// What one simulated device server is: the values its discovery reply carries, its current
// address, and how its serial ports are served over TCP.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace devsim {

// How a device port's TCP connections are served.
enum class PortMode {
  kEcho,  // every byte received is sent back
  kPty,   // bytes are bridged to a pseudo-terminal whose path is printed at start
};

struct PortConfig {
  uint8_t state = 0;      // 2 = off-line, any other value = on-line
  uint8_t condition = 1;  // 1 = no condition
  std::string name;
};

struct DeviceConfig {
  uint8_t format = 1;  // 1 or 2: layout A; 3: layout B; others are sent as they are
  std::string productNumber = "SDS1";
  std::string productType = "Device Server";
  std::string datecode = "2401A";
  std::string maker = "Vantor";  // cut to its 5-byte field in the reply
  std::array<uint8_t, 6> hardwareAddress = {0x02, 0x50, 0x4F, 0x00, 0x00, 0x01};
  std::string
      serialText;  // layout B only; empty: the decimal of the hardware address's low 24 bits
  std::array<uint8_t, 4> ipAddress = {127, 0, 0, 10};
  std::array<uint8_t, 4> subnetMask = {255, 255, 255, 0};
  std::array<uint8_t, 4> defaultGateway = {0, 0, 0, 0};
  std::string systemName = "DEVSIM-0001";
  std::string getCommunity = "public";
  std::string setCommunity = "private";
  std::string generalStatus = "None";
  // The port count byte of the reply; negative: the number of entries below.
  int announcedPorts = -1;
  std::vector<PortConfig> ports = {{0, 1, "Port1"}};
  PortMode portMode = PortMode::kEcho;
  // What the device's SNMP agent reports (with --snmp-port): firmware version, sysLocation, and
  // the wireless group, whose values count only on a wireless link.
  std::string firmware = "6.2.1 (sim)";
  std::string location = "Lab bench 3";
  bool wireless = false;
  std::string ssid = "portolan-lab";

  // The device ID of the discovery exchange: the hardware address's last three bytes.
  uint32_t DeviceId() const {
    return (uint32_t{hardwareAddress[3]} << 16) | (uint32_t{hardwareAddress[4]} << 8) |
           hardwareAddress[5];
  }
  // The serial number as the reply states it (layout A derives it from the hardware address).
  std::string SerialNumberText() const;
  uint8_t PortCountByte() const;
};

// Limits that keep a configuration's replies and sockets sane.
constexpr size_t kMaxPortEntries = 16;  // entries a reply may carry (a record keeps 6)
constexpr size_t kMaxServedPorts = 6;   // ports served over TCP per device
constexpr size_t kMaxDevices = 65536;

}  // namespace devsim
