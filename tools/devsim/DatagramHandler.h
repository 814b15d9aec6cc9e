// The seam between a UDP service of the simulated devices and its protocol: the discovery protocol
// now, an SNMP agent on UDP 161 later. The handler sees each datagram with the address it was sent
// to (which names the device, or says broadcast/multicast) and returns the answers, each to leave
// from a device's own address.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <vector>

namespace devsim {

struct Datagram {
  std::vector<uint8_t> bytes;
  sockaddr_in sender{};
  uint32_t destination = 0;  // host order: a device's address, a broadcast or a group
};

struct OutgoingDatagram {
  uint32_t from = 0;  // host order
  sockaddr_in to{};
  std::vector<uint8_t> bytes;
};

class DatagramHandler {
 public:
  virtual ~DatagramHandler() = default;
  virtual std::vector<OutgoingDatagram> Handle(const Datagram& datagram) = 0;
};

}  // namespace devsim
