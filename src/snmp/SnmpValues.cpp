#include "snmp/SnmpValues.h"

#include <cstdlib>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define PORTOLAN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PORTOLAN_ASAN 1
#endif
#endif
#ifdef PORTOLAN_ASAN
#include <sanitizer/asan_interface.h>
#endif

bool SnmpSyntaxHasOctets(smiUINT32 syntax) {
  return syntax == SNMP_SYNTAX_BITS || syntax == SNMP_SYNTAX_OCTETS ||
         syntax == SNMP_SYNTAX_IPADDR || syntax == SNMP_SYNTAX_OPAQUE ||
         syntax == SNMP_SYNTAX_NSAPADDR;
}

smiUINT32 SnmpValueOctetCount(const smiVALUE& value) {
  if (value.syntax == SNMP_SYNTAX_BITS) return (value.value.string.len + 7) / 8;
  return value.value.string.len;
}

SNMPAPI_STATUS SnmpCopyOidInto(const smiOID& src, smiOID* dst) {
  dst->len = 0;
  dst->ptr = nullptr;
  if (src.len == 0 || src.ptr == nullptr) return SNMPAPI_SUCCESS;
  auto* ids = static_cast<smiUINT32*>(std::malloc(src.len * sizeof(smiUINT32)));
  if (ids == nullptr) return SNMPAPI_ALLOC_ERROR;
  std::memcpy(ids, src.ptr, src.len * sizeof(smiUINT32));
  dst->len = src.len;
  dst->ptr = ids;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpCopyValueInto(const smiVALUE& src, smiVALUE* dst) {
  if (!SnmpSyntaxKnown(src.syntax)) return SNMPAPI_SYNTAX_INVALID;
  std::memset(dst, 0, sizeof(*dst));
  dst->syntax = src.syntax;
  if (src.syntax == SNMP_SYNTAX_OID) return SnmpCopyOidInto(src.value.oid, &dst->value.oid);
  if (!SnmpSyntaxHasOctets(src.syntax)) {
    dst->value = src.value;  // numbers, or nothing
    return SNMPAPI_SUCCESS;
  }
  smiUINT32 octets = SnmpValueOctetCount(src);
  if (octets == 0 || src.value.string.ptr == nullptr) return SNMPAPI_SUCCESS;
  auto* block = static_cast<smiLPBYTE>(std::malloc(octets));
  if (block == nullptr) return SNMPAPI_ALLOC_ERROR;
  std::memcpy(block, src.value.string.ptr, octets);
  dst->value.string.len = src.value.string.len;
  dst->value.string.ptr = block;
  return SNMPAPI_SUCCESS;
}

void SnmpFreeOidContents(smiOID* oid) {
  if (oid == nullptr) return;
  std::free(oid->ptr);
  oid->ptr = nullptr;
  oid->len = 0;
}

void SnmpFreeValueContents(smiVALUE* value) {
  if (value == nullptr) return;
  if (value->syntax == SNMP_SYNTAX_OID) {
    SnmpFreeOidContents(&value->value.oid);
  } else if (SnmpSyntaxHasOctets(value->syntax)) {
    std::free(value->value.string.ptr);
    value->value.string.ptr = nullptr;
    value->value.string.len = 0;
  }
}

void SnmpFreeOidRecord(smiOID* oid) {
  SnmpFreeOidContents(oid);
  std::free(oid);
}

void SnmpFreeValueRecord(smiVALUE* value) {
  SnmpFreeValueContents(value);
  std::free(value);
}

namespace {

struct VarBindBlock {
  smiOID name;
  smiVALUE value;
  size_t room;  // octets of data room after the block's records
};

// Freed varbind blocks of one common size are kept for the next message instead of going back
// to malloc: a response frees and a decode makes a whole list of them at a time, more than the
// allocator's per-size cache holds, which otherwise sends most of them through its slow paths.
// Like the handle table, the pool is used by one thread at a time and takes no locks.
constexpr size_t kPooledBlockSize = 512;
constexpr size_t kPooledRoom = kPooledBlockSize - sizeof(VarBindBlock);
constexpr size_t kPoolDepth = 2 * kSnmpMaxVarBinds;

VarBindBlock* g_pool[kPoolDepth];
size_t g_pooled = 0;

// Blocks waiting in the pool are poisoned under AddressSanitizer, so that a use after
// SnmpFreeVarBind is still reported.
#ifdef PORTOLAN_ASAN
void poison(VarBindBlock* block) {
  ASAN_POISON_MEMORY_REGION(block, kPooledBlockSize);
}
void unpoison(VarBindBlock* block) {
  ASAN_UNPOISON_MEMORY_REGION(block, kPooledBlockSize);
}
#else
void poison(VarBindBlock*) {}
void unpoison(VarBindBlock*) {}
#endif

VarBindBlock* newBlock(size_t dataSize) {
  if (dataSize <= kPooledRoom) {
    if (g_pooled != 0) {
      VarBindBlock* block = g_pool[--g_pooled];
      unpoison(block);
      return block;
    }
    dataSize = kPooledRoom;
  }
  auto* block = static_cast<VarBindBlock*>(std::malloc(sizeof(VarBindBlock) + dataSize));
  if (block != nullptr) block->room = dataSize;
  return block;
}

}  // namespace

uint8_t* SnmpAllocVarBind(size_t dataSize, SnmpVarBind* out) {
  VarBindBlock* block = newBlock(dataSize);
  if (block == nullptr) {
    *out = SnmpVarBind{};
    return nullptr;
  }
  block->name = smiOID{};
  block->value = smiVALUE{};
  out->name = &block->name;
  out->value = &block->value;
  return reinterpret_cast<uint8_t*>(block + 1);
}

size_t SnmpVarBindRoom(const SnmpVarBind& vb) {
  const auto* block = reinterpret_cast<const VarBindBlock*>(vb.name);
  return block == nullptr ? 0 : block->room;
}

void SnmpFreeVarBind(SnmpVarBind* vb) {
  // The block starts with the name record.
  auto* block = reinterpret_cast<VarBindBlock*>(vb->name);
  vb->name = nullptr;
  vb->value = nullptr;
  if (block == nullptr) return;
  if (block->room == kPooledRoom && g_pooled < kPoolDepth) {
    poison(block);
    g_pool[g_pooled++] = block;
    return;
  }
  std::free(block);
}

void SnmpDrainVarBindPool() {
  while (g_pooled != 0) {
    VarBindBlock* block = g_pool[--g_pooled];
    unpoison(block);
    std::free(block);
  }
}

SNMPAPI_STATUS SnmpMakeVarBind(const smiOID* name, const smiVALUE* value, SnmpVarBind* out) {
  *out = SnmpVarBind{};
  if (name == nullptr) return SNMPAPI_OID_INVALID;
  if (value == nullptr) return SNMPAPI_OTHER_ERROR;
  if (!SnmpSyntaxKnown(value->syntax)) return SNMPAPI_SYNTAX_INVALID;
  const smiUINT32 nameLen = name->ptr != nullptr ? name->len : 0;
  size_t valueBytes = 0;
  if (value->syntax == SNMP_SYNTAX_OID) {
    valueBytes = value->value.oid.ptr != nullptr ? value->value.oid.len * sizeof(smiUINT32) : 0;
  } else if (SnmpSyntaxHasOctets(value->syntax) && value->value.string.ptr != nullptr) {
    valueBytes = SnmpValueOctetCount(*value);
  }
  const size_t nameBytes = nameLen * sizeof(smiUINT32);
  uint8_t* data = SnmpAllocVarBind(nameBytes + valueBytes, out);
  if (data == nullptr) return SNMPAPI_ALLOC_ERROR;
  if (nameLen != 0) {
    std::memcpy(data, name->ptr, nameBytes);
    *out->name = smiOID{nameLen, reinterpret_cast<smiUINT32*>(data)};
  }
  smiVALUE& v = *out->value;
  v.syntax = value->syntax;
  if (value->syntax == SNMP_SYNTAX_OID) {
    if (valueBytes != 0) {
      std::memcpy(data + nameBytes, value->value.oid.ptr, valueBytes);
      v.value.oid = smiOID{value->value.oid.len, reinterpret_cast<smiUINT32*>(data + nameBytes)};
    }
  } else if (SnmpSyntaxHasOctets(value->syntax)) {
    if (valueBytes != 0) {
      std::memcpy(data + nameBytes, value->value.string.ptr, valueBytes);
      v.value.string = smiOCTETS{value->value.string.len, data + nameBytes};
    }
  } else {
    v.value = value->value;
  }
  return SNMPAPI_SUCCESS;
}
