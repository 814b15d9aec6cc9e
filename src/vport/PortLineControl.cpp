#include "vport/PortLineControl.h"

#include <iterator>

#include "vport/TelnetCodes.h"

namespace vport {

namespace {

// NOTIFY-MODEMSTATE's bits for the input lines.
constexpr std::uint8_t kModemCts = 0x10;
constexpr std::uint8_t kModemDsr = 0x20;
constexpr std::uint8_t kModemRing = 0x40;
constexpr std::uint8_t kModemCarrier = 0x80;
// ... and its delta bits.
constexpr std::uint8_t kModemDeltaCts = 0x01;
constexpr std::uint8_t kModemDeltaDsr = 0x02;
constexpr std::uint8_t kModemRingEnded = 0x04;  // trailing edge of RI
constexpr std::uint8_t kModemDeltaCarrier = 0x08;

// Each counted line: its bit in the control messages, its delta bit, its counter.
struct CountedLine {
  std::uint8_t line;
  std::uint8_t delta;
  std::uint8_t counter;
};
constexpr CountedLine kCountedLines[] = {
    {control::kCts, kModemDeltaCts, control::kCountCts},
    {control::kDsr, kModemDeltaDsr, control::kCountDsr},
    {control::kRing, kModemRingEnded, control::kCountRing},
    {control::kCarrier, kModemDeltaCarrier, control::kCountCarrier},
};

}  // namespace

Bytes PortLineControl::ControlFrame(std::uint8_t value) {
  const std::uint8_t v[] = {value};
  return ComPortSubnegotiation(telnet::kSetControl, v);
}

control::Reply PortLineControl::Handle(const control::Request& request, bool connected,
                                       Frames* frames) {
  control::Reply reply;
  reply.op = request.op;
  if (!rfc2217_) return HandleRaw(request);
  switch (request.op) {
    case control::Op::kSetLine:
      application_ = DataLine{request.dataBits, request.parity};
      if (connected && application_ != told_) *frames = DataLineFrames();
      break;
    case control::Op::kSetModem:
      if ((request.mask & control::kDtr) != 0) {
        dtr_ = (request.value & control::kDtr) != 0;
        dtrSet_ = true;
        if (connected) frames->push_back(ControlFrame(dtr_ ? kDtrOn : kDtrOff));
      }
      if ((request.mask & control::kRts) != 0) {
        rts_ = (request.value & control::kRts) != 0;
        rtsSet_ = true;
        if (connected) frames->push_back(ControlFrame(rts_ ? kRtsOn : kRtsOff));
      }
      break;
    case control::Op::kBreak:
      // A break belongs to the moment: none is kept for a later connection.
      if (connected) frames->push_back(ControlFrame(request.breakOn ? kBreakOn : kBreakOff));
      break;
    case control::Op::kGetModem:
      break;
    case control::Op::kWaitModem:
      reply.waiting = true;  // answered by the report that moves a named counter
      break;
    case control::Op::kGetCount: {
      const std::uint32_t count = Count(request.counter);
      reply.count = static_cast<std::uint16_t>(request.highHalf ? count >> 16 : count & 0xFFFF);
      return reply;
    }
  }
  reply.lines = Lines();
  reply.linesKnown = LinesKnown();
  return reply;
}

control::Reply PortLineControl::HandleRaw(const control::Request& request) {
  // A raw port passes nothing on. DTR and RTS are only kept, so that TIOCMGET reads back what the
  // application set, with every input off: serial libraries read the lines right after opening,
  // and a failure there ends the program.
  control::Reply reply;
  reply.op = request.op;
  if (request.op == control::Op::kSetModem) {
    if ((request.mask & control::kDtr) != 0) dtr_ = (request.value & control::kDtr) != 0;
    if ((request.mask & control::kRts) != 0) rts_ = (request.value & control::kRts) != 0;
  } else if (request.op != control::Op::kGetModem) {
    reply.status = control::Status::kNotSupported;
    return reply;
  }
  reply.lines = Lines();
  reply.linesKnown = true;
  return reply;
}

Frames PortLineControl::DataLineFrames() {
  if (fixedLine_ || !application_) return {};
  told_ = application_;
  return LineControlFrames(std::nullopt, application_->parity, application_->dataBits);
}

Frames PortLineControl::AfterBaudRate() {
  return DataLineFrames();
}

void PortLineControl::ConnectionStarted() {
  told_.reset();
  serverLines_.reset();
}

ComPortSettings PortLineControl::WithApplicationLine(ComPortSettings settings) {
  if (application_ && !fixedLine_) {
    settings.parity = application_->parity;
    settings.wordLength = application_->dataBits;
    told_ = application_;
  }
  return settings;
}

Frames PortLineControl::AfterConnected() {
  Frames frames;
  if (dtrSet_) frames.push_back(ControlFrame(dtr_ ? kDtrOn : kDtrOff));
  if (rtsSet_) frames.push_back(ControlFrame(rts_ ? kRtsOn : kRtsOff));
  return frames;
}

void PortLineControl::ApplicationClosed() {
  application_.reset();
  told_.reset();
  dtr_ = rts_ = true;
  dtrSet_ = rtsSet_ = false;
  serverLines_.reset();
}

std::uint8_t PortLineControl::ServerCommand(std::span<const std::uint8_t> command) {
  // IAC SB COM-PORT-OPTION NOTIFY-MODEMSTATE <value> IAC SE; a value 255 comes doubled.
  if (command.size() < 7 || command[0] != telnet::kIac || command[1] != telnet::kSb ||
      command[2] != telnet::kOptionComPort || command[3] != kNotifyModemState) {
    return 0;
  }
  const std::uint8_t v = command[4];
  std::uint8_t lines = 0;
  if ((v & kModemCts) != 0) lines |= control::kCts;
  if ((v & kModemDsr) != 0) lines |= control::kDsr;
  if ((v & kModemRing) != 0) lines |= control::kRing;
  if ((v & kModemCarrier) != 0) lines |= control::kCarrier;
  std::uint8_t counted = 0;
  for (const CountedLine& c : kCountedLines) {
    bool moved = (v & c.delta) != 0;
    if (serverLines_) {
      const bool was = (*serverLines_ & c.line) != 0;
      const bool is = (lines & c.line) != 0;
      // A ring counts when it ends; the other lines on every change.
      moved = moved || (c.line == control::kRing ? was && !is : was != is);
    }
    if (!moved) continue;
    ++counts_[c.counter];
    counted |= c.line;
  }
  serverLines_ = lines;
  return counted;
}

std::uint32_t PortLineControl::Count(std::uint8_t counter) const {
  return counter < std::size(counts_) ? counts_[counter] : 0;
}

std::uint8_t PortLineControl::Lines() const {
  std::uint8_t lines = serverLines_.value_or(0);
  if (dtr_) lines |= control::kDtr;
  if (rts_) lines |= control::kRts;
  return lines;
}

}  // namespace vport
