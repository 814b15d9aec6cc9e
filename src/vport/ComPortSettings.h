// The serial settings of a local port as far as the port can observe them. A pty reports its baud
// rate and flow control, but the kernel forces 8 data bits and no parity on it, so those fields
// stay empty there: an empty field is never forwarded to the server.
#pragma once

#include <cstdint>
#include <optional>

namespace vport {

// Windows-style handflow words as the control reports them; only their low bytes matter here.
struct HandFlow {
  std::uint32_t controlHandShake = 0;
  std::uint32_t flowReplace = 0;
};

struct ComPortSettings {
  std::optional<std::uint32_t> baudRate;
  std::optional<std::int32_t> stopBits;    // 0 one, 1 one and a half, 2 two
  std::optional<std::int32_t> parity;      // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::optional<std::int32_t> wordLength;  // data bits
  std::optional<HandFlow> handFlow;
};

}  // namespace vport
