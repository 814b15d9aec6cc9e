// One UDP socket for all simulated devices: bound to every local address, it learns the address
// each datagram was sent to (IP_PKTINFO) and sends each answer from the address of the device that
// gives it, so a thousand devices need no thousand sockets.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <span>

#include "DatagramHandler.h"

namespace devsim {

class UdpEndpoint {
 public:
  UdpEndpoint() = default;
  ~UdpEndpoint();
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  // Binds 0.0.0.0:port (0: any free port), non-blocking. Returns 0 or an errno value.
  int Open(int port);
  // Joins group on every multicast-capable interface that is up. Returns how many joined.
  int JoinGroup(uint32_t group);
  int Fd() const { return fd_; }
  int Port() const { return port_; }

  // Takes one waiting datagram; false when none is waiting.
  bool Receive(Datagram* datagram);
  // Sends from the given local address. Returns 0, EAGAIN when the socket is full, or another
  // errno value (the datagram is then dropped, as a device would).
  int Send(const OutgoingDatagram& datagram);

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace devsim
