#include "vport/Rfc2217Frames.h"

#include <array>

#include "vport/TelnetCodes.h"

namespace vport {

namespace {

Bytes OneByteFrame(std::uint8_t command, std::uint8_t value) {
  const std::array<std::uint8_t, 1> bytes{value};
  return ComPortSubnegotiation(command, bytes);
}

}  // namespace

Frames OptionOffers() {
  using namespace telnet;
  return {Bytes{kIac, kWill, kOptionBinary}, Bytes{kIac, kWill, kOptionComPort}};
}

Bytes ComPortSubnegotiation(std::uint8_t command, std::span<const std::uint8_t> value) {
  using namespace telnet;
  Bytes frame{kIac, kSb, kOptionComPort, command};
  frame.reserve(frame.size() + 2 * value.size() + 2);
  for (std::uint8_t byte : value) {
    // Inside a subnegotiation a data byte 255 must be doubled, or the server would read IAC.
    if (byte == kIac) frame.push_back(kIac);
    frame.push_back(byte);
  }
  frame.push_back(kIac);
  frame.push_back(kSe);
  return frame;
}

Bytes BaudRateFrame(std::uint32_t baudRate) {
  const std::array<std::uint8_t, 4> value{
      static_cast<std::uint8_t>(baudRate >> 24), static_cast<std::uint8_t>(baudRate >> 16),
      static_cast<std::uint8_t>(baudRate >> 8), static_cast<std::uint8_t>(baudRate)};
  return ComPortSubnegotiation(telnet::kSetBaudRate, value);
}

std::optional<Bytes> StopSizeFrame(std::int32_t stopBits) {
  switch (stopBits) {
    case 0:
      return OneByteFrame(telnet::kSetStopSize, 1);
    case 1:
      return OneByteFrame(telnet::kSetStopSize, 3);
    case 2:
      return OneByteFrame(telnet::kSetStopSize, 2);
    default:
      return std::nullopt;
  }
}

std::optional<Bytes> ParityFrame(std::int32_t parity) {
  // Values past space would reach the server as a different request (0 asks for the current
  // setting), so they are not forwarded.
  if (parity < 0 || parity > 4) return std::nullopt;
  return OneByteFrame(telnet::kSetParity, static_cast<std::uint8_t>(parity + 1));
}

Bytes DataSizeFrame(std::int32_t wordLength) {
  return OneByteFrame(telnet::kSetDataSize, static_cast<std::uint8_t>(wordLength & 0xFF));
}

Frames LineControlFrames(std::optional<std::int32_t> stopBits, std::optional<std::int32_t> parity,
                         std::optional<std::int32_t> wordLength) {
  Frames frames;
  if (stopBits) {
    if (auto frame = StopSizeFrame(*stopBits)) frames.push_back(std::move(*frame));
  }
  if (parity) {
    if (auto frame = ParityFrame(*parity)) frames.push_back(std::move(*frame));
  }
  if (wordLength) frames.push_back(DataSizeFrame(*wordLength));
  return frames;
}

std::optional<std::uint8_t> FlowControlValue(const HandFlow& handFlow) {
  const std::uint8_t replace = handFlow.flowReplace & 0xFF;
  const std::uint8_t control = handFlow.controlHandShake & 0xFF;
  if (replace == 0x40 && control == 0x01) return 1;
  if (replace == 0x43 && control == 0x01) return 2;
  if (replace == 0x80 && control == 0x09) return 3;
  return std::nullopt;
}

std::optional<Bytes> ControlFrame(const HandFlow& handFlow) {
  const auto value = FlowControlValue(handFlow);
  if (!value) return std::nullopt;
  return OneByteFrame(telnet::kSetControl, *value);
}

Frames SettingsFrames(const ComPortSettings& settings) {
  Frames frames;
  if (settings.baudRate) frames.push_back(BaudRateFrame(*settings.baudRate));
  for (Bytes& frame : LineControlFrames(settings.stopBits, settings.parity, settings.wordLength)) {
    frames.push_back(std::move(frame));
  }
  if (settings.handFlow) {
    if (auto frame = ControlFrame(*settings.handFlow)) frames.push_back(std::move(*frame));
  }
  return frames;
}

EscapedChunk EscapeData(std::span<const std::uint8_t> data) {
  EscapedChunk chunk;
  chunk.bytes.reserve(data.size() + data.size() / 8);
  for (std::uint8_t byte : data) {
    if (byte == telnet::kIac) chunk.bytes.push_back(telnet::kIac);
    chunk.bytes.push_back(byte);
  }
  chunk.txCount = static_cast<std::int64_t>(chunk.bytes.size());
  return chunk;
}

}  // namespace vport
