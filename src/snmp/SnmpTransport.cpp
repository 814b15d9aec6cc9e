#include "snmp/SnmpTransport.h"

#include "platform/SerialLine.h"

namespace snmp {

SnmpTransportConfig& SnmpTransportDefaults() {
  static SnmpTransportConfig defaults;
  return defaults;
}

SnmpTransportSession::SnmpTransportSession() = default;
SnmpTransportSession::~SnmpTransportSession() = default;

bool SnmpTransportInit(uint32_t kind, SnmpTransportOps* ops) {
  if (ops == nullptr) return false;
  switch (kind) {
    case SNMP_TRANSPORT_UDP:
      SnmpUdpTransportInit(ops);
      return true;
    case SNMP_TRANSPORT_IPX:
      SnmpIpxTransportInit(ops);
      return true;
    case SNMP_TRANSPORT_SERIAL:
      SnmpSerialTransportInit(ops);
      return true;
    default:
      return false;
  }
}

}  // namespace snmp
