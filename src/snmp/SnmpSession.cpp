// Engine start-up and clean-up, sessions, last errors, modes and trap registration.

#include <new>

#include "platform/MessagePoster.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpEngineTransports.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjectRelease.h"
#include "snmp/SnmpValues.h"

namespace {

SnmpSessionObject* sessionOf(HSNMP_SESSION handle) {
  return SnmpLookupAs<SnmpSessionObject>(handle, SNMP_OBJ_SESSION);
}

// Frees every object the session owns and the session itself; its transports are closed first.
SNMPAPI_STATUS closeSession(HSNMP_SESSION handle, SnmpSessionObject* session) {
  SNMPAPI_STATUS result = SNMPAPI_SUCCESS;
  snmp::SnmpTransportSession* transport = session->transport;
  if (transport != nullptr) {
    const bool open[snmp::kSnmpTransportCount] = {transport->udpOpen, transport->ipxOpen,
                                                  transport->serialOpen};
    for (uint32_t kind = 0; kind < snmp::kSnmpTransportCount; ++kind) {
      if (!open[kind]) continue;
      const snmp::SnmpTransportOps* ops = SnmpTransportFor(kind);
      if (ops == nullptr || ops->TransportClose == nullptr) continue;
      auto rc = static_cast<SNMPAPI_STATUS>(ops->TransportClose(transport));
      if (rc != SNMPAPI_SUCCESS && result == SNMPAPI_SUCCESS) result = rc;
    }
  }
  SnmpForEachSlot([handle](smiUINT32 h, void* object) {
    auto* words = static_cast<smiUINT32*>(object);
    if (words[0] != SNMP_OBJ_SESSION && words[1] == handle) SnmpReleaseObject(h);
  });
  delete transport;
  SnmpFreeSlot(handle);
  return result;
}

// Closes every session and frees every object still in the table.
void releaseEverything() {
  SnmpForEachSlot([](smiUINT32 h, void* object) {
    if (*static_cast<smiUINT32*>(object) == SNMP_OBJ_SESSION) {
      closeSession(h, static_cast<SnmpSessionObject*>(object));
    }
  });
  SnmpForEachSlot([](smiUINT32 h, void*) { SnmpReleaseObject(h); });
  SnmpForgetAllSlots();
}

uint32_t registerKind(const SnmpSessionObject* session, HSNMP_ENTITY entity, bool* known) {
  *known = true;
  if (entity != 0) {
    const auto* e = SnmpLookupAs<SnmpEntityObject>(entity, SNMP_OBJ_ENTITY);
    const uint32_t kind = e != nullptr ? e->address.kind : snmp::kSnmpTransportCount;
    *known = kind == snmp::SNMP_TRANSPORT_UDP || kind == snmp::SNMP_TRANSPORT_IPX;
    return kind;
  }
  if (session->transport->udpOpen) return snmp::SNMP_TRANSPORT_UDP;
  if (session->transport->ipxOpen) return snmp::SNMP_TRANSPORT_IPX;
  if (SnmpTransportInitialised(snmp::SNMP_TRANSPORT_UDP)) return snmp::SNMP_TRANSPORT_UDP;
  if (SnmpTransportInitialised(snmp::SNMP_TRANSPORT_IPX)) return snmp::SNMP_TRANSPORT_IPX;
  return snmp::SNMP_TRANSPORT_UDP;
}

}  // namespace

SNMPAPI_STATUS SnmpStartup(smiUINT32* major, smiUINT32* minor, smiUINT32* level,
                           smiUINT32* translateMode, smiUINT32* retransmitMode) {
  SnmpTaskRecord* task = SnmpMakeTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (major != nullptr) *major = 1;
  if (minor != nullptr) *minor = 1;
  if (level != nullptr) *level = 1;
  if (translateMode != nullptr) *translateMode = task->translateMode;
  if (retransmitMode != nullptr) *retransmitMode = task->retransmitMode;
  // A new start forgets every earlier handle; their sessions are closed and memory released
  // rather than dropped, so that sockets and lines do not outlive their handles.
  releaseEverything();
  SnmpResetTransports();
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpCleanup() {
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  releaseEverything();
  SnmpReleaseTask(task);
  SnmpDrainVarBindPool();
  SnmpCleanupTransports();
  return SNMPAPI_SUCCESS;
}

HSNMP_SESSION SnmpOpen(platform::MessagePoster* window, smiUINT32 message) {
  if (SnmpFindTask() == nullptr) return SNMPAPI_FAILURE;
  HSNMP_SESSION handle = SnmpAllocObject(sizeof(SnmpSessionObject), SNMP_OBJ_SESSION, 0);
  if (handle == 0) return SNMPAPI_FAILURE;
  auto* session = sessionOf(handle);
  session->transport = new (std::nothrow) snmp::SnmpTransportSession();
  if (session->transport == nullptr) {
    SnmpFreeSlot(handle);
    return SnmpSetError(0, SNMPAPI_ALLOC_ERROR);
  }
  session->window = window;
  session->message = message;
  session->lastError = SNMPAPI_SUCCESS;
  session->owner = SnmpCallerId();
  if (window != nullptr) {
    session->transport->notify = [window, message, handle] {
      window->PostMessage(message, static_cast<intptr_t>(handle), 0);
    };
  }
  return handle;
}

SNMPAPI_STATUS SnmpClose(HSNMP_SESSION handle) {
  SnmpSessionObject* session = sessionOf(handle);
  if (session == nullptr) return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  return SnmpSetError(0, closeSession(handle, session));
}

SNMPAPI_STATUS SnmpGetLastError(HSNMP_SESSION handle) {
  if (const SnmpSessionObject* session = sessionOf(handle)) return session->lastError;
  if (const SnmpTaskRecord* task = SnmpFindTask()) return task->lastError;
  return SNMPAPI_NOT_INITIALIZED;
}

SNMPAPI_STATUS SnmpGetTranslateMode(smiUINT32* mode) {
  const SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (mode == nullptr) return SnmpSetError(0, SNMPAPI_OTHER_ERROR);
  *mode = task->translateMode;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSetTranslateMode(smiUINT32 mode) {
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (mode != SNMPAPI_UNTRANSLATED_V1) return SnmpSetError(0, SNMPAPI_MODE_INVALID);
  task->translateMode = mode;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpGetRetransmitMode(smiUINT32* mode) {
  const SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (mode == nullptr) return SnmpSetError(0, SNMPAPI_OTHER_ERROR);
  *mode = task->retransmitMode;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSetRetransmitMode(smiUINT32 mode) {
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (mode != SNMPAPI_OFF) return SnmpSetError(0, SNMPAPI_MODE_INVALID);
  task->retransmitMode = mode;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpGetRetry(HSNMP_ENTITY, smiUINT32* policy, smiUINT32* actual) {
  const SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  if (policy != nullptr) *policy = task->policyRetry / 10000;
  if (actual != nullptr) *actual = 0;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSetRetry(HSNMP_ENTITY, smiUINT32 count) {
  SnmpTaskRecord* task = SnmpFindTask();
  if (task == nullptr) return SNMPAPI_FAILURE;
  task->policyRetry = count * 10000;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpRegister(HSNMP_SESSION handle, HSNMP_ENTITY entity, HSNMP_ENTITY, HSNMP_CONTEXT,
                            const smiOID*, smiUINT32 state) {
  SnmpSessionObject* session = sessionOf(handle);
  if (session == nullptr) return SnmpSetError(0, SNMPAPI_SESSION_INVALID);
  bool known = true;
  const uint32_t kind = registerKind(session, entity, &known);
  if (!known) return SnmpSetError(handle, SNMPAPI_TL_NOT_SUPPORTED);
  const snmp::SnmpTransportOps* ops = SnmpTransportFor(kind);
  if (ops == nullptr || ops->TransportRegister == nullptr) {
    return SnmpSetError(handle, SNMPAPI_TL_NOT_AVAILABLE);
  }
  auto rc = static_cast<SNMPAPI_STATUS>(
      ops->TransportRegister(session->transport, static_cast<int32_t>(state)));
  return SnmpSetError(handle, rc);
}
