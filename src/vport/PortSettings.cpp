#include "vport/PortSettings.h"

#include <array>
#include <utility>

namespace vport {

namespace {

constexpr std::array<std::pair<speed_t, long>, 31> kSpeeds{{
    {B50, 50},
    {B75, 75},
    {B110, 110},
    {B134, 134},
    {B150, 150},
    {B200, 200},
    {B300, 300},
    {B600, 600},
    {B1200, 1200},
    {B1800, 1800},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
    {B460800, 460800},
    {B500000, 500000},
    {B576000, 576000},
    {B921600, 921600},
    {B1000000, 1000000},
    {B1152000, 1152000},
    {B1500000, 1500000},
    {B2000000, 2000000},
    {B2500000, 2500000},
    {B3000000, 3000000},
    {B3500000, 3500000},
    {B4000000, 4000000},
    {B0, 0},
}};

HandFlow HandFlowFrom(const struct termios& t) {
  HandFlow flow;
  // A Linux port holds DTR up while open (unless hung up), and RTS up unless RTS/CTS flow
  // control drives it: that is DTR_CONTROL_ENABLE and RTS_CONTROL_ENABLE or _HANDSHAKE.
  if (cfgetospeed(&t) != B0) flow.controlHandShake |= SERIAL_DTR_CONTROL;
  if (t.c_cflag & CRTSCTS) {
    flow.controlHandShake |= SERIAL_CTS_HANDSHAKE;
    flow.flowReplace |= SERIAL_RTS_HANDSHAKE;
  } else {
    flow.flowReplace |= SERIAL_RTS_CONTROL;
  }
  if (t.c_iflag & IXON) flow.flowReplace |= SERIAL_AUTO_TRANSMIT;
  if (t.c_iflag & IXOFF) flow.flowReplace |= SERIAL_AUTO_RECEIVE;
  // termios has no XON/XOFF thresholds; they stay 0.
  return flow;
}

SpecialChars SpecialCharsFrom(const struct termios& t) {
  SpecialChars chars;
  chars.eofChar = t.c_cc[VEOF];
  chars.xonChar = t.c_cc[VSTART];
  chars.xoffChar = t.c_cc[VSTOP];
  // Error, break and event characters have no termios counterpart.
  return chars;
}

// VMIN/VTIME expressed as the read time-outs with the same effect on a Windows read.
CommTimeouts TimeoutsFrom(const struct termios& t) {
  const uint32_t vmin = t.c_cc[VMIN];
  const uint32_t tenths = t.c_cc[VTIME];
  CommTimeouts out;
  if (vmin == 0 && tenths == 0) {
    out.readInterval = kMaxDword;  // return at once with what is there
  } else if (vmin == 0) {
    // Return as soon as one byte is there, else after the time: Windows' MAXDWORD/MAXDWORD form.
    out.readInterval = kMaxDword;
    out.readMultiplier = kMaxDword;
    out.readConstant = tenths * 100;
  } else if (tenths != 0) {
    out.readInterval = tenths * 100;  // inter-byte timer
  }
  return out;
}

}  // namespace

long PortSettings::BaudFromSpeed(speed_t speed) {
  for (const auto& [code, rate] : kSpeeds) {
    if (code == speed) return rate;
  }
  return 0;
}

PortSettings PortSettings::FromTermios(const struct termios& t) {
  PortSettings s;
  s.baud = BaudFromSpeed(cfgetospeed(&t));
  s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
  s.handFlow = HandFlowFrom(t);
  s.specialChars = SpecialCharsFrom(t);
  s.timeouts = TimeoutsFrom(t);
  return s;
}

}  // namespace vport
