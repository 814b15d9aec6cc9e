// The requests of the discovery protocol: the discovery request with the IDs of the devices
// already heard, and the set-address request. Pure functions over byte buffers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace discovery {

constexpr std::array<uint8_t, 3> kRequestMagic = {0x2E, 0x2C, 0x3A};
constexpr uint8_t kOpDiscover = 0x01;
constexpr uint8_t kOpSetAddress = 0x02;
// IDs one discovery request can name.
constexpr size_t kMaxRequestIds = 179;
constexpr size_t kSetAddressRequestSize = 11;
// A discovery request naming no device: what a single address and a subnet sweep are asked with.
constexpr std::array<uint8_t, 6> kUnicastQuery = {
    kRequestMagic[0], kRequestMagic[1], kRequestMagic[2], kOpDiscover, 0x00, 0x00};

// 6 + 3N bytes: magic, opcode 1, N little-endian, then each ID most significant byte first.
// IDs past kMaxRequestIds are not sent; each ID keeps its low 24 bits.
std::vector<uint8_t> BuildDiscoveryRequest(const std::vector<uint32_t>& ids);

// 11 bytes: magic, opcode 2, the device ID (low 24 bits, most significant first), the address's
// octets in written order.
std::array<uint8_t, kSetAddressRequestSize> BuildSetAddressRequest(
    uint32_t deviceId, const std::array<uint8_t, 4>& ip);

// A strictly valid dotted address: at most 15 characters, exactly three dots, four non-empty
// decimal parts each 0...255. The octets in written order, or nothing.
std::optional<std::array<uint8_t, 4>> ParseStrictAddress(std::string_view text);

// The device ID named by a hardware address text: its last six hex digits read as a number.
// Nothing when the text is shorter than six characters or those are not all hex digits.
std::optional<uint32_t> DeviceIdFromHwAddress(std::string_view hwAddress);

}  // namespace discovery
