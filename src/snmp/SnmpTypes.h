#pragma once
// Value types, codes and limits shared by the SNMP engine and its users. The names follow the
// WinSNMP interface so that callers read like any WinSNMP client.

#include <cstddef>
#include <cstdint>

using smiBYTE = uint8_t;
using smiINT32 = int32_t;
using smiUINT32 = uint32_t;
using smiLPBYTE = smiBYTE*;

using SNMPAPI_STATUS = smiUINT32;
using HSNMP_SESSION = smiUINT32;
using HSNMP_ENTITY = smiUINT32;
using HSNMP_CONTEXT = smiUINT32;
using HSNMP_PDU = smiUINT32;
using HSNMP_VBL = smiUINT32;

// Octet string (also bit strings, whose len counts bits). A zero length goes with a null pointer.
struct smiOCTETS {
  smiUINT32 len;
  smiLPBYTE ptr;
};

// Object identifier: len subidentifiers at ptr.
struct smiOID {
  smiUINT32 len;
  smiUINT32* ptr;
};

struct smiCNTR64 {
  smiUINT32 hipart;
  smiUINT32 lopart;
};

struct smiVALUE {
  smiUINT32 syntax;
  union {
    smiINT32 sNumber;
    smiUINT32 uNumber;
    smiCNTR64 hNumber;
    smiOCTETS string;
    smiOID oid;
    smiBYTE empty;
  } value;
};

// Value syntaxes; each equals its BER tag octet.
inline constexpr smiUINT32 SNMP_SYNTAX_INT = 0x02;
inline constexpr smiUINT32 SNMP_SYNTAX_BITS = 0x03;
inline constexpr smiUINT32 SNMP_SYNTAX_OCTETS = 0x04;
inline constexpr smiUINT32 SNMP_SYNTAX_NULL = 0x05;
inline constexpr smiUINT32 SNMP_SYNTAX_OID = 0x06;
inline constexpr smiUINT32 SNMP_SYNTAX_IPADDR = 0x40;
inline constexpr smiUINT32 SNMP_SYNTAX_CNTR32 = 0x41;
inline constexpr smiUINT32 SNMP_SYNTAX_GAUGE32 = 0x42;
inline constexpr smiUINT32 SNMP_SYNTAX_TIMETICKS = 0x43;
inline constexpr smiUINT32 SNMP_SYNTAX_OPAQUE = 0x44;
inline constexpr smiUINT32 SNMP_SYNTAX_NSAPADDR = 0x45;
inline constexpr smiUINT32 SNMP_SYNTAX_CNTR64 = 0x46;
inline constexpr smiUINT32 SNMP_SYNTAX_UINT32 = 0x47;
inline constexpr smiUINT32 SNMP_SYNTAX_NOSUCHOBJECT = 0x80;
inline constexpr smiUINT32 SNMP_SYNTAX_NOSUCHINSTANCE = 0x81;
inline constexpr smiUINT32 SNMP_SYNTAX_ENDOFMIBVIEW = 0x82;

// PDU types; each equals the PDU's context tag octet.
inline constexpr smiUINT32 SNMP_PDU_GET = 0xA0;
inline constexpr smiUINT32 SNMP_PDU_GETNEXT = 0xA1;
inline constexpr smiUINT32 SNMP_PDU_RESPONSE = 0xA2;
inline constexpr smiUINT32 SNMP_PDU_SET = 0xA3;
inline constexpr smiUINT32 SNMP_PDU_V1TRAP = 0xA4;
inline constexpr smiUINT32 SNMP_PDU_GETBULK = 0xA5;
inline constexpr smiUINT32 SNMP_PDU_INFORM = 0xA6;
inline constexpr smiUINT32 SNMP_PDU_TRAP = 0xA7;

// Result and last-error codes.
inline constexpr SNMPAPI_STATUS SNMPAPI_FAILURE = 0;
inline constexpr SNMPAPI_STATUS SNMPAPI_SUCCESS = 1;
inline constexpr SNMPAPI_STATUS SNMPAPI_ALLOC_ERROR = 2;
inline constexpr SNMPAPI_STATUS SNMPAPI_CONTEXT_INVALID = 3;
inline constexpr SNMPAPI_STATUS SNMPAPI_ENTITY_INVALID = 5;
inline constexpr SNMPAPI_STATUS SNMPAPI_ENTITY_UNKNOWN = 6;
inline constexpr SNMPAPI_STATUS SNMPAPI_INDEX_INVALID = 7;
inline constexpr SNMPAPI_STATUS SNMPAPI_OID_INVALID = 9;
inline constexpr SNMPAPI_STATUS SNMPAPI_OUTPUT_TRUNCATED = 11;
inline constexpr SNMPAPI_STATUS SNMPAPI_PDU_INVALID = 12;
inline constexpr SNMPAPI_STATUS SNMPAPI_SESSION_INVALID = 13;
inline constexpr SNMPAPI_STATUS SNMPAPI_SYNTAX_INVALID = 14;
inline constexpr SNMPAPI_STATUS SNMPAPI_VBL_INVALID = 15;
inline constexpr SNMPAPI_STATUS SNMPAPI_MODE_INVALID = 16;
inline constexpr SNMPAPI_STATUS SNMPAPI_NOT_INITIALIZED = 18;
inline constexpr SNMPAPI_STATUS SNMPAPI_MESSAGE_INVALID = 19;
inline constexpr SNMPAPI_STATUS SNMPAPI_OTHER_ERROR = 99;
inline constexpr SNMPAPI_STATUS SNMPAPI_TL_NOT_INITIALIZED = 100;
inline constexpr SNMPAPI_STATUS SNMPAPI_TL_NOT_SUPPORTED = 101;
inline constexpr SNMPAPI_STATUS SNMPAPI_TL_NOT_AVAILABLE = 102;

inline constexpr smiUINT32 SNMPAPI_UNTRANSLATED_V1 = 1;
inline constexpr smiUINT32 SNMPAPI_OFF = 0;
inline constexpr smiUINT32 SNMPAPI_ON = 1;

// Limits of the engine.
inline constexpr size_t kSnmpMaxMessage = 1408;   // encode buffer and receive buffer
inline constexpr size_t kSnmpMaxVarBinds = 32;    // varbinds in one list
inline constexpr size_t kSnmpMaxCommunity = 256;  // octets of one community
inline constexpr size_t kBerMaxNesting = 32;      // open constructed values
