// What the machine offers the network code, found once at start: which protocols can be used,
// the host's name and address, the operating system, and whether the SNMP engine started. The
// Network Information dialog shows these texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace discovery {

class NetworkEnvironment {
 public:
  enum Flags : uint32_t {
    kFlagUdp = 0x01,
    kFlagTcp = 0x02,
    kFlagIpx = 0x10,
    kFlagSpxStream = 0x20,
    kFlagSpxSeqPacket = 0x40,
    kFlagNovell = 0x100,  // never set
    kFlagVines = 0x200,   // never set
    kFlagProbed = 0x8000,
  };
  // Results of Probe other than the flags.
  static constexpr int kStartupFailed = 1;
  static constexpr int kEnumerationFailed = -1;
  static constexpr int kSnmpFailed = 2;
  // Error codes reported (class 4) when the SNMP engine does not start.
  static constexpr unsigned kSnmpStartupError = 5021;
  static constexpr unsigned kSnmpVersionError = 5022;
  static constexpr unsigned kSnmpTranslateError = 5023;
  static constexpr int kErrorClassSnmp = 4;

  // The machine's side of the probe, replaceable in tests.
  struct System {
    // True when a socket of (family, type, protocol) can be made.
    std::function<bool(int family, int type, int protocol)> canMakeSocket;
    std::function<std::string()> osDescription;
    std::function<std::string()> hostName;
    std::function<std::string(const std::string& name)> hostAddressOf;
    // The SNMP engine's start-up: 1 on success with the version, else 0.
    std::function<uint32_t(uint32_t* major, uint32_t* minor)> snmpStartup;
    std::function<uint32_t(uint32_t mode)> snmpSetTranslateMode;
  };
  // The real machine and the real SNMP engine.
  static System RealSystem();

  NetworkEnvironment() = default;

  // Finds it all out. The flags, or kStartupFailed, kEnumerationFailed or kSnmpFailed.
  int Probe(const System& system);
  int Probe() { return Probe(RealSystem()); }
  uint32_t GetFlags() const { return flags_; }

  const std::string& OsDescription() const { return osDescription_; }
  const std::string& HostName() const { return hostName_; }
  const std::string& HostAddress() const { return hostAddress_; }
  const std::string& SocketsDescription() const { return socketsDescription_; }
  const std::string& IpxNetworks() const { return ipxNetworks_; }
  const std::string& IpxNodes() const { return ipxNodes_; }

  // The Network Information dialog's lines: (label, value), in the dialog's order.
  std::vector<std::pair<std::string, std::string>> InformationLines() const;

  static constexpr size_t kHostNameMax = 50;

 private:
  uint32_t flags_ = 0;
  std::string osDescription_;
  std::string hostName_;
  std::string hostAddress_;
  std::string socketsDescription_;
  std::string ipxNetworks_;
  std::string ipxNodes_;
};

// The program's one instance.
NetworkEnvironment& TheNetworkEnvironment();

}  // namespace discovery
