// The reply of a device server to a discovery request or a unicast query, decoded from the
// datagram. Two layouts exist: A (formats 1 and 2) and B (format 3, which adds a serial-number
// text and moves the later fields 10 bytes on). Texts are kept as they arrive, up to the first
// zero byte or the end of their field; community names are descrambled.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace discovery {

constexpr size_t kReplyBufferSize = 548;  // what a reply is read into
constexpr size_t kMaxDevicePorts = 6;     // port slots of a device record
constexpr size_t kPortEntrySize = 18;
constexpr size_t kCommunityFieldSize = 32;
constexpr size_t kMakerFieldSize = 5;

// The first three bytes of every reply (the request magic reversed).
constexpr std::array<uint8_t, 3> kReplyMagic = {0x3A, 0x2C, 0x2E};

enum class ReplyError {
  kNone = 0,
  kTooShort,   // fewer than the four bytes of magic and format
  kBadMagic,   // does not start with the reply magic
  kBadFormat,  // format 0 or above 3: a layout this program does not know
  kTruncated,  // the fixed part of the layout did not arrive in full
};

struct ReplyPort {
  uint8_t state = 0;      // 2 = off-line, any other value = on-line
  uint8_t condition = 0;  // see PortStatusText
  std::string name;
};

struct DiscoveryReply {
  uint8_t format = 0;
  std::string productNumber;
  std::string productType;
  std::string datecode;
  std::string makerTag;  // at most the 5 bytes of its field
  std::array<uint8_t, 6> hardwareAddress{};
  std::string serialNumber;  // layout A: derived from the hardware address; B: the reply's text
  std::array<uint8_t, 4> ipAddress{};
  std::array<uint8_t, 4> subnetMask{};
  std::array<uint8_t, 4> defaultGateway{};
  std::string systemName;
  std::string getCommunity;  // descrambled
  std::string setCommunity;  // descrambled
  std::string generalStatus;
  unsigned announcedPorts = 0;   // the port count byte as sent
  std::vector<ReplyPort> ports;  // the entries that arrived in full, at most kMaxDevicePorts
};

struct ReplyParseResult {
  ReplyError error = ReplyError::kNone;
  size_t offset = 0;     // where decoding failed
  DiscoveryReply reply;  // meaningful when error is kNone (format is set from kBadFormat on)
};

// Decodes a reply of size bytes. Port entries beyond the sixth, or cut short by the end of the
// datagram, are dropped; announcedPorts still tells what the device claimed.
ReplyParseResult ParseDiscoveryReply(const uint8_t* data, size_t size);

// True when the datagram starts with the reply magic.
bool HasReplyMagic(const uint8_t* data, size_t size);

// The device ID of a reply: the last three bytes of its hardware address (offsets 57-59), most
// significant first. Empty when those bytes did not arrive.
std::optional<uint32_t> ReplyDeviceId(const uint8_t* data, size_t size);

// Descrambles a community field with key: each byte from the last down to the second is XORed
// with the key and with the received byte before it plus 5; the first byte with the key alone.
// The text ends at the first zero byte, or holds all 32 bytes when there is none.
std::string DescrambleCommunity(const uint8_t (&field)[kCommunityFieldSize], uint8_t key);

// The inverse of DescrambleCommunity for a text of at most 32 bytes (zero-padded): what a device
// sends. Used by the device simulator and the tests.
std::array<uint8_t, kCommunityFieldSize> ScrambleCommunity(const std::string& text, uint8_t key);

// "%02X%02X%02X%02X%02X%02X" of a hardware address.
std::string HardwareAddressText(const std::array<uint8_t, 6>& address);
// Dotted form of an address in network order.
std::string DottedAddress(const std::array<uint8_t, 4>& address);

}  // namespace discovery
