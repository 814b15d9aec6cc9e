// Encoders of the Telnet Com Port Control client: each returns the exact bytes that the bridge
// hands to one send call. They never fail; a setting that has no wire value gives no frame.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "vport/ComPortSettings.h"

namespace vport {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;  // one element per send call, in sending order

// IAC WILL BINARY, then IAC WILL COM-PORT-OPTION: two sends, once per connection.
Frames OptionOffers();

// IAC SB COM-PORT-OPTION <command> <value...> IAC SE, every 255 among the value bytes doubled.
Bytes ComPortSubnegotiation(std::uint8_t command, std::span<const std::uint8_t> value);

// SET-BAUDRATE: the rate as four bytes, most significant first.
Bytes BaudRateFrame(std::uint32_t baudRate);
// SET-STOPSIZE: stop bits 0 -> 1, 1 (one and a half) -> 3, 2 -> 2; other values have no frame.
std::optional<Bytes> StopSizeFrame(std::int32_t stopBits);
// SET-PARITY: parity + 1 for none, odd, even, mark, space (0..4); other values have no frame.
std::optional<Bytes> ParityFrame(std::int32_t parity);
// SET-DATASIZE: the low byte of the word length.
Bytes DataSizeFrame(std::int32_t wordLength);
// The line control frames in the order stop size, parity, data size; unknown fields are left out.
Frames LineControlFrames(std::optional<std::int32_t> stopBits, std::optional<std::int32_t> parity,
                         std::optional<std::int32_t> wordLength);

// The SET-CONTROL value for a handflow pair (low bytes only): 1 none, 2 XON/XOFF, 3 hardware;
// nullopt for any other pair, which sends nothing.
std::optional<std::uint8_t> FlowControlValue(const HandFlow& handFlow);
std::optional<Bytes> ControlFrame(const HandFlow& handFlow);

// Everything the server should know right after the option offers: baud rate, line control,
// flow control, each only as far as it is known.
Frames SettingsFrames(const ComPortSettings& settings);

// A chunk of application data made ready for one send call: every 255 doubled. txCount is what the
// Tx counter grows by when the send succeeds (a 255 counts 2).
struct EscapedChunk {
  Bytes bytes;
  std::int64_t txCount = 0;
};
EscapedChunk EscapeData(std::span<const std::uint8_t> data);

}  // namespace vport
