// The serial settings an application set on a virtual port, as the Windows serial driver would
// report them, derived from the pseudo-terminal's termios.
#pragma once

#include <termios.h>

#include <cstdint>

namespace vport {

// Windows serial handflow bits (SERIAL_HANDFLOW ControlHandShake and FlowReplace).
enum : uint32_t {
  SERIAL_DTR_CONTROL = 0x01,
  SERIAL_DTR_HANDSHAKE = 0x02,
  SERIAL_CTS_HANDSHAKE = 0x08,
  SERIAL_DSR_HANDSHAKE = 0x10,
  SERIAL_AUTO_TRANSMIT = 0x01,
  SERIAL_AUTO_RECEIVE = 0x02,
  SERIAL_RTS_CONTROL = 0x40,
  SERIAL_RTS_HANDSHAKE = 0x80,
};

// COMMTIMEOUTS' "no time-out" value.
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

struct HandFlow {
  uint32_t controlHandShake = 0;
  uint32_t flowReplace = 0;
  uint32_t xonLimit = 0;
  uint32_t xoffLimit = 0;
  bool operator==(const HandFlow&) const = default;
};

struct SpecialChars {
  uint8_t eofChar = 0;
  uint8_t errorChar = 0;
  uint8_t breakChar = 0;
  uint8_t eventChar = 0;
  uint8_t xonChar = 0;
  uint8_t xoffChar = 0;
  bool operator==(const SpecialChars&) const = default;
};

struct CommTimeouts {
  uint32_t readInterval = 0;
  uint32_t readMultiplier = 0;
  uint32_t readConstant = 0;
  uint32_t writeMultiplier = 0;
  uint32_t writeConstant = 0;
  bool operator==(const CommTimeouts&) const = default;
};

struct PortSettings {
  long baud = 0;      // 0: no rate (B0 hang-up, or a rate outside the table)
  long stopBits = 0;  // 0 one, 2 two
  HandFlow handFlow;
  SpecialChars specialChars;
  CommTimeouts timeouts;

  bool operator==(const PortSettings&) const = default;

  static PortSettings FromTermios(const struct termios& t);
  // The numeric rate of a termios speed code, 0 for B0 and unknown codes.
  static long BaudFromSpeed(speed_t speed);
  // Bits on the wire per character: start, eight data bits (a pty cannot have fewer or parity)
  // and the stop bits.
  unsigned BitsPerChar() const { return stopBits == 2 ? 11u : 10u; }
};

}  // namespace vport
