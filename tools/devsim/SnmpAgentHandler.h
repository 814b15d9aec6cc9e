// The SNMP agents of the simulated devices on the simulator's datagram seam: one agent per device,
// chosen by the address a request was sent to, each answering from its device's address with the
// device's own communities, system name and port count.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "DatagramHandler.h"
#include "DeviceTable.h"
#include "SnmpAgent.h"
#include "UdpService.h"

namespace devsim {

class SnmpAgentHandler : public DatagramHandler {
 public:
  // root: the enterprise root the devices' private variables lie under.
  SnmpAgentHandler(const DeviceTable& table, std::string root, SnmpAgentConfig faults = {});

  std::vector<OutgoingDatagram> Handle(const Datagram& datagram) override;

  // The agent of the device at index (made on first use).
  SnmpAgent& AgentOf(size_t device);

 private:
  const DeviceTable& table_;
  std::string root_;
  SnmpAgentConfig faults_;
  std::map<size_t, std::unique_ptr<SnmpAgent>> agents_;
};

// The agents' UDP service on port (161 normally; 0: any free port). Null with *rc an errno
// value when the port cannot be opened.
std::unique_ptr<UdpService> MakeSnmpService(const DeviceTable& table, int port, int* rc);

}  // namespace devsim
