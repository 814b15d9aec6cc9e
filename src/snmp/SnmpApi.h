#pragma once
// The SNMP engine's handle interface, in the shape of WinSNMP 1.1. Functions return a handle or 1
// on success and 0 on failure; SnmpGetLastError tells why (per session, and per caller).
// Handles name slots 1..63 of one table shared by sessions, entities, contexts, PDUs and lists.

#include "snmp/SnmpTypes.h"

namespace platform {
class MessagePoster;
}

SNMPAPI_STATUS SnmpStartup(smiUINT32* major, smiUINT32* minor, smiUINT32* level,
                           smiUINT32* translateMode, smiUINT32* retransmitMode);
SNMPAPI_STATUS SnmpCleanup();
// window and message are handed to the transports, which notify the caller when a reply arrives.
HSNMP_SESSION SnmpOpen(platform::MessagePoster* window, smiUINT32 message);
SNMPAPI_STATUS SnmpClose(HSNMP_SESSION session);
SNMPAPI_STATUS SnmpGetLastError(HSNMP_SESSION session);

HSNMP_ENTITY SnmpStrToEntity(HSNMP_SESSION session, const char* text);
SNMPAPI_STATUS SnmpEntityToStr(HSNMP_ENTITY entity, smiUINT32 size, char* buffer);
SNMPAPI_STATUS SnmpFreeEntity(HSNMP_ENTITY entity);
SNMPAPI_STATUS SnmpGetTimeout(HSNMP_ENTITY entity, smiUINT32* policy, smiUINT32* actual);
SNMPAPI_STATUS SnmpSetTimeout(HSNMP_ENTITY entity, smiUINT32 timeout);
SNMPAPI_STATUS SnmpGetRetry(HSNMP_ENTITY entity, smiUINT32* policy, smiUINT32* actual);
SNMPAPI_STATUS SnmpSetRetry(HSNMP_ENTITY entity, smiUINT32 count);

HSNMP_CONTEXT SnmpStrToContext(HSNMP_SESSION session, const smiOCTETS* community);
SNMPAPI_STATUS SnmpContextToStr(HSNMP_CONTEXT context, smiOCTETS* out);
SNMPAPI_STATUS SnmpFreeContext(HSNMP_CONTEXT context);

HSNMP_PDU SnmpCreatePdu(HSNMP_SESSION session, smiUINT32 type, smiINT32 requestId,
                        smiINT32 errorStatus, smiINT32 errorIndex, HSNMP_VBL vbl);
SNMPAPI_STATUS SnmpGetPduData(HSNMP_PDU pdu, smiUINT32* type, smiINT32* requestId,
                              smiINT32* errorStatus, smiINT32* errorIndex, HSNMP_VBL* vbl);
SNMPAPI_STATUS SnmpSetPduData(HSNMP_PDU pdu, const smiUINT32* type, const smiINT32* requestId,
                              const smiINT32* nonRepeaters, const smiINT32* maxRepetitions,
                              const HSNMP_VBL* vbl);
HSNMP_PDU SnmpDuplicatePdu(HSNMP_SESSION session, HSNMP_PDU pdu);
SNMPAPI_STATUS SnmpFreePdu(HSNMP_PDU pdu);

HSNMP_VBL SnmpCreateVbl(HSNMP_SESSION session, const smiOID* name, const smiVALUE* value);
HSNMP_VBL SnmpDuplicateVbl(HSNMP_SESSION session, HSNMP_VBL vbl);
SNMPAPI_STATUS SnmpFreeVbl(HSNMP_VBL vbl);
SNMPAPI_STATUS SnmpCountVbl(HSNMP_VBL vbl);
SNMPAPI_STATUS SnmpGetVb(HSNMP_VBL vbl, smiUINT32 index, smiOID* name, smiVALUE* value);
SNMPAPI_STATUS SnmpSetVb(HSNMP_VBL vbl, smiUINT32 index, const smiOID* name, const smiVALUE* value);
SNMPAPI_STATUS SnmpDeleteVb(HSNMP_VBL vbl, smiUINT32 index);

SNMPAPI_STATUS SnmpSendMsg(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                           HSNMP_CONTEXT context, HSNMP_PDU pdu);
SNMPAPI_STATUS SnmpRecvMsg(HSNMP_SESSION session, HSNMP_ENTITY* source, HSNMP_ENTITY* destination,
                           HSNMP_CONTEXT* context, HSNMP_PDU* pdu);
SNMPAPI_STATUS SnmpEncodeMsg(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                             HSNMP_CONTEXT context, HSNMP_PDU pdu, smiOCTETS* out);
SNMPAPI_STATUS SnmpDecodeMsg(HSNMP_SESSION session, HSNMP_ENTITY* source, HSNMP_ENTITY* destination,
                             HSNMP_CONTEXT* context, HSNMP_PDU* pdu, const smiOCTETS* message);
SNMPAPI_STATUS SnmpRegister(HSNMP_SESSION session, HSNMP_ENTITY source, HSNMP_ENTITY destination,
                            HSNMP_CONTEXT context, const smiOID* notification, smiUINT32 state);

SNMPAPI_STATUS SnmpGetTranslateMode(smiUINT32* mode);
SNMPAPI_STATUS SnmpSetTranslateMode(smiUINT32 mode);
SNMPAPI_STATUS SnmpGetRetransmitMode(smiUINT32* mode);
SNMPAPI_STATUS SnmpSetRetransmitMode(smiUINT32 mode);

SNMPAPI_STATUS SnmpStrToOid(const char* text, smiOID* out);
SNMPAPI_STATUS SnmpOidToStr(const smiOID* oid, smiUINT32 size, char* buffer);
SNMPAPI_STATUS SnmpOidCopy(const smiOID* source, smiOID* copy);
SNMPAPI_STATUS SnmpOidCompare(const smiOID* a, const smiOID* b, smiUINT32 maxLength,
                              smiINT32* result);
SNMPAPI_STATUS SnmpFreeDescriptor(smiUINT32 syntax, void* descriptor);
