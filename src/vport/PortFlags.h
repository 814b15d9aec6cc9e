// The option bits of a virtual port (also stored as the "PortFlags" value) and the slot states of
// the port table.
#pragma once

#include <cstdint>

namespace vport {

enum : std::uint32_t {
  PORTFLAG_RFC2217 = 1,     // the network side speaks Telnet with the Com Port Control Option
  PORTFLAG_AUTOSTART = 2,   // stored under "Ports" and so re-created at every start
  PORTFLAG_STRICTBAUD = 4,  // the local port paces delivery at the application's baud rate
  PORTFLAG_WINE = 8,        // also published as comN in the Wine prefix's dosdevices folder
};

enum : std::int32_t {
  PORT_SLOT_DEFINED = 0,
  PORT_SLOT_INVALID = 5,  // answer for a COM number outside 1..255
  PORT_SLOT_SYSTEM = 9,
  PORT_SLOT_FREE = 255,
};

}  // namespace vport
