// Builds discovery replies byte by byte for the tests, in either layout.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "discovery/DiscoveryReply.h"

namespace discovery::test {

struct ReplyFields {
  uint8_t format = 1;
  std::string productNumber = "EPS1";
  std::string productType = "Device Server";
  std::string datecode = "A1B2";
  std::string maker = "Vanto";
  std::array<uint8_t, 6> hardware = {0x00, 0x40, 0x9D, 0x12, 0x34, 0x56};
  std::string serialText = "SN123";  // layout B only
  std::array<uint8_t, 4> ip = {10, 1, 2, 3};
  std::array<uint8_t, 4> mask = {255, 255, 255, 0};
  std::array<uint8_t, 4> gateway = {10, 1, 2, 254};
  std::string systemName = "LAB-SERVER";
  std::string getCommunity = "public";
  std::string setCommunity = "private";
  std::string generalStatus = "None";
  uint8_t portCount = 1;
  struct Port {
    uint8_t state;
    uint8_t condition;
    std::string name;
  };
  std::vector<Port> ports = {{0, 1, "Port1"}};
};

// Writes text into a field of width bytes; text may fill the field without a terminator.
inline void PutText(std::vector<uint8_t>& out, size_t offset, size_t width,
                    const std::string& text) {
  std::memcpy(out.data() + offset, text.data(), std::min(width, text.size()));
}

inline std::vector<uint8_t> BuildReply(const ReplyFields& s) {
  const bool b = s.format == 3;
  const size_t shift = b ? 10 : 0;
  const size_t entries = 347 + shift;
  std::vector<uint8_t> out(entries + 18 * s.ports.size(), 0);
  out[0] = 0x3A;
  out[1] = 0x2C;
  out[2] = 0x2E;
  out[3] = s.format;
  PutText(out, 4, 8, s.productNumber);
  PutText(out, 12, 20, s.productType);
  PutText(out, 32, 17, s.datecode);
  PutText(out, 49, 5, s.maker);
  std::copy(s.hardware.begin(), s.hardware.end(), out.begin() + 54);
  if (b) PutText(out, 60, 12, s.serialText);
  std::copy(s.ip.begin(), s.ip.end(), out.begin() + 62 + shift);
  std::copy(s.mask.begin(), s.mask.end(), out.begin() + 66 + shift);
  std::copy(s.gateway.begin(), s.gateway.end(), out.begin() + 70 + shift);
  PutText(out, 74 + shift, 128, s.systemName);
  const auto get = ScrambleCommunity(s.getCommunity, s.ip[0]);
  const auto set = ScrambleCommunity(s.setCommunity, s.ip[3]);
  std::copy(get.begin(), get.end(), out.begin() + 202 + shift);
  std::copy(set.begin(), set.end(), out.begin() + 234 + shift);
  PutText(out, 266 + shift, 80, s.generalStatus);
  out[346 + shift] = s.portCount;
  for (size_t i = 0; i < s.ports.size(); ++i) {
    const size_t at = entries + 18 * i;
    out[at] = s.ports[i].state;
    out[at + 1] = s.ports[i].condition;
    PutText(out, at + 2, 16, s.ports[i].name);
  }
  return out;
}

}  // namespace discovery::test
