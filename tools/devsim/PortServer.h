// The TCP side of the simulated devices: port index i of every device is served as raw TCP on
// rawBase + i and with RFC 2217 on rfc2217Base + i. One listener per port number is bound to every
// local address; the address a client connected to names the device, and a connection to an
// address where no device is (or to a port the device lacks) is closed at once.
//
// A port either echoes what it receives, or is bridged to a pseudo-terminal: then one connection
// at a time owns the port (a second is closed at once), and the terminal's output goes to it.
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DeviceTable.h"
#include "Rfc2217Server.h"
#include "platform/PtyPair.h"

namespace devsim {

class PortServer {
 public:
  PortServer(const DeviceTable& table, int rawBase, int rfc2217Base);
  ~PortServer();
  PortServer(const PortServer&) = delete;
  PortServer& operator=(const PortServer&) = delete;

  // Opens the listeners and the pseudo-terminals of pty-bridged ports. Returns 0 or an errno
  // value; what names the failure goes to *what.
  int Open(std::string* what);
  // The terminal path of a bridged port, empty for an echoing one.
  std::string PtyPath(size_t device, size_t port) const;
  static size_t ServedPorts(const DeviceConfig& device);

  // The descriptors to poll, then the poll results in the same order.
  void PollFds(std::vector<pollfd>* fds);
  void Service(const pollfd* fds, size_t count);

  size_t Connections() const { return connections_.size(); }

 private:
  struct Connection {
    int fd = -1;
    size_t device = 0;
    size_t port = 0;
    bool rfc2217 = false;
    Rfc2217Server telnet;
    std::vector<uint8_t> out;
  };
  struct PtySlot {
    platform::PtyPair pty;
    int owner = -1;  // descriptor of the connection that owns the port
    std::vector<uint8_t> toPty;
  };
  enum class Kind { kListener, kConnection, kPty };
  struct Watch {
    Kind kind;
    int fd;
    size_t index;  // listener index or pty slot key
  };

  static uint64_t SlotKey(size_t device, size_t port) { return (uint64_t{device} << 8) | port; }
  void Accept(size_t listener);
  void Receive(Connection& c);
  void Deliver(Connection& c, const uint8_t* data, size_t size);
  void WriteOut(Connection& c);
  void PumpPty(PtySlot& slot, short revents);
  void Close(int fd);

  const DeviceTable& table_;
  int rawBase_;
  int rfc2217Base_;
  std::vector<int> listeners_;  // [i]: raw port i; [kMaxServedPorts + i]: RFC 2217 port i
  std::map<int, Connection> connections_;
  std::map<uint64_t, std::unique_ptr<PtySlot>> ptys_;
  std::vector<Watch> watches_;
};

}  // namespace devsim
