// The serial settings of a local port as far as the port can observe them. A pty reports its baud
// rate and flow control, but the kernel forces 8 data bits and no parity on it, so those fields
// stay empty there: an empty field is never forwarded to the server.
#pragma once

#include <cstdint>
#include <optional>

#include "vport/PortSettings.h"  // HandFlow: Windows-style handflow words

namespace vport {

struct ComPortSettings {
  std::optional<std::uint32_t> baudRate;
  std::optional<std::int32_t> stopBits;    // 0 one, 1 one and a half, 2 two
  std::optional<std::int32_t> parity;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::optional<std::int32_t> wordLength;  // data bits
  std::optional<HandFlow> handFlow;        // only the low bytes of the first two words count
};

// What a pty's settings tell the server: baud rate (none for a hang-up or an unknown rate), stop
// bits and flow control. Data size and parity are not observable on a pty and stay unknown.
inline ComPortSettings ObservableSettings(const PortSettings& port) {
  ComPortSettings settings;
  if (port.baud > 0 && port.baud <= 0xFFFFFFFFL) {
    settings.baudRate = static_cast<std::uint32_t>(port.baud);
  }
  settings.stopBits = static_cast<std::int32_t>(port.stopBits);
  settings.handFlow = port.handFlow;
  return settings;
}

}  // namespace vport
