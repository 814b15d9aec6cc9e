// What the UDP and IPX transports have in common: a non-blocking request socket per session that
// the wait loop polls, a trap socket while traps are wanted, and the same send, receive and
// register logic. Each transport describes its address family with a DatagramFamily.
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>

#include "snmp/SnmpTransport.h"

namespace snmp {

struct DatagramFamily {
  int domain;
  int protocol;
  uint32_t kind;                         // the entity kind it serves
  bool SnmpTransportSession::*openFlag;  // the session's open flag of this transport
  // Fills addr with the family's "any" address and the given port or socket number (host order).
  socklen_t (*anyAddress)(sockaddr_storage* addr, uint16_t port);
  // Fills addr with the agent address of entity; 0 when the entity cannot be addressed.
  socklen_t (*agentAddress)(const SnmpTransportSession& session, const SnmpTransportEntity& entity,
                            sockaddr_storage* addr);
  // Makes src the sender of a datagram and dst the family's null entity.
  void (*senderEntity)(const sockaddr_storage& from, SnmpTransportEntity* src,
                       SnmpTransportEntity* dst);
  uint16_t (*trapPort)(const SnmpTransportConfig& config);
};

int32_t DatagramOpen(const DatagramFamily& family, SnmpTransportSession* session);
int32_t DatagramClose(const DatagramFamily& family, SnmpTransportSession* session);
int32_t DatagramSend(const DatagramFamily& family, SnmpTransportSession* session,
                     const SnmpTransportEntity* dst, const uint8_t* message, size_t length);
int32_t DatagramReceive(const DatagramFamily& family, SnmpTransportSession* session,
                        SnmpTransportEntity* src, SnmpTransportEntity* dst, uint8_t* buffer,
                        size_t* length);
int32_t DatagramRegister(const DatagramFamily& family, SnmpTransportSession* session,
                         int32_t state);

// How many late datagrams a send drops at most before sending.
inline constexpr int kDatagramStaleLimit = 64;
inline constexpr size_t kDatagramStaleSize = 1000;

}  // namespace snmp
