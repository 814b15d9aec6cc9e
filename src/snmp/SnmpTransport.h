// The SNMP engine reaches agents through transports: UDP/IP, IPX and a serial line. Each transport
// is a table of entry points filled in by its initialiser; the engine picks the table by the
// entity's transport kind and calls through it, never touching a socket or a serial line itself.
//
// Transports work on plain bytes: the engine hands them the encoded message and a receive buffer.
// Their per-session state lives in SnmpTransportSession, which the engine's session object embeds;
// an address lives in SnmpTransportEntity, which the engine's entity object embeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/SystemDatagramSockets.h"

namespace platform {
class SerialLine;
}

namespace snmp {

// Transport results, in the engine's last-error numbering (WinSNMP's SNMPAPI_* values). 1 is
// success.
inline constexpr int32_t kTransportSuccess = 1;
inline constexpr int32_t kTransportFrameRejected = 0;     // serial: wrong marker or frame type
inline constexpr int32_t kTransportTextRefused = 3;       // serial text-to-entity refusal
inline constexpr int32_t kTransportEntityUnknown = 6;     // SNMPAPI_ENTITY_UNKNOWN
inline constexpr int32_t kTransportIoFailed = 8;          // UDP/IPX: send or receive failed
inline constexpr int32_t kTransportOutputTruncated = 11;  // SNMPAPI_OUTPUT_TRUNCATED
inline constexpr int32_t kTransportNotInitialized = 100;  // SNMPAPI_TL_NOT_INITIALIZED
inline constexpr int32_t kTransportNotSupported = 101;    // SNMPAPI_TL_NOT_SUPPORTED
inline constexpr int32_t kTransportNotAvailable = 102;    // SNMPAPI_TL_NOT_AVAILABLE
inline constexpr int32_t kTransportUndeliverable = 104;   // SNMPAPI_TL_UNDELIVERABLE
inline constexpr int32_t kTransportTimeout = 108;         // SNMPAPI_TL_TIMEOUT
inline constexpr int32_t kTransportPduTooBig = 109;       // SNMPAPI_TL_PDU_TOO_BIG
inline constexpr int32_t kTransportOther = 199;           // SNMPAPI_TL_OTHER

// Transport kinds as the entity stores them; also the index of the transport's table.
enum SnmpTransportKind : uint32_t {
  SNMP_TRANSPORT_UDP = 0,
  SNMP_TRANSPORT_IPX = 1,
  SNMP_TRANSPORT_SERIAL = 2,
};
inline constexpr uint32_t kSnmpTransportCount = 3;

// IPX address, every field in network order.
struct IpxAddress {
  uint8_t network[4] = {};
  uint8_t node[6] = {};
  uint8_t socket[2] = {};
};

// An SNMP endpoint as the transports see it. Only the field of its kind is meaningful.
struct SnmpTransportEntity {
  uint32_t kind = SNMP_TRANSPORT_UDP;
  uint32_t ipv4 = 0;  // network order (as in in_addr.s_addr)
  IpxAddress ipx;
  char portName[5] = {};  // "COM1".."COM9", zero-terminated
};

// Knobs that tests (and the headless front end) may change. Defaults are the protocol's own.
struct SnmpTransportConfig {
  uint16_t udpAgentPort = 161;
  uint16_t udpTrapPort = 162;
  uint16_t ipxAgentSocket = 0x900F;
  uint16_t ipxTrapSocket = 0x9010;
  // Opens the serial line behind a port name ("COM3"); null when it cannot be opened. Unset: the
  // platform serial port, with the name resolved by platform::ResolveComPort.
  std::function<std::unique_ptr<platform::SerialLine>(const std::string& portName)> openSerial;
  // For the platform serial port: the device path stored in the settings for a port name that
  // neither a virtual port nor /dev/ttyS<n-1> provides; empty text when there is none.
  std::function<std::string(const std::string& portName)> comPortMapping;
  // Sleeps for the serial handshake's pauses. Unset: a real sleep.
  std::function<void(unsigned ms)> sleep;
};

// The process-wide configuration used by sessions whose config pointer is null.
SnmpTransportConfig& SnmpTransportDefaults();

// A session's transport state. The engine sets notify (and config, if it wants other than the
// defaults) when it opens the session; everything else belongs to the transports.
struct SnmpTransportSession {
  // Posts the session's notification message to its window: the serial send calls it so that the
  // waiting request goes on to receive at once. May be empty.
  std::function<void()> notify;
  const SnmpTransportConfig* config = nullptr;

  bool udpOpen = false;
  bool ipxOpen = false;
  bool serialOpen = false;
  char serialPortName[5] = {};                       // empty when no port is open
  std::unique_ptr<platform::SerialLine> serialLine;  // null when no port is open
  // Shared by UDP and IPX. Readable sockets are what the wait loop polls for a reply.
  int requestSocket = -1;
  int trapSocket = -1;
  // Where UDP and IPX make their socket calls; tests put a fake here before the first send.
  platform::DatagramSockets* sockets = &platform::SystemDatagramSockets::Instance();

  SnmpTransportSession();
  ~SnmpTransportSession();
  SnmpTransportSession(const SnmpTransportSession&) = delete;
  SnmpTransportSession& operator=(const SnmpTransportSession&) = delete;

  const SnmpTransportConfig& Config() const {
    return config != nullptr ? *config : SnmpTransportDefaults();
  }
};

// Table of entry points, slots in this order (9 to 13 are empty). Every entry returns
// kTransportSuccess (1) or a transport result code.
struct SnmpTransportOps {
  int32_t (*TransportStartup)();                             // slot 0
  int32_t (*TransportCleanup)();                             // slot 1
  int32_t (*TransportOpen)(SnmpTransportSession* session);   // slot 2
  int32_t (*TransportClose)(SnmpTransportSession* session);  // slot 3
  // slot 4: sends one encoded message to dst.
  int32_t (*TransportSend)(SnmpTransportSession* session, const SnmpTransportEntity* dst,
                           const uint8_t* message, size_t length);
  // slot 5: receives one message into buffer; *length is the buffer's size on entry and the
  // message's length on success. src/dst are filled where the transport knows them.
  int32_t (*TransportReceive)(SnmpTransportSession* session, SnmpTransportEntity* src,
                              SnmpTransportEntity* dst, uint8_t* buffer, size_t* length);
  // slot 6: state 1 starts listening for traps, 0 stops.
  int32_t (*TransportRegister)(SnmpTransportSession* session, int32_t state);
  // slot 7 / 8: text forms of an address. size counts the terminating zero.
  int32_t (*TransportStrToEntity)(const char* text, SnmpTransportEntity* entity);
  int32_t (*TransportEntityToStr)(const SnmpTransportEntity* entity, size_t size, char* buffer);
  void* unusedSlots[5];  // slots 9 to 13
  // slot 14 (serial only): asks the device for its information into buffer (size octets);
  // *length receives the reply's length.
  int32_t (*TransportExchange)(SnmpTransportSession* session, const SnmpTransportEntity* entity,
                               size_t size, uint8_t* buffer, size_t* length);
};

// Initialisers: each fills a table with its transport's entries (null where it has none).
void SnmpUdpTransportInit(SnmpTransportOps* ops);
void SnmpIpxTransportInit(SnmpTransportOps* ops);
void SnmpSerialTransportInit(SnmpTransportOps* ops);

// Fills ops for the transport of kind; false for an unknown kind.
bool SnmpTransportInit(uint32_t kind, SnmpTransportOps* ops);

}  // namespace snmp
