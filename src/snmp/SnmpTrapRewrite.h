#pragma once
// Turns a received Trap-v1 PDU into the SNMPv2 trap form that callers handle: sysUpTime.0 and
// snmpTrapOID.0 first, then the received varbinds, then snmpTrapEnterprise.0.

#include "snmp/SnmpObjects.h"

// 1, or the failure code (2 out of memory; 11 when the result would exceed the list's room). On
// failure the trap fields and the received list are freed and the PDU holds no list.
SNMPAPI_STATUS SnmpRewriteV1Trap(SnmpPduObject* pdu);
