#pragma once
// Deep copies and releases of the engine's heap records (smiOID, smiVALUE, varbinds). Blocks come
// from malloc and go back with free, so SnmpFreeDescriptor releases what the decoder made.

#include <cstddef>
#include <cstdint>

#include "snmp/SnmpObjects.h"
#include "snmp/SnmpTypes.h"

// Inline: the decoder asks once per value.
inline bool SnmpSyntaxKnown(smiUINT32 syntax) {
  switch (syntax) {
    case SNMP_SYNTAX_INT:
    case SNMP_SYNTAX_BITS:
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_NULL:
    case SNMP_SYNTAX_OID:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
    case SNMP_SYNTAX_CNTR64:
    case SNMP_SYNTAX_UINT32:
    case SNMP_SYNTAX_NOSUCHOBJECT:
    case SNMP_SYNTAX_NOSUCHINSTANCE:
    case SNMP_SYNTAX_ENDOFMIBVIEW:
      return true;
    default:
      return false;
  }
}

bool SnmpSyntaxHasOctets(smiUINT32 syntax);  // 3, 4, 64, 68, 69
// Octets held by an octets or bits value (bits count bits).
smiUINT32 SnmpValueOctetCount(const smiVALUE& value);

// Copies src's subidentifiers into dst (a new array). 1, or 2 when out of memory.
SNMPAPI_STATUS SnmpCopyOidInto(const smiOID& src, smiOID* dst);
// Copies src into dst (a new block for octets or subidentifiers). 1, 2, or 14 for an unknown
// syntax.
SNMPAPI_STATUS SnmpCopyValueInto(const smiVALUE& src, smiVALUE* dst);

void SnmpFreeOidContents(smiOID* oid);
void SnmpFreeValueContents(smiVALUE* value);
void SnmpFreeOidRecord(smiOID* oid);        // contents and the record
void SnmpFreeValueRecord(smiVALUE* value);  // contents and the record
// A varbind is one block: its name record, its value record, then room for the subidentifiers and
// octets they point to. One allocation per varbind keeps decoding cheap; SnmpFreeVarBind frees it.
// Returns the start of the data room (dataSize octets, aligned for subidentifiers), or null.
uint8_t* SnmpAllocVarBind(size_t dataSize, SnmpVarBind* out);
void SnmpFreeVarBind(SnmpVarBind* vb);
// The data room of a varbind's block (what a decoder asked for, or the pooled size above it).
size_t SnmpVarBindRoom(const SnmpVarBind& vb);
// Gives the blocks that freed varbinds left for reuse back to the allocator.
void SnmpDrainVarBindPool();

// A new heap varbind with deep copies of name and value: 1, 2, 9 (no name), 14, 99 (no value).
SNMPAPI_STATUS SnmpMakeVarBind(const smiOID* name, const smiVALUE* value, SnmpVarBind* out);
