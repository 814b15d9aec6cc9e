// PDU objects: creation, field access, duplication and release.

#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjectRelease.h"

namespace {

SnmpPduObject* pduOf(HSNMP_PDU handle) {
  return SnmpLookupAs<SnmpPduObject>(handle, SNMP_OBJ_PDU);
}

smiINT32 nextRequestId() {
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return 0;
  smiINT32 id = task->requestCounter;
  // Wrap back to 2 rather than overflow, so automatic ids stay positive.
  task->requestCounter = id == INT32_MAX ? 2 : id + 1;
  return id;
}

}  // namespace

HSNMP_PDU SnmpCreatePdu(HSNMP_SESSION session, smiUINT32 type, smiINT32 requestId,
                        smiINT32 errorStatus, smiINT32 errorIndex, HSNMP_VBL vbl) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  HSNMP_PDU handle = SnmpAllocObject(sizeof(SnmpPduObject), SNMP_OBJ_PDU, session);
  if (handle == 0) return SNMPAPI_FAILURE;
  SnmpPduObject* pdu = pduOf(handle);
  pdu->errorStatus = errorStatus;
  pdu->errorIndex = errorIndex;
  SnmpSetPduData(handle, &type, &requestId, nullptr, nullptr, &vbl);
  return handle;
}

SNMPAPI_STATUS SnmpGetPduData(HSNMP_PDU handle, smiUINT32* type, smiINT32* requestId,
                              smiINT32* errorStatus, smiINT32* errorIndex, HSNMP_VBL* vbl) {
  const SnmpPduObject* pdu = pduOf(handle);
  if (pdu == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  if (type != nullptr) *type = pdu->type;
  if (requestId != nullptr) *requestId = pdu->requestId;
  if (errorStatus != nullptr) *errorStatus = pdu->errorStatus;
  if (errorIndex != nullptr) *errorIndex = pdu->errorIndex;
  if (vbl != nullptr) *vbl = pdu->vbl;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSetPduData(HSNMP_PDU handle, const smiUINT32* type, const smiINT32* requestId,
                              const smiINT32*, const smiINT32*, const HSNMP_VBL* vbl) {
  SnmpPduObject* pdu = pduOf(handle);
  if (pdu == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  if (type != nullptr) pdu->type = *type == 0 ? SNMP_PDU_GETNEXT : *type;
  if (requestId != nullptr) pdu->requestId = *requestId == 0 ? nextRequestId() : *requestId;
  if (vbl != nullptr) pdu->vbl = *vbl;
  return SNMPAPI_SUCCESS;
}

HSNMP_PDU SnmpDuplicatePdu(HSNMP_SESSION session, HSNMP_PDU handle) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  const SnmpPduObject* pdu = pduOf(handle);
  if (pdu == nullptr) return SnmpSetError(session, SNMPAPI_PDU_INVALID);
  return SnmpCreatePdu(session, pdu->type, pdu->requestId, 0, 0, pdu->vbl);
}

SNMPAPI_STATUS SnmpFreePdu(HSNMP_PDU handle) {
  if (pduOf(handle) == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  SnmpReleaseObject(handle);
  return SNMPAPI_SUCCESS;
}
