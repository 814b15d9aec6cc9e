// The port reports as they travel from the running program to `portolanctl ports status`: the
// payload of the running-copy socket's port-status reply. Little-endian:
//
//   "PLPS", u16 version 1, u16 count (0 to 255), then count ports, each:
//     u8 state (0 Closed, 1 Connecting, 2 Open), u8 flags (bit 0: an application holds it; the
//     other bits zero), u32 reconnects, i64 connected since (seconds since 1970, 0 while not
//     open; never negative), u64 bytes received, u64 bytes sent,
//     u8 length + the port's name (1 to 16 bytes), u8 length + the server (0 to 64 bytes),
//     u16 length + the last error (0 to 512 bytes)
//
// Nothing may follow the last port. A reader asks for the version it knows; a later version may
// add fields only after the ones above. The encoder cuts texts to their bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "vport/PortReport.h"

namespace vport {

class PortReportCodec {
 public:
  static constexpr std::uint16_t kVersion = 1;
  static constexpr std::size_t kMaxPorts = 255;
  static constexpr std::size_t kMaxName = 16;
  static constexpr std::size_t kMaxServer = 64;
  static constexpr std::size_t kMaxError = 512;
  static constexpr std::size_t kHeaderSize = 8;
  static constexpr std::size_t kFixedPortSize = 1 + 1 + 4 + 8 + 8 + 8 + 1 + 1 + 2;
  // The largest payload: every port with every text at its bound.
  static constexpr std::size_t kMaxSize =
      kHeaderSize + kMaxPorts * (kFixedPortSize + kMaxName + kMaxServer + kMaxError);

  enum class DecodeError {
    kNone,
    kTruncated,  // ends inside a field
    kOversize,   // more than kMaxSize bytes
    kBadMagic,
    kBadVersion,
    kBadCount,  // more than kMaxPorts ports
    kBadValue,  // a state, flag, time or length out of range
    kTrailing,  // bytes after the last port
  };

  // At most kMaxPorts reports (the rest are left out).
  static std::vector<std::uint8_t> Encode(const std::vector<PortReport>& reports);
  static DecodeError Decode(std::span<const std::uint8_t> bytes, std::vector<PortReport>* out);
  static const char* ErrorText(DecodeError error);
};

}  // namespace vport
