#pragma once
// The engine's fixed handle table and per-caller task records. Internal to the engine: callers
// use the Snmp* functions of SnmpApi.h.
//
// The engine is used by one thread at a time (every command that talks to a device first stops any
// running search), so the table takes no locks.

#include "snmp/SnmpObjects.h"
#include "snmp/SnmpTypes.h"

inline constexpr smiUINT32 kSnmpHandleSlots = 64;  // slot 0 is never used
inline constexpr smiUINT32 kSnmpTaskSlots = 5;

struct SnmpTaskRecord {
  smiUINT32 owner;  // 0 = free
  SNMPAPI_STATUS lastError;
  smiUINT32 translateMode;
  smiUINT32 retransmitMode;
  smiUINT32 policyTimeout;  // kept multiplied by 10000
  smiUINT32 policyRetry;    // kept multiplied by 10000
  smiINT32 requestCounter;
  smiOCTETS recvBuffer;  // kSnmpMaxMessage octets
};

// The caller's id; the table only tells used slots from free ones, since one process owns it.
smiUINT32 SnmpCallerId();

SnmpTaskRecord* SnmpFindTask();
// Finds or makes the caller's task record; null when no slot or no memory.
SnmpTaskRecord* SnmpMakeTask();
void SnmpReleaseTask(SnmpTaskRecord* task);

// The object behind a handle, or null when the handle is out of range or its slot is free.
void* SnmpLookup(smiUINT32 handle);
// The object when it is of the given kind, else null.
void* SnmpLookupKind(smiUINT32 handle, smiUINT32 kind);

template <typename T>
T* SnmpLookupAs(smiUINT32 handle, smiUINT32 kind) {
  return static_cast<T*>(SnmpLookupKind(handle, kind));
}

// Allocates a zero-filled object of the given size in the first free slot; sets its kind and (for
// all but sessions) its owning session. Returns the handle, or 0 with the caller's error set to 2.
smiUINT32 SnmpAllocObject(size_t size, smiUINT32 kind, HSNMP_SESSION session);
// Frees the object memory and clears the slot (the object's own blocks are the caller's business).
void SnmpFreeSlot(smiUINT32 handle);
// Clears every slot without freeing (used when the engine is started again).
void SnmpForgetAllSlots();
// Calls fn(handle, object) for every used slot.
template <typename Fn>
void SnmpForEachSlot(Fn fn) {
  for (smiUINT32 h = 1; h < kSnmpHandleSlots; ++h) {
    if (void* object = SnmpLookup(h)) fn(h, object);
  }
}

// Stores code as the caller's and the session's last error and returns 0; code 1 is returned as
// success without touching either.
SNMPAPI_STATUS SnmpSetError(HSNMP_SESSION session, SNMPAPI_STATUS code);
