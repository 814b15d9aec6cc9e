// One port's figures as `ports status` and /metrics report them: a plain copy, taken from the
// port's live figures at one moment, that any thread may keep.
#pragma once

#include <cstdint>
#include <string>

namespace vport {

struct PortReport {
  enum class State : std::uint8_t { kClosed = 0, kConnecting = 1, kOpen = 2 };

  std::string comName;  // "COM5"
  std::string server;   // "192.168.0.9:9101"
  State state = State::kClosed;
  // When the connection now open was made, in seconds since 1970 (UTC); 0 while none is open.
  std::int64_t connectedSince = 0;
  // Bytes each way since the port was made (they only grow while the port lives).
  std::uint64_t rxBytes = 0;  // from the server to the application
  std::uint64_t txBytes = 0;  // from the application to the server
  std::uint32_t reconnects = 0;
  std::string lastError;         // why the last connection failed; empty when none did
  bool applicationOpen = false;  // an application holds the port open
  bool operator==(const PortReport&) const = default;

  // "Closed", "Connecting..." or "Open", as the status window says.
  static const char* StateText(State state);
};

}  // namespace vport
