#include "snmp/SnmpIpxTransport.h"

#include <arpa/inet.h>
#include <netipx/ipx.h>

#include <cstring>

#include "snmp/SnmpDatagramTransport.h"

namespace snmp {

namespace {

constexpr size_t kMinTextLength = 12;
constexpr int kIpxProtocol = 1000;  // the protocol number Windows Sockets gives IPX datagrams

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads digits (count of them) right-aligned into field; false on a non-digit or overflow.
bool ReadPart(const char* digits, size_t count, uint8_t* field, size_t fieldSize) {
  if (count == 0 || count > fieldSize * 2) return false;
  std::memset(field, 0, fieldSize);
  size_t octet = fieldSize;
  size_t end = count;
  while (end > 0) {
    size_t begin = end >= 2 ? end - 2 : 0;
    int value = 0;
    for (size_t i = begin; i < end; ++i) {
      int digit = HexValue(digits[i]);
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    field[--octet] = static_cast<uint8_t>(value);
    end = begin;
  }
  return true;
}

void SetSocket(IpxAddress* address, uint16_t socket) {
  address->socket[0] = static_cast<uint8_t>(socket >> 8);
  address->socket[1] = static_cast<uint8_t>(socket & 0xFF);
}

socklen_t AnyAddress(sockaddr_storage* addr, uint16_t socket) {
  auto* ipx = reinterpret_cast<sockaddr_ipx*>(addr);
  ipx->sipx_family = AF_IPX;
  ipx->sipx_port = htons(socket);
  return sizeof(sockaddr_ipx);
}

socklen_t AgentAddress(const SnmpTransportSession& session, const SnmpTransportEntity& entity,
                       sockaddr_storage* addr) {
  auto* ipx = reinterpret_cast<sockaddr_ipx*>(addr);
  ipx->sipx_family = AF_IPX;
  std::memcpy(&ipx->sipx_network, entity.ipx.network, sizeof entity.ipx.network);
  std::memcpy(ipx->sipx_node, entity.ipx.node, sizeof entity.ipx.node);
  // Agents always listen on the same socket number, whatever the entity says.
  ipx->sipx_port = htons(session.Config().ipxAgentSocket);
  return sizeof(sockaddr_ipx);
}

void SenderEntity(const sockaddr_storage& from, SnmpTransportEntity* src,
                  SnmpTransportEntity* dst) {
  *src = SnmpTransportEntity{};
  src->kind = SNMP_TRANSPORT_IPX;
  if (from.ss_family == AF_IPX) {
    const auto* ipx = reinterpret_cast<const sockaddr_ipx*>(&from);
    std::memcpy(src->ipx.network, &ipx->sipx_network, sizeof src->ipx.network);
    std::memcpy(src->ipx.node, ipx->sipx_node, sizeof src->ipx.node);
    std::memcpy(src->ipx.socket, &ipx->sipx_port, sizeof src->ipx.socket);
  }
  *dst = SnmpTransportEntity{};
  dst->kind = SNMP_TRANSPORT_IPX;
}

uint16_t TrapPort(const SnmpTransportConfig& config) {
  return config.ipxTrapSocket;
}

const DatagramFamily kIpx = {
    AF_IPX,     kIpxProtocol, SNMP_TRANSPORT_IPX, &SnmpTransportSession::ipxOpen,
    AnyAddress, AgentAddress, SenderEntity,       TrapPort};

}  // namespace

bool ParseIpxAddress(const char* text, IpxAddress* out) {
  if (text == nullptr || out == nullptr) return false;
  size_t length = strnlen(text, kIpxTextLength + 1);
  if (length < kMinTextLength || length > kIpxTextLength) return false;
  size_t separator = std::strcspn(text, "-:");
  if (separator >= length) return false;
  IpxAddress address;
  if (!ReadPart(text, separator, address.network, sizeof address.network) ||
      !ReadPart(text + separator + 1, length - separator - 1, address.node, sizeof address.node)) {
    return false;
  }
  SetSocket(&address, 0x900F);
  *out = address;
  return true;
}

int32_t FormatIpxAddress(const IpxAddress& address, size_t size, char* buffer) {
  if (buffer == nullptr || size < kIpxTextLength + 1) return kTransportOutputTruncated;
  static const char kDigits[] = "0123456789ABCDEF";
  bool allZero = true;
  char* p = buffer;
  for (uint8_t octet : address.network) {
    allZero = allZero && octet == 0;
    *p++ = kDigits[octet >> 4];
    *p++ = kDigits[octet & 0xF];
  }
  *p++ = '-';
  for (uint8_t octet : address.node) {
    allZero = allZero && octet == 0;
    *p++ = kDigits[octet >> 4];
    *p++ = kDigits[octet & 0xF];
  }
  *p = '\0';
  if (allZero) {
    buffer[0] = '\0';
    return kTransportEntityUnknown;
  }
  return kTransportSuccess;
}

int32_t IpxTransportStartup() {
  return kTransportSuccess;
}
int32_t IpxTransportCleanup() {
  return kTransportSuccess;
}
int32_t IpxTransportOpen(SnmpTransportSession* session) {
  return DatagramOpen(kIpx, session);
}
int32_t IpxTransportClose(SnmpTransportSession* session) {
  return DatagramClose(kIpx, session);
}

int32_t IpxTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                         const uint8_t* message, size_t length) {
  return DatagramSend(kIpx, session, dst, message, length);
}

int32_t IpxTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* src,
                            SnmpTransportEntity* dst, uint8_t* buffer, size_t* length) {
  return DatagramReceive(kIpx, session, src, dst, buffer, length);
}

int32_t IpxTransportRegister(SnmpTransportSession* session, int32_t state) {
  return DatagramRegister(kIpx, session, state);
}

int32_t IpxTransportStrToEntity(const char* text, SnmpTransportEntity* entity) {
  if (entity == nullptr) return kTransportEntityUnknown;
  IpxAddress address;
  if (!ParseIpxAddress(text, &address)) return kTransportEntityUnknown;
  entity->kind = SNMP_TRANSPORT_IPX;
  entity->ipx = address;
  return kTransportSuccess;
}

int32_t IpxTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer) {
  if (entity == nullptr) return kTransportEntityUnknown;
  return FormatIpxAddress(entity->ipx, size, buffer);
}

void SnmpIpxTransportInit(SnmpTransportOps* ops) {
  *ops = SnmpTransportOps{};
  ops->TransportStartup = IpxTransportStartup;
  ops->TransportCleanup = IpxTransportCleanup;
  ops->TransportOpen = IpxTransportOpen;
  ops->TransportClose = IpxTransportClose;
  ops->TransportSend = IpxTransportSend;
  ops->TransportReceive = IpxTransportReceive;
  ops->TransportRegister = IpxTransportRegister;
  ops->TransportStrToEntity = IpxTransportStrToEntity;
  ops->TransportEntityToStr = IpxTransportEntityToStr;
}

}  // namespace snmp
