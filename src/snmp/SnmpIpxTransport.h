// SNMP over IPX: requests to the agent's IPX socket 0x900F, traps on socket 0x9010. Kernels
// without IPX refuse the socket, and the transport then fails cleanly with
// kTransportNotInitialized. The text forms work everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "snmp/SnmpTransport.h"

namespace snmp {

inline constexpr size_t kIpxTextLength = 21;  // "NNNNNNNN-HHHHHHHHHHHH"

// Reads "network-node" (or "network:node"): 12 to 21 characters, hexadecimal digits of either
// case, the network part at most 8 digits and the node part at most 12, each right-aligned in its
// field (a part with an odd number of digits reads as if it had a leading zero). The socket
// number becomes 0x900F. False when the text is not such an address.
bool ParseIpxAddress(const char* text, IpxAddress* out);
// Writes the 21-character upper-case form and its terminating zero; 1, 11 when size < 22, or 6
// for the all-zero address.
int32_t FormatIpxAddress(const IpxAddress& address, size_t size, char* buffer);

int32_t IpxTransportStartup();
int32_t IpxTransportCleanup();
int32_t IpxTransportOpen(SnmpTransportSession* session);
int32_t IpxTransportClose(SnmpTransportSession* session);
int32_t IpxTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                         const uint8_t* message, size_t length);
int32_t IpxTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* src,
                            SnmpTransportEntity* dst, uint8_t* buffer, size_t* length);
int32_t IpxTransportRegister(SnmpTransportSession* session, int32_t state);
int32_t IpxTransportStrToEntity(const char* text, SnmpTransportEntity* entity);
int32_t IpxTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer);

}  // namespace snmp
