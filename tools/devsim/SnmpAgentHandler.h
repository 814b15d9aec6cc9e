// The SNMP agents of the simulated devices on the simulator's datagram seam: one agent per device,
// chosen by the address a request was sent to, each answering from its device's address with the
// device's own communities, system name and port count, its private variables under the root its
// maker tag selects. Every Set an agent takes can be written to a log, one line each.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "DatagramHandler.h"
#include "DeviceTable.h"
#include "SnmpAgent.h"
#include "UdpService.h"

namespace devsim {

// The enterprise root of a device's private variables: the maker's own (string 8002) for the tag
// "Vantor", the built-in brands' for "Corvane" and "Belmark", the maker's own for any other tag.
std::string RootForMaker(const std::string& maker);

// "device N A: set OID = TYPE: value; ... -> answered|ignored|error S" (never a community).
std::string SetLogLine(size_t device, const std::string& address, const SnmpAgentRequest& set);

class SnmpAgentHandler : public DatagramHandler {
 public:
  using SetLog = std::function<void(const std::string& line)>;

  // root: the enterprise root of every device; empty: each device's maker tag selects it.
  SnmpAgentHandler(const DeviceTable& table, std::string root, SnmpAgentConfig faults = {},
                   SetLog log = {});

  std::vector<OutgoingDatagram> Handle(const Datagram& datagram) override;

  // The agent of the device at index (made on first use).
  SnmpAgent& AgentOf(size_t device);

 private:
  const DeviceTable& table_;
  std::string root_;
  SnmpAgentConfig faults_;
  SetLog log_;
  std::map<size_t, std::unique_ptr<SnmpAgent>> agents_;
};

// The agents' UDP service on port (161 normally; 0: any free port), with faults for every agent
// and the log of Sets. Null with *rc an errno value when the port cannot be opened.
std::unique_ptr<UdpService> MakeSnmpService(const DeviceTable& table, int port, int* rc,
                                            SnmpAgentConfig faults = {},
                                            SnmpAgentHandler::SetLog log = {});

}  // namespace devsim
