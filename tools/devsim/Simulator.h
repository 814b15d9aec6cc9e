// The simulator's event loop: the discovery service on UDP, the TCP ports of the devices, and a
// stop descriptor (a signalfd in the program, an eventfd in tests). One thread, poll, no spinning.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "DeviceTable.h"
#include "PortServer.h"
#include "SimOptions.h"
#include "UdpService.h"

namespace devsim {

constexpr uint32_t kDiscoveryGroup = 0xE0000137;  // 224.0.1.55

class Simulator {
 public:
  explicit Simulator(const SimOptions& options, FILE* log = stdout);

  // Opens every socket and terminal. Returns 0, or an errno value with *error saying what failed.
  int Start(std::string* error);
  // One line per device: number, address, hardware address, layout, name, TCP ports, terminals.
  void PrintDevices() const;
  // "udp=P raw=P rfc2217=P devices=N groups=G"
  std::string ReadyLine() const;
  // Serves until stopFd becomes readable. Returns 0.
  int Run(int stopFd);

  // A seam for further services on the devices' addresses (an SNMP agent on UDP 161): added
  // before Run, served by the same loop.
  void AddService(std::unique_ptr<UdpService> service);

  const DeviceTable& Table() const { return table_; }
  int UdpPort() const;

 private:
  SimOptions options_;
  FILE* log_;
  DeviceTable table_;
  std::vector<std::unique_ptr<UdpService>> services_;
  std::unique_ptr<PortServer> ports_;
  int groupsJoined_ = 0;
};

std::string DottedText(uint32_t address);

}  // namespace devsim
