// SNMP over UDP/IP: requests to the agent's port 161 from an ephemeral port, traps on port 162.
#pragma once

#include <cstddef>
#include <cstdint>

#include "snmp/SnmpTransport.h"

namespace snmp {

int32_t UdpTransportStartup();
int32_t UdpTransportCleanup();
int32_t UdpTransportOpen(SnmpTransportSession* session);
int32_t UdpTransportClose(SnmpTransportSession* session);
int32_t UdpTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                         const uint8_t* message, size_t length);
int32_t UdpTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* src,
                            SnmpTransportEntity* dst, uint8_t* buffer, size_t* length);
int32_t UdpTransportRegister(SnmpTransportSession* session, int32_t state);
// A dotted address (any form inet_aton reads), else a host name's first IPv4 address; else 6.
int32_t UdpTransportStrToEntity(const char* text, SnmpTransportEntity* entity);
// Dotted text; 6 for 0.0.0.0, 11 when it does not fit with its terminating zero.
int32_t UdpTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer);

}  // namespace snmp
