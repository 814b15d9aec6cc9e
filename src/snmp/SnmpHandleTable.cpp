#include "snmp/SnmpHandleTable.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

struct Slot {
  void* object;
  smiUINT32 owner;
};

Slot g_slots[kSnmpHandleSlots];
SnmpTaskRecord g_tasks[kSnmpTaskSlots];

bool slotInRange(smiUINT32 handle) {
  smiUINT32 index = handle & 0xFFFFu;
  return index >= 1 && index < kSnmpHandleSlots;
}

}  // namespace

// Asked once: getpid is a system call, and every allocation and error asks for the caller.
smiUINT32 SnmpCallerId() {
  static const smiUINT32 id = static_cast<smiUINT32>(getpid());
  return id;
}

SnmpTaskRecord* SnmpFindTask() {
  smiUINT32 me = SnmpCallerId();
  for (auto& task : g_tasks) {
    if (task.owner == me) return &task;
  }
  return nullptr;
}

SnmpTaskRecord* SnmpMakeTask() {
  if (SnmpTaskRecord* found = SnmpFindTask()) return found;
  for (auto& task : g_tasks) {
    if (task.owner != 0) continue;
    auto* buffer = static_cast<smiLPBYTE>(std::malloc(kSnmpMaxMessage));
    if (buffer == nullptr) return nullptr;
    task = SnmpTaskRecord{};
    task.owner = SnmpCallerId();
    task.lastError = SNMPAPI_SUCCESS;
    task.translateMode = SNMPAPI_UNTRANSLATED_V1;
    task.retransmitMode = SNMPAPI_OFF;
    task.requestCounter = 2;
    task.recvBuffer = smiOCTETS{static_cast<smiUINT32>(kSnmpMaxMessage), buffer};
    return &task;
  }
  return nullptr;
}

void SnmpReleaseTask(SnmpTaskRecord* task) {
  if (task == nullptr) return;
  std::free(task->recvBuffer.ptr);
  *task = SnmpTaskRecord{};
}

void* SnmpLookup(smiUINT32 handle) {
  if (!slotInRange(handle)) return nullptr;
  Slot& slot = g_slots[handle & 0xFFFFu];
  if (slot.owner == 0 || slot.object == nullptr) {
    slot = Slot{};
    return nullptr;
  }
  return slot.object;
}

void* SnmpLookupKind(smiUINT32 handle, smiUINT32 kind) {
  void* object = SnmpLookup(handle);
  if (object == nullptr) return nullptr;
  // Every object begins with its kind.
  return *static_cast<smiUINT32*>(object) == kind ? object : nullptr;
}

smiUINT32 SnmpAllocObject(size_t size, smiUINT32 kind, HSNMP_SESSION session) {
  for (smiUINT32 h = 1; h < kSnmpHandleSlots; ++h) {
    if (SnmpLookup(h) != nullptr) continue;
    // Not calloc: glibc's calloc bypasses its per-thread cache, and a decode makes three objects
    // per message. The two words are written before the rest is cleared, so that the compiler
    // does not fold malloc and memset back into calloc.
    void* object = std::malloc(size);
    if (object == nullptr) break;
    auto* words = static_cast<smiUINT32*>(object);
    words[0] = kind;
    words[1] = kind == SNMP_OBJ_SESSION ? h : session;
    std::memset(words + 2, 0, size - 2 * sizeof(smiUINT32));
    g_slots[h] = Slot{object, SnmpCallerId()};
    return h;
  }
  if (SnmpTaskRecord* task = SnmpFindTask()) task->lastError = SNMPAPI_ALLOC_ERROR;
  if (auto* s = SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION)) {
    s->lastError = SNMPAPI_ALLOC_ERROR;
  }
  return 0;
}

void SnmpFreeSlot(smiUINT32 handle) {
  if (!slotInRange(handle)) return;
  Slot& slot = g_slots[handle & 0xFFFFu];
  std::free(slot.object);
  slot = Slot{};
}

void SnmpForgetAllSlots() {
  for (auto& slot : g_slots) slot = Slot{};
}

SNMPAPI_STATUS SnmpSetError(HSNMP_SESSION session, SNMPAPI_STATUS code) {
  if (code == SNMPAPI_SUCCESS) return SNMPAPI_SUCCESS;
  if (SnmpTaskRecord* task = SnmpFindTask()) task->lastError = code;
  if (auto* s = SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION)) s->lastError = code;
  return SNMPAPI_FAILURE;
}
