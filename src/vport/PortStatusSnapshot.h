// What a port's status window shows, as one copy that the port thread hands to the window's
// thread: the window never reads the port's model itself.
#pragma once

#include <cstdint>
#include <string>

namespace vport {

struct PortStatusSnapshot {
  std::string comName;      // "COM5"
  std::string title;        // "Virtual Port Status: COM5"
  std::string statusLabel;  // "Status:" or "Port Status"
  std::string statusText;   // "Closed", "Connecting..." or "Open"
  std::string rxText;
  std::string txText;
  std::string tcpPort;
  bool rfc2217 = false;
  bool strictBaud = false;
  bool cancelVisible = true;
  bool show = false;     // the user asked to see the window (it was hidden or never shown)
  bool fresh = false;    // a new local port under this name: the window starts over
  bool removed = false;  // the local port is gone
  // Counts the "Clear" requests the port has handled since it was made, so that text moved into
  // the box before a Clear, still on its way, is not shown after it.
  std::uint32_t logGeneration = 0;
  std::string newLog;  // text this tick moved into the log box (CR LF line ends)
};

}  // namespace vport
