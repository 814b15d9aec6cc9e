#include "snmp/SnmpTrapRewrite.h"

#include <cstdlib>

#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjectRelease.h"

namespace {

smiUINT32 kSysUpTime[] = {1, 3, 6, 1, 2, 1, 1, 3, 0};
smiUINT32 kSnmpTrapOid[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
smiUINT32 kSnmpTrapEnterprise[] = {1, 3, 6, 1, 6, 3, 1, 1, 4, 3, 0};
constexpr smiUINT32 kGenericEnterpriseSpecific = 6;

template <size_t N>
smiOID oidOf(smiUINT32 (&ids)[N]) {
  return smiOID{static_cast<smiUINT32>(N), ids};
}

// snmpTrapOID.0's value: enterprise.0.specific, or 1.3.6.1.6.3.1.1.5.(generic + 1).
SNMPAPI_STATUS appendTrapOid(HSNMP_VBL vbl, const SnmpPduObject* pdu) {
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_OID;
  smiUINT32 standard[] = {1, 3, 6, 1, 6, 3, 1, 1, 5, 0};
  smiUINT32* built = nullptr;
  const auto generic = static_cast<smiUINT32>(pdu->genericTrap);
  if (generic == kGenericEnterpriseSpecific) {
    const smiOID& e = *pdu->enterprise;
    built = static_cast<smiUINT32*>(std::malloc((e.len + 2) * sizeof(smiUINT32)));
    if (built == nullptr) return SNMPAPI_ALLOC_ERROR;
    for (smiUINT32 i = 0; i < e.len; ++i) built[i] = e.ptr[i];
    built[e.len] = 0;
    built[e.len + 1] = static_cast<smiUINT32>(pdu->specificTrap);
    value.value.oid = smiOID{e.len + 2, built};
  } else {
    standard[9] = generic <= 5 ? generic + 1 : 0;
    value.value.oid = oidOf(standard);
  }
  smiOID name = oidOf(kSnmpTrapOid);
  SNMPAPI_STATUS rc = SnmpSetVb(vbl, 0, &name, &value) ? SNMPAPI_SUCCESS : SnmpGetLastError(0);
  std::free(built);
  return rc;
}

SNMPAPI_STATUS buildList(SnmpPduObject* pdu, HSNMP_VBL fresh) {
  smiVALUE upTime{};
  upTime.syntax = SNMP_SYNTAX_TIMETICKS;
  upTime.value.uNumber = pdu->timeStamp;
  smiOID upTimeName = oidOf(kSysUpTime);
  if (!SnmpSetVb(fresh, 0, &upTimeName, &upTime)) return SnmpGetLastError(0);
  SNMPAPI_STATUS rc = appendTrapOid(fresh, pdu);
  if (rc != SNMPAPI_SUCCESS) return rc;
  // The received varbinds move over as they are; only their slots in the lists change hands.
  auto* received = SnmpLookupAs<SnmpVblObject>(pdu->vbl, SNMP_OBJ_VBL);
  auto* target = SnmpLookupAs<SnmpVblObject>(fresh, SNMP_OBJ_VBL);
  if (received != nullptr) {
    if (target->count + received->count + 1 > kSnmpMaxVarBinds) return SNMPAPI_OUTPUT_TRUNCATED;
    for (smiUINT32 i = 0; i < received->count; ++i) {
      target->vb[target->count++] = received->vb[i];
      received->vb[i] = SnmpVarBind{};
    }
    received->count = 0;
  }
  smiVALUE enterprise{};
  enterprise.syntax = SNMP_SYNTAX_OID;
  enterprise.value.oid = *pdu->enterprise;
  smiOID enterpriseName = oidOf(kSnmpTrapEnterprise);
  if (!SnmpSetVb(fresh, 0, &enterpriseName, &enterprise)) return SnmpGetLastError(0);
  return SNMPAPI_SUCCESS;
}

}  // namespace

SNMPAPI_STATUS SnmpRewriteV1Trap(SnmpPduObject* pdu) {
  SNMPAPI_STATUS rc = SNMPAPI_ALLOC_ERROR;
  HSNMP_VBL fresh = 0;
  if (pdu->enterprise != nullptr) {
    fresh = SnmpCreateVbl(pdu->session, nullptr, nullptr);
    if (fresh != 0) rc = buildList(pdu, fresh);
  }
  SnmpReleaseObject(pdu->vbl);
  SnmpReleasePduTrapFields(pdu);
  pdu->vbl = 0;
  if (rc != SNMPAPI_SUCCESS) {
    SnmpReleaseObject(fresh);
    return rc;
  }
  pdu->type = SNMP_PDU_TRAP;
  pdu->requestId = 1;
  pdu->errorStatus = 0;
  pdu->errorIndex = 0;
  pdu->genericTrap = 0;
  pdu->specificTrap = 0;
  pdu->vbl = fresh;
  return SNMPAPI_SUCCESS;
}
