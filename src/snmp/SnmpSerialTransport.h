// SNMP over a serial line to a device on a local COM port. Before the first message the device is
// woken into SNMP mode with a break handshake; frames (SerialFrame.h) then carry the messages, and
// a goodbye frame ends SNMP mode when the session closes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/SerialLine.h"
#include "snmp/SnmpTransport.h"

namespace snmp {

// The line settings of the serial transport: 57600 bit/s, 8N1, CTS output flow, DTR off, RTS
// handshake, 600-octet queues; reads give up after 4 s of silence or 2 ms per octet + 4 s in all,
// writes after 2 ms per octet + 400 ms.
platform::SerialSettings SnmpSerialLineSettings();

// The handshake's timing.
inline constexpr unsigned kSerialBreakPulses = 3;
inline constexpr unsigned kSerialBreakMs = 20;       // break on, then off, for this long each
inline constexpr unsigned kSerialBreakPollMs = 100;  // one wait for the device's answering break
inline constexpr unsigned kSerialBreakPolls = 60;    // six seconds in all
inline constexpr unsigned kSerialSettleMs = 200;     // after the answer, before talking

// The entries of the serial table.
int32_t SerialTransportStartup();
int32_t SerialTransportCleanup();
int32_t SerialTransportOpen(SnmpTransportSession* session);
int32_t SerialTransportClose(SnmpTransportSession* session);
int32_t SerialTransportSend(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                            const uint8_t* message, size_t length);
int32_t SerialTransportReceive(SnmpTransportSession* session, SnmpTransportEntity* src,
                               SnmpTransportEntity* dst, uint8_t* buffer, size_t* length);
int32_t SerialTransportRegister(SnmpTransportSession* session, int32_t state);
int32_t SerialTransportStrToEntity(const char* text, SnmpTransportEntity* entity);
int32_t SerialTransportEntityToStr(const SnmpTransportEntity* entity, size_t size, char* buffer);
int32_t SerialTransportExchange(SnmpTransportSession* session, const SnmpTransportEntity* entity,
                                size_t size, uint8_t* buffer, size_t* length);

// Makes sure the session has the entity's port open and in SNMP mode (see the handshake above).
// 1, or kTransportUndeliverable with no port open.
int32_t SerialTransportOpenPort(SnmpTransportSession* session, const SnmpTransportEntity* entity);

}  // namespace snmp
