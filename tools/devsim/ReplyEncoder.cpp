#include "ReplyEncoder.h"

#include <algorithm>
#include <cstring>

#include "discovery/DiscoveryReply.h"

namespace devsim {
namespace {

struct Layout {
  size_t serialText;  // 0: none
  size_t ipAddress;
  size_t getCommunity;
  size_t setCommunity;
  size_t generalStatus;
  size_t portCount;
  size_t portEntries;
};

constexpr Layout kLayoutA{0, 62, 202, 234, 266, 346, kReplyPortEntriesA};
constexpr Layout kLayoutB{60, 72, 212, 244, 276, 356, kReplyPortEntriesB};

class ReplyWriter {
 public:
  explicit ReplyWriter(size_t size) : bytes_(size, 0) {}

  void Byte(size_t offset, uint8_t value) { bytes_.at(offset) = value; }
  template <size_t N>
  void Bytes(size_t offset, const std::array<uint8_t, N>& value) {
    std::copy(value.begin(), value.end(), bytes_.begin() + static_cast<ptrdiff_t>(offset));
  }
  // A text cut to its field; the rest of the field stays zero.
  void Text(size_t offset, size_t width, const std::string& text) {
    std::memcpy(bytes_.data() + offset, text.data(), std::min(width, text.size()));
  }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::vector<uint8_t> EncodeReply(const DeviceConfig& d) {
  const Layout& layout = d.format == 3 ? kLayoutB : kLayoutA;
  const size_t entries = std::min(d.ports.size(), kMaxPortEntries);
  ReplyWriter out(layout.portEntries + entries * kReplyPortEntrySize);

  out.Bytes(0, discovery::kReplyMagic);
  out.Byte(3, d.format);
  out.Text(4, 8, d.productNumber);
  out.Text(12, 20, d.productType);
  out.Text(32, 17, d.datecode);
  out.Text(49, discovery::kMakerFieldSize, d.maker);
  out.Bytes(54, d.hardwareAddress);
  if (layout.serialText != 0) out.Text(layout.serialText, 12, d.SerialNumberText());
  out.Bytes(layout.ipAddress, d.ipAddress);
  out.Bytes(layout.ipAddress + 4, d.subnetMask);
  out.Bytes(layout.ipAddress + 8, d.defaultGateway);
  out.Text(layout.ipAddress + 12, 128, d.systemName);
  out.Bytes(layout.getCommunity, discovery::ScrambleCommunity(d.getCommunity, d.ipAddress[0]));
  out.Bytes(layout.setCommunity, discovery::ScrambleCommunity(d.setCommunity, d.ipAddress[3]));
  out.Text(layout.generalStatus, 80, d.generalStatus);
  out.Byte(layout.portCount, d.PortCountByte());
  for (size_t i = 0; i < entries; ++i) {
    const size_t at = layout.portEntries + i * kReplyPortEntrySize;
    out.Byte(at, d.ports[i].state);
    out.Byte(at + 1, d.ports[i].condition);
    out.Text(at + 2, 16, d.ports[i].name);
  }
  return out.Take();
}

}  // namespace devsim
