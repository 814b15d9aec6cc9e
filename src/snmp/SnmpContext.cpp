// Contexts (community names) and the release of descriptors handed out by the engine.

#include <cstdlib>
#include <cstring>

#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpValues.h"

HSNMP_CONTEXT SnmpStrToContext(HSNMP_SESSION session, const smiOCTETS* community) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  if (community == nullptr || community->len == 0 || community->ptr == nullptr) {
    return SnmpSetError(session, SNMPAPI_CONTEXT_INVALID);
  }
  if (community->len > kSnmpMaxCommunity) return SnmpSetError(session, SNMPAPI_OUTPUT_TRUNCATED);
  HSNMP_CONTEXT handle = SnmpAllocObject(sizeof(SnmpContextObject), SNMP_OBJ_CONTEXT, session);
  if (handle == 0) return SNMPAPI_FAILURE;
  auto* context = SnmpLookupAs<SnmpContextObject>(handle, SNMP_OBJ_CONTEXT);
  context->len = community->len;
  std::memcpy(context->octets, community->ptr, community->len);
  return handle;
}

SNMPAPI_STATUS SnmpContextToStr(HSNMP_CONTEXT handle, smiOCTETS* out) {
  const auto* context = SnmpLookupAs<SnmpContextObject>(handle, SNMP_OBJ_CONTEXT);
  if (context == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  if (out == nullptr) return SnmpSetError(context->session, SNMPAPI_OTHER_ERROR);
  out->len = 0;
  out->ptr = nullptr;
  if (context->len == 0) return SNMPAPI_SUCCESS;
  auto* copy = static_cast<smiLPBYTE>(std::malloc(context->len));
  if (copy == nullptr) return SnmpSetError(context->session, SNMPAPI_ALLOC_ERROR);
  std::memcpy(copy, context->octets, context->len);
  out->len = context->len;
  out->ptr = copy;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpFreeContext(HSNMP_CONTEXT handle) {
  if (SnmpLookupAs<SnmpContextObject>(handle, SNMP_OBJ_CONTEXT) == nullptr) {
    return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  }
  SnmpFreeSlot(handle);
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpFreeDescriptor(smiUINT32 syntax, void* descriptor) {
  if (descriptor == nullptr) return SNMPAPI_SUCCESS;
  if (syntax == SNMP_SYNTAX_OID) {
    SnmpFreeOidContents(static_cast<smiOID*>(descriptor));
  } else if (SnmpSyntaxHasOctets(syntax)) {
    auto* octets = static_cast<smiOCTETS*>(descriptor);
    std::free(octets->ptr);
    octets->ptr = nullptr;
    octets->len = 0;
  }
  return SNMPAPI_SUCCESS;
}
