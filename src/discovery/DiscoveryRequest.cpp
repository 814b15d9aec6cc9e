#include "discovery/DiscoveryRequest.h"

namespace discovery {

std::vector<uint8_t> BuildDiscoveryRequest(const std::vector<uint32_t>& ids) {
  const size_t count = ids.size() < kMaxRequestIds ? ids.size() : kMaxRequestIds;
  std::vector<uint8_t> request(kRequestMagic.begin(), kRequestMagic.end());
  request.reserve(6 + 3 * count);
  request.push_back(kOpDiscover);
  request.push_back(static_cast<uint8_t>(count & 0xFF));
  request.push_back(static_cast<uint8_t>(count >> 8));
  for (size_t i = 0; i < count; ++i) {
    request.push_back(static_cast<uint8_t>(ids[i] >> 16));
    request.push_back(static_cast<uint8_t>(ids[i] >> 8));
    request.push_back(static_cast<uint8_t>(ids[i]));
  }
  return request;
}

std::array<uint8_t, kSetAddressRequestSize> BuildSetAddressRequest(
    uint32_t deviceId, const std::array<uint8_t, 4>& ip) {
  return {kRequestMagic[0],
          kRequestMagic[1],
          kRequestMagic[2],
          kOpSetAddress,
          static_cast<uint8_t>(deviceId >> 16),
          static_cast<uint8_t>(deviceId >> 8),
          static_cast<uint8_t>(deviceId),
          ip[0],
          ip[1],
          ip[2],
          ip[3]};
}

std::optional<std::array<uint8_t, 4>> ParseStrictAddress(std::string_view text) {
  if (text.size() > 15) return std::nullopt;
  std::array<uint8_t, 4> octets{};
  size_t part = 0;
  int value = -1;  // -1: no digit yet in this part
  for (const char c : text) {
    if (c == '.') {
      if (value < 0 || part == 3) return std::nullopt;
      octets[part++] = static_cast<uint8_t>(value);
      value = -1;
    } else if (c >= '0' && c <= '9') {
      value = (value < 0 ? 0 : value * 10) + (c - '0');
      if (value > 255) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (part != 3 || value < 0) return std::nullopt;
  octets[3] = static_cast<uint8_t>(value);
  return octets;
}

std::optional<uint32_t> DeviceIdFromHwAddress(std::string_view hwAddress) {
  if (hwAddress.size() < 6) return std::nullopt;
  uint32_t id = 0;
  for (const char c : hwAddress.substr(hwAddress.size() - 6)) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    id = id * 16 + static_cast<uint32_t>(digit);
  }
  return id;
}

}  // namespace discovery
