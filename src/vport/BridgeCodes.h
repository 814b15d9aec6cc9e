// Result codes of the port bridge and the messages its threads exchange.
#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"

namespace vport {

enum BridgeCode : int {
  BRIDGE_OK = 0,
  BRIDGE_NO_PORT = -60,           // empty port name, or the control refused to create the port
  BRIDGE_PORT_IN_USE = -70,       // the control refused to remove the port (an application has it)
  BRIDGE_NOT_CREATED = -80,       // a connection was asked for before the port existed
  BRIDGE_RECEIVE_FAILED = -90,    // a receive met a failed or closed connection
  BRIDGE_DELIVERY_FAILED = -100,  // the application took no received data in 100 attempts
  BRIDGE_CONNECT_FAILED = -200,   // the socket could not be made or the connect failed
};

// To the port thread. WM_VPORT_DATA: wParam = byte count or -90, lParam = the number of the
// connection it belongs to (the errno of a -90, 0 when the server closed the connection in order,
// travels beside it); the port thread's socket watch hands it to OnServerData itself, and a post
// of it from elsewhere is ignored. WM_VPORT_DESTROY: no arguments.
constexpr std::uint32_t WM_VPORT_DATA = platform::WM_USER + 1;
constexpr std::uint32_t WM_VPORT_DESTROY = platform::WM_USER + 2;
// Requests of front ends: show the status window; switch logging (wParam 1 on, 0 off).
constexpr std::uint32_t WM_VPORT_SHOWSTATUS = platform::WM_USER + 3;
constexpr std::uint32_t WM_VPORT_SETLOGGING = platform::WM_USER + 4;
// The status window was hidden (OK or Cancel): the tick stops. Its "Clear" button: the log box
// is emptied.
constexpr std::uint32_t WM_VPORT_HIDESTATUS = platform::WM_USER + 5;
constexpr std::uint32_t WM_VPORT_CLEARLOG = platform::WM_USER + 6;
// Timers of the port window.
constexpr std::uint32_t kStatusTimerId = 1;
constexpr std::uint32_t kConnectTimerId = 2;
constexpr std::uint32_t kCloseTimerId = 3;     // the application closed; its data still goes out
constexpr std::uint32_t kDeliveryTimerId = 4;  // received bytes wait for the application
constexpr std::uint32_t kLingerTimerId = 5;    // an ended connection waits for the server's end

}  // namespace vport
