#include "discovery/DiscoveryReply.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "discovery/ByteCursor.h"

namespace discovery {
namespace {

// Offsets of the fields that differ between the layouts.
struct ReplyLayout {
  size_t serialText;  // 0: none, the serial number is derived
  size_t ipAddress;
  size_t getCommunity;
  size_t setCommunity;
  size_t generalStatus;
  size_t portCount;
  size_t portEntries;
};

constexpr ReplyLayout kLayoutA{0, 62, 202, 234, 266, 346, 347};
constexpr ReplyLayout kLayoutB{60, 72, 212, 244, 276, 356, 357};

constexpr size_t kFormatOffset = 3;
constexpr size_t kProductNumber = 4, kProductNumberSize = 8;
constexpr size_t kProductType = 12, kProductTypeSize = 20;
constexpr size_t kDatecode = 32, kDatecodeSize = 17;
constexpr size_t kMakerTag = 49;
constexpr size_t kHardwareAddress = 54;
constexpr size_t kSerialTextSize = 12;
constexpr size_t kSystemNameSize = 128;
constexpr size_t kGeneralStatusSize = 80;
constexpr size_t kPortNameSize = 16;
// Mask and gateway follow the IP address.
constexpr size_t kMaskAfterIp = 4, kGatewayAfterIp = 8;

ReplyParseResult Failure(ReplyError error, size_t offset) {
  ReplyParseResult result;
  result.error = error;
  result.offset = offset;
  return result;
}

bool ReadAddress(const ByteCursor& in, size_t offset, std::array<uint8_t, 4>* out) {
  return in.Bytes(offset, out->size(), out->data(), out->size());
}

bool ReadCommunity(const ByteCursor& in, size_t offset, uint8_t key, std::string* out) {
  uint8_t field[kCommunityFieldSize];
  if (!in.Bytes(offset, sizeof field, field, sizeof field)) return false;
  *out = DescrambleCommunity(field, key);
  return true;
}

void ReadPorts(const ByteCursor& in, const ReplyLayout& layout, DiscoveryReply* reply) {
  for (size_t i = 0; i < reply->announcedPorts && i < kMaxDevicePorts; ++i) {
    const size_t entry = layout.portEntries + i * kPortEntrySize;
    if (!in.Has(entry, kPortEntrySize)) break;
    ReplyPort port;
    in.Byte(entry, &port.state);
    in.Byte(entry + 1, &port.condition);
    in.Text(entry + 2, kPortNameSize, &port.name);
    reply->ports.push_back(std::move(port));
  }
}

}  // namespace

bool HasReplyMagic(const uint8_t* data, size_t size) {
  return data != nullptr && size >= kReplyMagic.size() &&
         std::equal(kReplyMagic.begin(), kReplyMagic.end(), data);
}

std::optional<uint32_t> ReplyDeviceId(const uint8_t* data, size_t size) {
  uint8_t id[3];
  if (!ByteCursor(data, size).Bytes(kHardwareAddress + 3, sizeof id, id, sizeof id)) {
    return std::nullopt;
  }
  return (uint32_t{id[0]} << 16) | (uint32_t{id[1]} << 8) | id[2];
}

ReplyParseResult ParseDiscoveryReply(const uint8_t* data, size_t size) {
  const ByteCursor in(data, size);
  for (size_t i = 0; i < kReplyMagic.size(); ++i) {
    uint8_t byte = 0;
    if (!in.Byte(i, &byte)) return Failure(ReplyError::kTooShort, in.Size());
    if (byte != kReplyMagic[i]) return Failure(ReplyError::kBadMagic, i);
  }
  uint8_t format = 0;
  if (!in.Byte(kFormatOffset, &format)) return Failure(ReplyError::kTooShort, in.Size());
  if (format == 0 || format > 3) {
    ReplyParseResult result = Failure(ReplyError::kBadFormat, kFormatOffset);
    result.reply.format = format;
    return result;
  }

  const ReplyLayout& layout = format == 3 ? kLayoutB : kLayoutA;
  // Everything up to and with the port count byte must be there; only the port entries may be cut.
  if (!in.Has(0, layout.portEntries)) {
    ReplyParseResult result = Failure(ReplyError::kTruncated, in.Size());
    result.reply.format = format;
    return result;
  }

  ReplyParseResult result;
  DiscoveryReply& reply = result.reply;
  reply.format = format;
  in.Text(kProductNumber, kProductNumberSize, &reply.productNumber);
  in.Text(kProductType, kProductTypeSize, &reply.productType);
  in.Text(kDatecode, kDatecodeSize, &reply.datecode);
  in.Text(kMakerTag, kMakerFieldSize, &reply.makerTag);
  in.Bytes(kHardwareAddress, reply.hardwareAddress.size(), reply.hardwareAddress.data(),
           reply.hardwareAddress.size());
  if (layout.serialText != 0) {
    in.Text(layout.serialText, kSerialTextSize, &reply.serialNumber);
  } else {
    const auto& hw = reply.hardwareAddress;
    const uint32_t serial = (uint32_t{hw[3]} << 16) | (uint32_t{hw[4]} << 8) | hw[5];
    reply.serialNumber = std::to_string(serial);
  }
  ReadAddress(in, layout.ipAddress, &reply.ipAddress);
  ReadAddress(in, layout.ipAddress + kMaskAfterIp, &reply.subnetMask);
  ReadAddress(in, layout.ipAddress + kGatewayAfterIp, &reply.defaultGateway);
  in.Text(layout.ipAddress + 12, kSystemNameSize, &reply.systemName);
  // Keys: the first and the last octet of the device's IP address.
  ReadCommunity(in, layout.getCommunity, reply.ipAddress[0], &reply.getCommunity);
  ReadCommunity(in, layout.setCommunity, reply.ipAddress[3], &reply.setCommunity);
  in.Text(layout.generalStatus, kGeneralStatusSize, &reply.generalStatus);
  uint8_t count = 0;
  in.Byte(layout.portCount, &count);
  reply.announcedPorts = count;
  ReadPorts(in, layout, &reply);
  return result;
}

std::string DescrambleCommunity(const uint8_t (&field)[kCommunityFieldSize], uint8_t key) {
  uint8_t plain[kCommunityFieldSize];
  for (size_t i = kCommunityFieldSize - 1; i >= 1; --i) {
    plain[i] = static_cast<uint8_t>(key ^ field[i] ^ static_cast<uint8_t>(field[i - 1] + 5));
  }
  plain[0] = static_cast<uint8_t>(field[0] ^ key);
  const void* zero = std::memchr(plain, 0, sizeof plain);
  const size_t length =
      zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - plain) : sizeof plain;
  return std::string(reinterpret_cast<const char*>(plain), length);
}

std::array<uint8_t, kCommunityFieldSize> ScrambleCommunity(const std::string& text, uint8_t key) {
  uint8_t plain[kCommunityFieldSize] = {};
  std::memcpy(plain, text.data(), std::min(text.size(), sizeof plain));
  std::array<uint8_t, kCommunityFieldSize> field{};
  field[0] = static_cast<uint8_t>(plain[0] ^ key);
  for (size_t i = 1; i < kCommunityFieldSize; ++i) {
    field[i] = static_cast<uint8_t>(plain[i] ^ key ^ static_cast<uint8_t>(field[i - 1] + 5));
  }
  return field;
}

std::string HardwareAddressText(const std::array<uint8_t, 6>& a) {
  char text[13];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
  return text;
}

std::string DottedAddress(const std::array<uint8_t, 4>& a) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
  return text;
}

}  // namespace discovery
