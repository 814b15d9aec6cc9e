#include "snmp/SnmpUdpTransport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cstring>

#include "snmp/SnmpDatagramTransport.h"

namespace snmp {

namespace {

socklen_t AnyAddress(sockaddr_storage* addr, uint16_t port) {
  auto* in = reinterpret_cast<sockaddr_in*>(addr);
  in->sin_family = AF_INET;
  in->sin_addr.s_addr = htonl(INADDR_ANY);
  in->sin_port = htons(port);
  return sizeof(sockaddr_in);
}

socklen_t AgentAddress(const SnmpTransportSession& session, const SnmpTransportEntity& entity,
                       sockaddr_storage* addr) {
  auto* in = reinterpret_cast<sockaddr_in*>(addr);
  in->sin_family = AF_INET;
  in->sin_addr.s_addr = entity.ipv4;
  in->sin_port = htons(session.Config().udpAgentPort);
  return sizeof(sockaddr_in);
}

void SenderEntity(const sockaddr_storage& from, SnmpTransportEntity* src,
                  SnmpTransportEntity* dst) {
  *src = SnmpTransportEntity{};
  src->kind = SNMP_TRANSPORT_UDP;
  if (from.ss_family == AF_INET) {
    src->ipv4 = reinterpret_cast<const sockaddr_in*>(&from)->sin_addr.s_addr;
  }
  *dst = SnmpTransportEntity{};
  dst->kind = SNMP_TRANSPORT_UDP;
}

uint16_t TrapPort(const SnmpTransportConfig& config) {
  return config.udpTrapPort;
}

const DatagramFamily kUdp = {
    AF_INET,    IPPROTO_UDP,  SNMP_TRANSPORT_UDP, &SnmpTransportSession::udpOpen,
    AnyAddress, AgentAddress, SenderEntity,       TrapPort};

}  // namespace

int32_t UdpTransportStartup() {
  return kTransportSuccess;
}
int32_t UdpTransportCleanup() {
  return kTransportSuccess;
}
int32_t UdpTransportOpen(SnmpTransportSession* session) {
  return DatagramOpen(kUdp, session);
}
int32_t UdpTransportClose(SnmpTransportSession* session) {
  return DatagramClose(kUdp, session);
}

int32_t UdpTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                         const uint8_t* message, size_t length) {
  return DatagramSend(kUdp, session, dst, message, length);
}

int32_t UdpTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* src,
                            SnmpTransportEntity* dst, uint8_t* buffer, size_t* length) {
  return DatagramReceive(kUdp, session, src, dst, buffer, length);
}

int32_t UdpTransportRegister(SnmpTransportSession* session, int32_t state) {
  return DatagramRegister(kUdp, session, state);
}

int32_t UdpTransportStrToEntity(const char* text, SnmpTransportEntity* entity) {
  if (text == nullptr || entity == nullptr || *text == '\0') return kTransportEntityUnknown;
  in_addr addr{};
  if (inet_aton(text, &addr) == 0) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(text, nullptr, &hints, &found) != 0 || found == nullptr) {
      return kTransportEntityUnknown;
    }
    addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
  }
  entity->kind = SNMP_TRANSPORT_UDP;
  entity->ipv4 = addr.s_addr;
  return kTransportSuccess;
}

int32_t UdpTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer) {
  if (entity == nullptr || entity->ipv4 == 0) return kTransportEntityUnknown;
  char text[INET_ADDRSTRLEN];
  in_addr addr{};
  addr.s_addr = entity->ipv4;
  if (inet_ntop(AF_INET, &addr, text, sizeof text) == nullptr) return kTransportEntityUnknown;
  size_t length = std::strlen(text);
  if (buffer == nullptr || length + 1 > size) return kTransportOutputTruncated;
  std::memcpy(buffer, text, length + 1);
  return kTransportSuccess;
}

void SnmpUdpTransportInit(SnmpTransportOps* ops) {
  *ops = SnmpTransportOps{};
  ops->TransportStartup = UdpTransportStartup;
  ops->TransportCleanup = UdpTransportCleanup;
  ops->TransportOpen = UdpTransportOpen;
  ops->TransportClose = UdpTransportClose;
  ops->TransportSend = UdpTransportSend;
  ops->TransportReceive = UdpTransportReceive;
  ops->TransportRegister = UdpTransportRegister;
  ops->TransportStrToEntity = UdpTransportStrToEntity;
  ops->TransportEntityToStr = UdpTransportEntityToStr;
}

}  // namespace snmp
