// Varbind lists: at most kSnmpMaxVarBinds entries, each a deep copy owned by the list.

#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjectRelease.h"
#include "snmp/SnmpValues.h"

namespace {

SnmpVblObject* vblOf(HSNMP_VBL handle) {
  return SnmpLookupAs<SnmpVblObject>(handle, SNMP_OBJ_VBL);
}

}  // namespace

HSNMP_VBL SnmpCreateVbl(HSNMP_SESSION session, const smiOID* name, const smiVALUE* value) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  HSNMP_VBL handle = SnmpAllocObject(sizeof(SnmpVblObject), SNMP_OBJ_VBL, session);
  if (handle == 0) return SNMPAPI_FAILURE;
  if (name == nullptr) return handle;
  smiVALUE null{};
  null.syntax = SNMP_SYNTAX_NULL;
  SnmpVblObject* vbl = vblOf(handle);
  SNMPAPI_STATUS rc = SnmpMakeVarBind(name, value != nullptr ? value : &null, &vbl->vb[0]);
  if (rc != SNMPAPI_SUCCESS) {
    SnmpFreeSlot(handle);
    return SnmpSetError(session, rc);
  }
  vbl->count = 1;
  return handle;
}

HSNMP_VBL SnmpDuplicateVbl(HSNMP_SESSION session, HSNMP_VBL handle) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  const SnmpVblObject* source = vblOf(handle);
  if (source == nullptr) return SnmpSetError(session, SNMPAPI_VBL_INVALID);
  HSNMP_VBL copyHandle = SnmpAllocObject(sizeof(SnmpVblObject), SNMP_OBJ_VBL, session);
  if (copyHandle == 0) return SNMPAPI_FAILURE;
  SnmpVblObject* copy = vblOf(copyHandle);
  for (smiUINT32 i = 0; i < source->count; ++i) {
    SNMPAPI_STATUS rc = SnmpMakeVarBind(source->vb[i].name, source->vb[i].value, &copy->vb[i]);
    if (rc != SNMPAPI_SUCCESS) {
      SnmpReleaseObject(copyHandle);
      return SnmpSetError(session, rc);
    }
    copy->count = i + 1;
  }
  return copyHandle;
}

SNMPAPI_STATUS SnmpFreeVbl(HSNMP_VBL handle) {
  if (vblOf(handle) == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  SnmpReleaseObject(handle);
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpCountVbl(HSNMP_VBL handle) {
  const SnmpVblObject* vbl = vblOf(handle);
  if (vbl == nullptr) return SnmpSetError(0, SNMPAPI_VBL_INVALID);
  return vbl->count;
}

SNMPAPI_STATUS SnmpGetVb(HSNMP_VBL handle, smiUINT32 index, smiOID* name, smiVALUE* value) {
  const SnmpVblObject* vbl = vblOf(handle);
  if (vbl == nullptr) return SnmpSetError(0, SNMPAPI_VBL_INVALID);
  if (index == 0 || index > vbl->count) return SnmpSetError(vbl->session, SNMPAPI_INDEX_INVALID);
  if (name == nullptr || value == nullptr) return SnmpSetError(vbl->session, SNMPAPI_OTHER_ERROR);
  const SnmpVarBind& vb = vbl->vb[index - 1];
  SNMPAPI_STATUS rc = SnmpCopyOidInto(*vb.name, name);
  if (rc == SNMPAPI_SUCCESS) {
    rc = SnmpCopyValueInto(*vb.value, value);
    if (rc != SNMPAPI_SUCCESS) SnmpFreeOidContents(name);
  }
  return SnmpSetError(vbl->session, rc);
}

// Index 0 appends; 1..count replaces. A full list refuses an append with 11, the code the decoder
// gives for a list longer than the engine holds.
SNMPAPI_STATUS SnmpSetVb(HSNMP_VBL handle, smiUINT32 index, const smiOID* name,
                         const smiVALUE* value) {
  SnmpVblObject* vbl = vblOf(handle);
  if (vbl == nullptr) return SnmpSetError(0, SNMPAPI_VBL_INVALID);
  if (index > vbl->count) return SnmpSetError(vbl->session, SNMPAPI_INDEX_INVALID);
  if (index == 0 && vbl->count >= kSnmpMaxVarBinds) {
    return SnmpSetError(vbl->session, SNMPAPI_OUTPUT_TRUNCATED);
  }
  SnmpVarBind fresh{};
  SNMPAPI_STATUS rc = SnmpMakeVarBind(name, value, &fresh);
  if (rc != SNMPAPI_SUCCESS) return SnmpSetError(vbl->session, rc);
  if (index == 0) {
    vbl->vb[vbl->count++] = fresh;
  } else {
    SnmpFreeVarBind(&vbl->vb[index - 1]);
    vbl->vb[index - 1] = fresh;
  }
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpDeleteVb(HSNMP_VBL handle, smiUINT32 index) {
  SnmpVblObject* vbl = vblOf(handle);
  if (vbl == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  if (index == 0 || index > vbl->count) return SnmpSetError(vbl->session, SNMPAPI_INDEX_INVALID);
  SnmpFreeVarBind(&vbl->vb[index - 1]);
  for (smiUINT32 i = index; i < vbl->count; ++i) vbl->vb[i - 1] = vbl->vb[i];
  vbl->vb[--vbl->count] = SnmpVarBind{};
  return SNMPAPI_SUCCESS;
}
