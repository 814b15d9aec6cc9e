#include "snmp/SnmpObjectRelease.h"

#include <cstdlib>

#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpValues.h"

void SnmpReleaseVblObject(SnmpVblObject* vbl) {
  for (smiUINT32 i = 0; i < vbl->count; ++i) SnmpFreeVarBind(&vbl->vb[i]);
  vbl->count = 0;
}

void SnmpReleasePduTrapFields(SnmpPduObject* pdu) {
  SnmpFreeOidRecord(pdu->enterprise);
  pdu->enterprise = nullptr;
  if (pdu->agentAddress != nullptr) std::free(pdu->agentAddress->ptr);
  std::free(pdu->agentAddress);
  pdu->agentAddress = nullptr;
}

void SnmpReleaseObject(smiUINT32 handle) {
  void* object = SnmpLookup(handle);
  if (object == nullptr) return;
  switch (*static_cast<smiUINT32*>(object)) {
    case SNMP_OBJ_PDU:
      SnmpReleasePduTrapFields(static_cast<SnmpPduObject*>(object));
      break;
    case SNMP_OBJ_VBL:
      SnmpReleaseVblObject(static_cast<SnmpVblObject*>(object));
      break;
    case SNMP_OBJ_SESSION:
      return;
    default:
      break;
  }
  SnmpFreeSlot(handle);
}
