// The messages between a serial application's preload library and its port's bridge, over the
// port's control socket (a SOCK_SEQPACKET Unix socket, one message per packet). Both directions
// are 8 bytes: 'P' 'C', the version, the operation, three argument bytes, one reserved zero byte.
// Anything else (a short or long packet, another version, an unknown operation, a value out of
// range, a reserved byte that is not zero) is refused whole. No allocation and no exceptions: the
// preload library uses this code inside the application's own calls.
//
// Operations 5 and 6 came later, in the same version: a peer that knows only 1 to 4 refuses them
// as an unknown operation, and every message of 1 to 4 keeps its bytes and its checks.
// - kWaitModem (TIOCMIWAIT): the request names input lines; the bridge answers at once with
//   `waiting` set (or with a status that ends the call), and later once more: kOk when the
//   transition count of a named line moved, kNoConnection when the port's connection ended. One
//   request at a time per connection: a new request on it, or its close, ends the wait.
// - kGetCount (TIOCGICOUNT): one 16-bit half of one transition counter per request. The counters
//   are 32 bits and only grow, so a reader takes high, low, high and retries when the two highs
//   differ: the result is a value the counter had, with no state kept in the bridge.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vport::control {

inline constexpr std::size_t kMessageSize = 8;
inline constexpr std::uint8_t kVersion = 1;
using Message = std::array<std::uint8_t, kMessageSize>;

enum class Op : std::uint8_t {
  kSetLine =
      1,  // data bits 5..8, parity 0 none .. 4 space, stop bits 0 one, 1 one and a half, 2 two
  kSetModem = 2,   // mask and value of the output lines (kDtr, kRts)
  kBreak = 3,      // 1 on, 0 off
  kGetModem = 4,   // the reply carries the lines
  kWaitModem = 5,  // mask of input lines (kCts, kDsr, kRing, kCarrier; 0 waits for the end)
  kGetCount = 6,   // counter (kCountCts ... kCountCarrier), half (0 low 16 bits, 1 high)
};

// Modem line bits of kSetModem and of replies.
inline constexpr std::uint8_t kDtr = 0x01;
inline constexpr std::uint8_t kRts = 0x02;
inline constexpr std::uint8_t kCts = 0x04;
inline constexpr std::uint8_t kDsr = 0x08;
inline constexpr std::uint8_t kRing = 0x10;
inline constexpr std::uint8_t kCarrier = 0x20;
inline constexpr std::uint8_t kOutputLines = kDtr | kRts;
inline constexpr std::uint8_t kInputLines = kCts | kDsr | kRing | kCarrier;
inline constexpr std::uint8_t kAllLines = 0x3F;

// The transition counters of kGetCount.
inline constexpr std::uint8_t kCountCts = 0;
inline constexpr std::uint8_t kCountDsr = 1;
inline constexpr std::uint8_t kCountRing = 2;
inline constexpr std::uint8_t kCountCarrier = 3;

struct Request {
  Op op = Op::kGetModem;
  std::uint8_t dataBits = 0;  // kSetLine
  std::uint8_t parity = 0;    // kSetLine
  std::uint8_t stopBits = 0;  // kSetLine
  std::uint8_t mask = 0;      // kSetModem: the lines to set; kWaitModem: the lines to watch
  std::uint8_t value = 0;     // kSetModem: their new state (only bits of mask)
  bool breakOn = false;       // kBreak
  std::uint8_t counter = 0;   // kGetCount: kCountCts ... kCountCarrier
  bool highHalf = false;      // kGetCount: bits 16 to 31 (else 0 to 15)
  bool operator==(const Request&) const = default;
};

enum class Status : std::uint8_t {
  kOk = 0,
  kNotSupported = 1,  // the port does not pass such settings on (a raw TCP port)
  kRefused = 2,       // the request was malformed
  kNoConnection = 3,  // kWaitModem only: the port has no connection to wait on (or lost it)
};

struct Reply {
  Op op = Op::kGetModem;
  Status status = Status::kOk;
  std::uint8_t lines = 0;   // kDtr | kRts as last set, kCts | kDsr | kRing | kCarrier as reported
  bool linesKnown = false;  // the server has reported its input lines
  bool waiting = false;     // kWaitModem: the wait is taken; its answer follows
  std::uint16_t count = 0;  // kGetCount: the asked half (it travels in place of the lines)
  bool operator==(const Reply&) const = default;
};

enum class DecodeError {
  kNone,
  kTruncated,  // fewer than kMessageSize bytes
  kOversize,   // more than kMessageSize bytes
  kBadMagic,
  kBadVersion,
  kBadOp,
  kBadValue,  // an argument out of range or a reserved byte not zero
};

Message EncodeRequest(const Request& request);
DecodeError DecodeRequest(std::span<const std::uint8_t> bytes, Request* out);
Message EncodeReply(const Reply& reply);
DecodeError DecodeReply(std::span<const std::uint8_t> bytes, Reply* out);
// "truncated", "oversize", ...: for the port log.
const char* DecodeErrorText(DecodeError error);

}  // namespace vport::control
