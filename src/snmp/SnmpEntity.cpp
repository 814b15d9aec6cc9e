// Entities (SNMP endpoints) and their text forms, which the transports parse and write.

#include <cstring>

#include "snmp/SnmpApi.h"
#include "snmp/SnmpEngineTransports.h"
#include "snmp/SnmpHandleTable.h"

namespace {

uint32_t kindOfText(const char* text) {
  if (std::strchr(text, '.') != nullptr) return snmp::SNMP_TRANSPORT_UDP;
  if (std::strncmp(text, "COM", 3) == 0) return snmp::SNMP_TRANSPORT_SERIAL;
  return snmp::SNMP_TRANSPORT_IPX;
}

SnmpEntityObject* entityOf(HSNMP_ENTITY handle) {
  return SnmpLookupAs<SnmpEntityObject>(handle, SNMP_OBJ_ENTITY);
}

}  // namespace

HSNMP_ENTITY SnmpStrToEntity(HSNMP_SESSION session, const char* text) {
  if (SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION) == nullptr) {
    return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  }
  if (text == nullptr) return SnmpSetError(session, SNMPAPI_ENTITY_UNKNOWN);
  const uint32_t kind = kindOfText(text);
  const snmp::SnmpTransportOps* ops = SnmpTransportFor(kind);
  if (ops == nullptr || ops->TransportStrToEntity == nullptr) {
    return SnmpSetError(session, SNMPAPI_ENTITY_UNKNOWN);
  }
  HSNMP_ENTITY handle = SnmpAllocObject(sizeof(SnmpEntityObject), SNMP_OBJ_ENTITY, session);
  if (handle == 0) return SNMPAPI_FAILURE;
  SnmpEntityObject* entity = entityOf(handle);
  entity->address = snmp::SnmpTransportEntity{};
  entity->address.kind = kind;
  if (ops->TransportStrToEntity(text, &entity->address) != snmp::kTransportSuccess) {
    // A refused text gives its slot back, so that bad input cannot use up the table.
    SnmpFreeSlot(handle);
    return SnmpSetError(session, SNMPAPI_ENTITY_UNKNOWN);
  }
  entity->address.kind = kind;
  return handle;
}

SNMPAPI_STATUS SnmpEntityToStr(HSNMP_ENTITY handle, smiUINT32 size, char* buffer) {
  const SnmpEntityObject* entity = entityOf(handle);
  if (entity == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  if (buffer == nullptr || size == 0)
    return SnmpSetError(entity->session, SNMPAPI_OUTPUT_TRUNCATED);
  const snmp::SnmpTransportOps* ops = SnmpTransportFor(entity->address.kind);
  if (ops == nullptr || ops->TransportEntityToStr == nullptr) {
    return SnmpSetError(entity->session, SNMPAPI_ENTITY_UNKNOWN);
  }
  auto rc = static_cast<SNMPAPI_STATUS>(ops->TransportEntityToStr(&entity->address, size, buffer));
  return SnmpSetError(entity->session, rc);
}

SNMPAPI_STATUS SnmpFreeEntity(HSNMP_ENTITY handle) {
  if (entityOf(handle) == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  SnmpFreeSlot(handle);
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpGetTimeout(HSNMP_ENTITY handle, smiUINT32* policy, smiUINT32* actual) {
  if (entityOf(handle) == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  const SnmpTaskRecord* task = SnmpFindTask();
  if (policy != nullptr) *policy = task != nullptr ? task->policyTimeout / 10000 : 0;
  if (actual != nullptr) *actual = 0;
  return SNMPAPI_SUCCESS;
}

// Time-outs are the request layer's business; the engine only checks the entity.
SNMPAPI_STATUS SnmpSetTimeout(HSNMP_ENTITY handle, smiUINT32) {
  if (entityOf(handle) == nullptr) return SnmpSetError(0, SNMPAPI_ENTITY_INVALID);
  return SNMPAPI_SUCCESS;
}
