// The requests a device server receives on the discovery port: the discovery request (opcode 1)
// with the IDs of the devices already heard, and the set-address request (opcode 2).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devsim {

constexpr std::array<uint8_t, 3> kRequestMagic = {0x2E, 0x2C, 0x3A};
constexpr uint8_t kOpDiscovery = 1;
constexpr uint8_t kOpSetAddress = 2;
constexpr size_t kDiscoveryHeaderSize = 6;
constexpr size_t kSetAddressSize = 11;

enum class RequestError {
  kNone = 0,
  kTooShort,       // fewer bytes than the header of its opcode
  kBadMagic,       // not a request: ignored
  kUnknownOpcode,  // magic right, opcode neither 1 nor 2
  kTruncated,      // the ID count promises more IDs than arrived
};

struct DiscoveryRequest {
  uint8_t opcode = 0;
  std::vector<uint32_t> knownIds;       // opcode 1: IDs of the devices already heard
  uint32_t deviceId = 0;                // opcode 2: low 24 bits of serial number / hardware address
  std::array<uint8_t, 4> newAddress{};  // opcode 2
};

struct RequestParseResult {
  RequestError error = RequestError::kNone;
  size_t offset = 0;  // where decoding failed
  DiscoveryRequest request;
};

RequestParseResult ParseRequest(const uint8_t* data, size_t size);

// The encoders, for test clients: a discovery request naming ids (the count is little-endian), and
// a set-address request.
std::vector<uint8_t> EncodeDiscoveryRequest(const std::vector<uint32_t>& ids);
std::vector<uint8_t> EncodeSetAddressRequest(uint32_t deviceId,
                                             const std::array<uint8_t, 4>& newAddress);

}  // namespace devsim
