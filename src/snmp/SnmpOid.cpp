// OID helpers: dotted text in and out, copies and comparison.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpValues.h"

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isEmpty(const smiOID* oid) {
  return oid == nullptr || oid->len == 0 || oid->ptr == nullptr;
}

}  // namespace

SNMPAPI_STATUS SnmpStrToOid(const char* text, smiOID* out) {
  if (text == nullptr || out == nullptr) return SnmpSetError(0, SNMPAPI_OID_INVALID);
  out->len = 0;
  out->ptr = nullptr;
  size_t dots = 0;
  for (const char* p = text; *p != '\0'; ++p) dots += *p == '.' ? 1 : 0;
  if (dots == 0 && !isDigit(text[0])) return SnmpSetError(0, SNMPAPI_OID_INVALID);
  auto* ids = static_cast<smiUINT32*>(std::malloc((dots + 1) * sizeof(smiUINT32)));
  if (ids == nullptr) return SnmpSetError(0, SNMPAPI_ALLOC_ERROR);
  smiUINT32 count = 0;
  const char* p = text;
  while (*p != '\0') {
    if (*p == '.') ++p;
    // Every component needs a digit, and must fit 32 bits.
    uint64_t v = 0;
    const char* digits = p;
    for (; isDigit(*p); ++p) {
      v = v * 10 + static_cast<uint64_t>(*p - '0');
      if (v > 0xFFFFFFFFull) break;
    }
    if (p == digits || v > 0xFFFFFFFFull || (*p != '\0' && *p != '.')) {
      std::free(ids);
      return SnmpSetError(0, SNMPAPI_OID_INVALID);
    }
    ids[count++] = static_cast<smiUINT32>(v);
  }
  out->len = count;
  out->ptr = ids;
  return count;
}

SNMPAPI_STATUS SnmpOidToStr(const smiOID* oid, smiUINT32 size, char* buffer) {
  if (isEmpty(oid)) return SnmpSetError(0, SNMPAPI_OID_INVALID);
  if (buffer == nullptr || size == 0) return SnmpSetError(0, SNMPAPI_OUTPUT_TRUNCATED);
  size_t used = 0;
  for (smiUINT32 i = 0; i < oid->len; ++i) {
    char part[16];
    int n = std::snprintf(part, sizeof part, i == 0 ? "%u" : ".%u", oid->ptr[i]);
    if (used + static_cast<size_t>(n) + 1 > size) {
      buffer[used] = '\0';
      return SnmpSetError(0, SNMPAPI_OUTPUT_TRUNCATED);
    }
    std::memcpy(buffer + used, part, static_cast<size_t>(n));
    used += static_cast<size_t>(n);
  }
  buffer[used] = '\0';
  return static_cast<SNMPAPI_STATUS>(used + 1);
}

SNMPAPI_STATUS SnmpOidCopy(const smiOID* source, smiOID* copy) {
  if (isEmpty(source) || copy == nullptr) return SnmpSetError(0, SNMPAPI_OID_INVALID);
  SNMPAPI_STATUS rc = SnmpCopyOidInto(*source, copy);
  if (rc != SNMPAPI_SUCCESS) return SnmpSetError(0, rc);
  return copy->len;
}

SNMPAPI_STATUS SnmpOidCompare(const smiOID* a, const smiOID* b, smiUINT32 maxLength,
                              smiINT32* result) {
  if (isEmpty(a) || isEmpty(b)) return SnmpSetError(0, SNMPAPI_OID_INVALID);
  if (result == nullptr) return SnmpSetError(0, SNMPAPI_OTHER_ERROR);
  smiUINT32 n = a->len < b->len ? a->len : b->len;
  if (maxLength != 0 && maxLength < n) n = maxLength;
  for (smiUINT32 i = 0; i < n; ++i) {
    if (a->ptr[i] != b->ptr[i]) {
      *result = a->ptr[i] < b->ptr[i] ? -1 : 1;
      return SNMPAPI_SUCCESS;
    }
  }
  if (maxLength != 0 && n == maxLength) {
    *result = 0;
  } else {
    *result = a->len < b->len ? -1 : (a->len > b->len ? 1 : 0);
  }
  return SNMPAPI_SUCCESS;
}
