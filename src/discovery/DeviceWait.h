// What a device record needs of the wait loop that it queries its device under: readiness of its
// socket, waits that end on that readiness, a time-out or the user's Cancel, and progress texts.
#pragma once

#include "discovery/SocketWatcher.h"

namespace snmp {
class SnmpWaitWindow;
}

namespace discovery {

class DeviceWait : public SocketWatcher {
 public:
  // The message a Wait reports when a watched socket has a datagram waiting.
  static constexpr unsigned kSocketMessage = 1101;
  static constexpr int kWaitCancelled = 2;
  static constexpr int kWaitTimedOut = 3;

  // kWaitCancelled, message when it arrived, or kWaitTimedOut after timeoutMs.
  virtual int Wait(unsigned message, int timeoutMs) = 0;
  // Shows (or, in the background, posts) the progress text of a string id.
  virtual void SetText(unsigned stringId) = 0;
  // The same wait as the SNMP request layer needs it (the extended query waits there for its
  // replies); null when this wait cannot carry SNMP sessions.
  virtual snmp::SnmpWaitWindow* SnmpWait() { return nullptr; }
};

}  // namespace discovery
