#include "vport/TelnetDecoder.h"

#include <cstdio>
#include <vector>

#include "vport/TelnetCodes.h"

namespace vport {

// Gathers runs of data bytes so that the port gets one write per run instead of one per byte, and
// keeps data and commands in their received order.
class TelnetDecoder::Output {
 public:
  Output(const DataSink& dataSink, const CommandSink& commandSink, std::size_t expected)
      : dataSink_(dataSink), commandSink_(commandSink) {
    run_.reserve(expected);
  }

  void Data(std::uint8_t byte) { run_.push_back(byte); }
  void Data(std::span<const std::uint8_t> bytes) {
    run_.insert(run_.end(), bytes.begin(), bytes.end());
  }

  void FlushData() {
    if (run_.empty()) return;
    if (dataSink_) dataSink_(run_);
    run_.clear();
  }

  void Command(std::span<const std::uint8_t> command) {
    FlushData();
    if (commandSink_) commandSink_(command, CommandLogLine(command));
  }

 private:
  const DataSink& dataSink_;
  const CommandSink& commandSink_;
  std::vector<std::uint8_t> run_;
};

void TelnetDecoder::Reset() {
  state_ = kData;
  length_ = 0;
  dropped_ = 0;
  subIacStored_ = false;
}

void TelnetDecoder::Decode(std::span<const std::uint8_t> received, const DataSink& dataSink,
                           const CommandSink& commandSink) {
  Output out(dataSink, commandSink, received.size());
  for (std::uint8_t byte : received) Step(byte, out);
  out.FlushData();
}

std::string TelnetDecoder::CommandLogLine(std::span<const std::uint8_t> command) {
  std::string line = "Received Telnet command from server:\r\n\t";
  char hex[8];
  for (std::uint8_t byte : command) {
    std::snprintf(hex, sizeof hex, "0x%02X ", static_cast<unsigned>(byte));
    line += hex;
  }
  return line;
}

void TelnetDecoder::Step(std::uint8_t byte, Output& out) {
  switch (state_) {
    case kIac:
      StepIac(byte, out);
      return;
    case kOption:
      Append(byte);
      CompleteCommand(out);
      return;
    case kSub:
      if (byte == telnet::kIac) {
        subIacStored_ = Append(byte);
        state_ = kSubIac;
      } else {
        Append(byte);
      }
      return;
    case kSubIac:
      StepSubIac(byte, out);
      return;
    case kData:
    case kDone:
      break;
  }
  state_ = kData;
  if (byte == telnet::kIac) {
    Append(byte);
    state_ = kIac;
  } else {
    out.Data(byte);
  }
}

void TelnetDecoder::StepIac(std::uint8_t byte, Output& out) {
  if (byte == telnet::kIac) {
    // IAC IAC is an escaped data byte 255.
    out.Data(byte);
    length_ = 0;
    state_ = kData;
  } else if (byte == telnet::kSb) {
    Append(byte);
    state_ = kSub;
  } else if (byte >= telnet::kWill) {
    Append(byte);
    state_ = kOption;
  } else if (byte >= telnet::kSe) {
    Append(byte);
    CompleteCommand(out);
  } else {
    // Not a command: the 255 and this byte are data.
    Append(byte);
    Flush(out);
  }
}

void TelnetDecoder::StepSubIac(std::uint8_t byte, Output& out) {
  if (byte == telnet::kSe) {
    Append(byte);
    CompleteCommand(out);
  } else if (byte == telnet::kIac) {
    // A doubled 255 is a value byte of the subnegotiation; both are kept as received.
    Append(byte);
    state_ = kSub;
  } else {
    // IAC followed by anything else breaks the subnegotiation off. What was collected is reported
    // as a command (it is protocol, not the application's data), then IAC and this byte are read
    // afresh as if outside.
    const std::size_t partial = subIacStored_ ? length_ - 1 : length_;
    out.Command(std::span<const std::uint8_t>(command_.data(), partial));
    length_ = 0;
    dropped_ = 0;
    Append(telnet::kIac);
    state_ = kIac;
    StepIac(byte, out);
  }
}

bool TelnetDecoder::Append(std::uint8_t byte) {
  // Only a subnegotiation can outgrow the buffer; its excess is counted and dropped so that a
  // hostile or broken server can neither overrun the buffer nor push protocol bytes into the data.
  if (length_ < command_.size()) {
    command_[length_++] = byte;
    return true;
  }
  ++dropped_;
  return false;
}

void TelnetDecoder::Flush(Output& out) {
  out.Data(std::span<const std::uint8_t>(command_.data(), length_));
  length_ = 0;
  state_ = kData;
}

void TelnetDecoder::CompleteCommand(Output& out) {
  state_ = kDone;
  out.Command(std::span<const std::uint8_t>(command_.data(), length_));
  length_ = 0;
  dropped_ = 0;
  state_ = kData;
}

}  // namespace vport
