#include "discovery/NetworkEnvironment.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include "discovery/DiscoveryErrors.h"
#include "platform/SystemInfo.h"
#include "res/StringTable.h"
#include "snmp/SnmpApi.h"

namespace discovery {

namespace {

// What the sockets layer calls itself in the Network Information dialog.
constexpr const char* kSocketsDescription = "POSIX sockets (Linux)";

std::string YesNo(bool on) {
  return res::LoadString(on ? 6170 : 6171);
}

}  // namespace

NetworkEnvironment::System NetworkEnvironment::RealSystem() {
  System system;
  system.canMakeSocket = platform::SystemInfo::CanMakeSocket;
  system.osDescription = [] { return platform::SystemInfo::OsDescription(); };
  system.hostName = [] { return platform::SystemInfo::HostName(); };
  system.hostAddressOf = [](const std::string& name) {
    return platform::SystemInfo::HostAddressOf(name);
  };
  system.snmpStartup = [](uint32_t* major, uint32_t* minor) {
    smiUINT32 level = 0, translate = 0, retransmit = 0;
    return SnmpStartup(major, minor, &level, &translate, &retransmit);
  };
  system.snmpSetTranslateMode = [](uint32_t mode) { return SnmpSetTranslateMode(mode); };
  return system;
}

int NetworkEnvironment::Probe(const System& system) {
  osDescription_ = system.osDescription ? system.osDescription() : std::string();
  flags_ = kFlagProbed;

  // Starting the sockets library is nothing on POSIX; the protocols are there when a socket of
  // their kind can be made. Current kernels have no IPX, so its bits stay clear there.
  const auto can = [&](int family, int type, int protocol) {
    return system.canMakeSocket && system.canMakeSocket(family, type, protocol);
  };
  if (can(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) flags_ |= kFlagUdp;
  if (can(AF_INET, SOCK_STREAM, IPPROTO_TCP)) flags_ |= kFlagTcp;
  if (can(AF_IPX, SOCK_DGRAM, 0)) flags_ |= kFlagIpx;
  if (can(AF_IPX, SOCK_STREAM, 0)) flags_ |= kFlagSpxStream;
  if (can(AF_IPX, SOCK_SEQPACKET, 0)) flags_ |= kFlagSpxSeqPacket;

  hostName_.clear();
  hostAddress_.clear();
  if ((flags_ & kFlagUdp) != 0 && system.hostName) {
    hostName_ = system.hostName().substr(0, kHostNameMax);
    if (!hostName_.empty() && system.hostAddressOf) hostAddress_ = system.hostAddressOf(hostName_);
  }
  socketsDescription_ = kSocketsDescription;
  // IPX adapters cannot be enumerated without IPX in the kernel: the texts stay empty.
  ipxNetworks_.clear();
  ipxNodes_.clear();

  uint32_t major = 0, minor = 0;
  if (!system.snmpStartup || system.snmpStartup(&major, &minor) != 1) {
    ReportDiscoveryError(kSnmpStartupError, kErrorClassSnmp, 0, 0, 1);
    return kSnmpFailed;
  }
  if (major < 1 || (major == 1 && minor < 1)) {
    ReportDiscoveryError(kSnmpVersionError, kErrorClassSnmp, 0, 0, 1);
    return kSnmpFailed;
  }
  if (!system.snmpSetTranslateMode || system.snmpSetTranslateMode(1) != 1) {
    ReportDiscoveryError(kSnmpTranslateError, kErrorClassSnmp, 0, 0, 1);
    return kSnmpFailed;
  }
  return static_cast<int>(flags_);
}

std::vector<std::pair<std::string, std::string>> NetworkEnvironment::InformationLines() const {
  return {
      {"Winsock:", socketsDescription_},
      {"Host Name:", hostName_},
      {"Host IP Address:", hostAddress_},
      {"IPX Subnet:", ipxNetworks_},
      {"Hardware Address:", ipxNodes_},
      {"Operating System:", osDescription_},
      {"IP Support:", YesNo((flags_ & kFlagUdp) != 0)},
      {"IPX Support:", YesNo((flags_ & kFlagIpx) != 0)},
      {"Novell Support:", YesNo((flags_ & kFlagNovell) != 0)},
      {"VINES Support:", YesNo((flags_ & kFlagVines) != 0)},
  };
}

NetworkEnvironment& TheNetworkEnvironment() {
  static NetworkEnvironment environment;
  return environment;
}

}  // namespace discovery
