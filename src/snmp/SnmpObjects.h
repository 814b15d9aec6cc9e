#pragma once
// The objects behind the engine's handles. Every object begins with its kind; all but the session
// then hold the handle of the session that owns them.

#include <cstdint>

#include "snmp/SnmpTransport.h"
#include "snmp/SnmpTypes.h"

namespace platform {
class MessagePoster;
}

enum SnmpObjectKind : smiUINT32 {
  SNMP_OBJ_SESSION = 1,
  SNMP_OBJ_ENTITY = 2,
  SNMP_OBJ_CONTEXT = 3,
  SNMP_OBJ_PDU = 4,
  SNMP_OBJ_VBL = 5,
};

struct SnmpSessionObject {
  smiUINT32 kind;
  HSNMP_SESSION self;
  platform::MessagePoster* window;  // receives the notification message; may be null
  smiUINT32 message;
  SNMPAPI_STATUS lastError;
  smiUINT32 owner;
  snmp::SnmpTransportSession* transport;  // open flags, sockets, serial line
};

struct SnmpEntityObject {
  smiUINT32 kind;
  HSNMP_SESSION session;
  snmp::SnmpTransportEntity address;  // transport kind and the address of that kind
};

struct SnmpContextObject {
  smiUINT32 kind;
  HSNMP_SESSION session;
  smiUINT32 len;
  smiBYTE octets[kSnmpMaxCommunity];
};

struct SnmpVarBind {
  smiOID* name;
  smiVALUE* value;
};

struct SnmpVblObject {
  smiUINT32 kind;
  HSNMP_SESSION session;
  smiUINT32 count;
  SnmpVarBind vb[kSnmpMaxVarBinds];
};

// For a Trap-v1 PDU the enterprise, agent address and generic trap are held in their own fields
// rather than folded into the request-id and error fields, so that pointers keep their full width.
struct SnmpPduObject {
  smiUINT32 kind;
  HSNMP_SESSION session;
  smiUINT32 type;
  smiINT32 requestId;
  smiINT32 errorStatus;
  smiINT32 errorIndex;
  smiINT32 specificTrap;
  smiUINT32 timeStamp;
  HSNMP_VBL vbl;
  smiOID* enterprise;
  smiOCTETS* agentAddress;
  smiINT32 genericTrap;
};
