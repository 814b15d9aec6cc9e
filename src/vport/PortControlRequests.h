// The requests of applications run with the preload library, served on the port's control socket
// (see PortControlServer): what the pty cannot carry goes to the server as frames through the
// bridge, modem reads and waits are answered from what the server reported (PortLineControl).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/MessageLoop.h"
#include "vport/PortControlServer.h"
#include "vport/PortLineControl.h"
#include "vport/PortStatusModel.h"

namespace vport {

class PortControlRequests {
 public:
  // What the requests need of the bridge.
  class Bridge {
   public:
    virtual ~Bridge() = default;
    // Takes the port's events that came before the request (the application's open, its
    // tcsetattr), so that they are handled first.
    virtual void TakePortEvents() = 0;
    virtual bool Connected() const = 0;
    virtual bool Connecting() const = 0;
    virtual void SendFrames(const Frames& frames) = 0;
  };

  PortControlRequests(platform::MessageLoop& loop, PortLineControl& lines, PortStatusModel& model,
                      Bridge& bridge)
      : lines_(lines), model_(model), bridge_(bridge), server_(loop) {}

  // Serves path for a port (RFC 2217 or raw); 0, or the errno value why it could not.
  int Start(const std::string& path, bool rfc2217);
  void Stop() { server_.Stop(); }
  // No connection, no lines to wait on: the waiting applications hear it now (EIO), not never.
  void EndModemWaits();
  // A Telnet command of the server: a modem state report may answer the applications' waits.
  void ServerCommand(std::span<const uint8_t> command);

 private:
  control::Reply OnRequest(const control::Request& request);
  static control::Reply NoConnectionReply();  // ends an application's modem wait

  PortLineControl& lines_;
  PortStatusModel& model_;
  Bridge& bridge_;
  bool rfc2217_ = false;
  PortControlServer server_;  // after everything its handler uses
};

}  // namespace vport
