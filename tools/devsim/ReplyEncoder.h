// Encodes the discovery reply of a simulated device, byte by byte as device servers send it:
// layout A (formats 1 and 2) or layout B (format 3, with a serial-number text that moves the later
// fields 10 bytes on). Texts longer than their field fill it without a terminator, as a device's
// would; community names are scrambled with the first and last octet of the device's address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "DeviceConfig.h"

namespace devsim {

constexpr size_t kReplyPortEntriesA = 347;
constexpr size_t kReplyPortEntriesB = 357;
constexpr size_t kReplyPortEntrySize = 18;

// The reply datagram: the fixed part of the layout plus one entry per configured port (at most
// kMaxPortEntries). A format other than 1, 2 or 3 is encoded in layout A with that format byte.
std::vector<uint8_t> EncodeReply(const DeviceConfig& device);

}  // namespace devsim
