#include "DiscoveryRequest.h"

#include <algorithm>

#include "discovery/ByteCursor.h"

namespace devsim {
namespace {

RequestParseResult Failure(RequestError error, size_t offset) {
  RequestParseResult result;
  result.error = error;
  result.offset = offset;
  return result;
}

uint32_t Id24(const uint8_t* b) {
  return (uint32_t{b[0]} << 16) | (uint32_t{b[1]} << 8) | b[2];
}

void PutId24(std::vector<uint8_t>& out, uint32_t id) {
  out.push_back(static_cast<uint8_t>(id >> 16));
  out.push_back(static_cast<uint8_t>(id >> 8));
  out.push_back(static_cast<uint8_t>(id));
}

RequestParseResult ParseDiscovery(const discovery::ByteCursor& in) {
  uint8_t count[2];
  if (!in.Bytes(4, 2, count, sizeof count)) return Failure(RequestError::kTooShort, in.Size());
  const size_t n = count[0] | (size_t{count[1]} << 8);
  RequestParseResult result;
  result.request.opcode = kOpDiscovery;
  result.request.knownIds.reserve(std::min<size_t>(n, in.Size() / 3));
  for (size_t i = 0; i < n; ++i) {
    uint8_t id[3];
    const size_t at = kDiscoveryHeaderSize + 3 * i;
    if (!in.Bytes(at, 3, id, sizeof id)) return Failure(RequestError::kTruncated, at);
    result.request.knownIds.push_back(Id24(id));
  }
  return result;
}

RequestParseResult ParseSetAddress(const discovery::ByteCursor& in) {
  uint8_t body[kSetAddressSize - 4];
  if (!in.Bytes(4, sizeof body, body, sizeof body)) {
    return Failure(RequestError::kTooShort, in.Size());
  }
  RequestParseResult result;
  result.request.opcode = kOpSetAddress;
  result.request.deviceId = Id24(body);
  std::copy(body + 3, body + 7, result.request.newAddress.begin());
  return result;
}

}  // namespace

RequestParseResult ParseRequest(const uint8_t* data, size_t size) {
  const discovery::ByteCursor in(data, size);
  for (size_t i = 0; i < kRequestMagic.size(); ++i) {
    uint8_t byte = 0;
    if (!in.Byte(i, &byte)) return Failure(RequestError::kTooShort, in.Size());
    if (byte != kRequestMagic[i]) return Failure(RequestError::kBadMagic, i);
  }
  uint8_t opcode = 0;
  if (!in.Byte(3, &opcode)) return Failure(RequestError::kTooShort, in.Size());
  if (opcode == kOpDiscovery) return ParseDiscovery(in);
  if (opcode == kOpSetAddress) return ParseSetAddress(in);
  return Failure(RequestError::kUnknownOpcode, 3);
}

std::vector<uint8_t> EncodeDiscoveryRequest(const std::vector<uint32_t>& ids) {
  std::vector<uint8_t> out(kRequestMagic.begin(), kRequestMagic.end());
  out.push_back(kOpDiscovery);
  out.push_back(static_cast<uint8_t>(ids.size()));
  out.push_back(static_cast<uint8_t>(ids.size() >> 8));
  for (uint32_t id : ids) PutId24(out, id);
  return out;
}

std::vector<uint8_t> EncodeSetAddressRequest(uint32_t deviceId,
                                             const std::array<uint8_t, 4>& newAddress) {
  std::vector<uint8_t> out(kRequestMagic.begin(), kRequestMagic.end());
  out.push_back(kOpSetAddress);
  PutId24(out, deviceId);
  out.insert(out.end(), newAddress.begin(), newAddress.end());
  return out;
}

}  // namespace devsim
