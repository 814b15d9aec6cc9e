// Backwards BER encoder: values are written from the end of the buffer towards its start, last
// element first, so each length is known by the time it is written.

#include <cstring>

#include "snmp/BerCodec.h"
#include "snmp/SnmpHandleTable.h"

namespace {

inline size_t roomLeft(const BerState* s) {
  return static_cast<size_t>(s->cursor - s->lower);
}

inline bool room(BerState* s, size_t n) {
  if (roomLeft(s) < n) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  return true;
}

inline bool putByte(BerState* s, uint8_t b) {
  if (!room(s, 1)) return false;
  *--s->cursor = b;
  return true;
}

bool putBlock(BerState* s, const uint8_t* data, size_t n) {
  if (n == 0) return true;
  if (!room(s, n)) return false;
  s->cursor -= n;
  std::memcpy(s->cursor, data, n);
  return true;
}

inline bool putTag(BerState* s, smiUINT32 tag) {
  if (tag > 0xFF || (tag & 0x1F) == 0x1F) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return putByte(s, static_cast<uint8_t>(tag));
}

bool putLongLength(BerState* s, size_t len) {
  uint8_t count = 0;
  for (; len != 0; len >>= 8, ++count) {
    if (!putByte(s, static_cast<uint8_t>(len & 0xFF))) return false;
  }
  return putByte(s, static_cast<uint8_t>(0x80 | count));
}

inline bool putLength(BerState* s, size_t len) {
  if (len < 0x80) return putByte(s, static_cast<uint8_t>(len));
  return putLongLength(s, len);
}

// Length and tag in front of the contents of length len just written.
inline bool putHeader(BerState* s, size_t len, smiUINT32 tag) {
  // Short length, valid tag and room for both: the usual case, written in one step.
  if (len < 0x80 && tag <= 0xFF && (tag & 0x1F) != 0x1F && roomLeft(s) >= 2) {
    s->cursor -= 2;
    s->cursor[0] = static_cast<uint8_t>(tag);
    s->cursor[1] = static_cast<uint8_t>(len);
    return true;
  }
  return putLength(s, len) && putTag(s, tag);
}

// Length and tag in front of the contents written since mark.
inline bool wrapPrimitive(BerState* s, const uint8_t* mark, smiUINT32 tag) {
  return putHeader(s, static_cast<size_t>(mark - s->cursor), tag);
}

inline bool openConstructed(BerState* s) {
  if (!BerPush(s)) return false;
  s->limit = s->cursor;
  s->form = kBerFormDefinite;
  return true;
}

inline bool closeConstructed(BerState* s, smiUINT32 tag) {
  if (s->top == 0) return BerFail(s, SNMPAPI_OTHER_ERROR);
  if (s->form == kBerFormIndefinite) {
    if (!putByte(s, 0x80) || !putTag(s, tag)) return false;
  } else if (!putHeader(s, static_cast<size_t>(s->limit - s->cursor), tag)) {
    return false;
  }
  return BerPop(s);
}

bool putSigned(BerState* s, smiUINT32 tag, int64_t v) {
  const uint8_t* mark = s->cursor;
  const int64_t sign = v < 0 ? -1 : 0;
  for (;;) {
    auto octet = static_cast<uint8_t>(v & 0xFF);
    if (!putByte(s, octet)) return false;
    v >>= 8;
    if (v == sign && (octet & 0x80) == (sign & 0x80)) break;
  }
  return wrapPrimitive(s, mark, tag);
}

bool putUnsigned(BerState* s, smiUINT32 tag, uint64_t v) {
  const uint8_t* mark = s->cursor;
  for (;;) {
    auto octet = static_cast<uint8_t>(v & 0xFF);
    if (!putByte(s, octet)) return false;
    v >>= 8;
    if (v == 0 && (octet & 0x80) == 0) break;
  }
  return wrapPrimitive(s, mark, tag);
}

bool putOctets(BerState* s, smiUINT32 tag, const uint8_t* data, size_t n) {
  if (n != 0 && data == nullptr) return BerFail(s, SNMPAPI_OTHER_ERROR);
  const uint8_t* mark = s->cursor;
  return putBlock(s, data, n) && wrapPrimitive(s, mark, tag);
}

bool putBits(BerState* s, const smiOCTETS& bits) {
  const size_t octets = (static_cast<size_t>(bits.len) + 7) / 8;
  if (octets != 0 && bits.ptr == nullptr) return BerFail(s, SNMPAPI_OTHER_ERROR);
  const uint8_t* mark = s->cursor;
  const auto unused = static_cast<uint8_t>(bits.len % 8 == 0 ? 0 : 8 - bits.len % 8);
  return putBlock(s, bits.ptr, octets) && putByte(s, unused) &&
         wrapPrimitive(s, mark, SNMP_SYNTAX_BITS);
}

size_t base128Length(uint64_t v) {
  size_t n = 1;
  for (v >>= 7; v != 0; v >>= 7) ++n;
  return n;
}

// Writes v in base 128 ending just below p; returns the new start.
inline uint8_t* writeBase128(uint8_t* p, uint64_t v) {
  *--p = static_cast<uint8_t>(v & 0x7F);
  for (v >>= 7; v != 0; v >>= 7) *--p = static_cast<uint8_t>(0x80 | (v & 0x7F));
  return p;
}

// Subidentifiers from the last to the third, below p; returns the new start.
inline uint8_t* writeSubids(uint8_t* p, const smiOID* oid) {
  const smiUINT32* ids = oid->ptr;
  smiUINT32 i = oid->len;
  while (i > 2) {
    // Four subidentifiers below 128 are narrowed to four octets at once.
    if (i - 2 >= 4) {
      const smiUINT32* q = ids + i - 4;
      if ((q[0] | q[1] | q[2] | q[3]) < 0x80) {
        p -= 4;
        for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(q[k]);
        i -= 4;
        continue;
      }
    }
    const smiUINT32 v = ids[--i];
    if (v < 0x80) {  // most subidentifiers are below 128
      *--p = static_cast<uint8_t>(v);
    } else {
      p = writeBase128(p, v);
    }
  }
  return p;
}

// A subidentifier takes at most 5 octets, the combined first value at most 6.
constexpr size_t kMaxFirstOctets = 6;
constexpr size_t kMaxSubidOctets = 5;

bool putOid(BerState* s, const smiOID* oid) {
  if (oid == nullptr || oid->len < 2 || oid->ptr == nullptr) {
    return BerFail(s, SNMPAPI_OID_INVALID);
  }
  // 64-bit arithmetic keeps an out-of-range first pair from wrapping.
  const uint64_t first = 40 * static_cast<uint64_t>(oid->ptr[0]) + oid->ptr[1];
  const uint8_t* mark = s->cursor;
  const size_t worst = kMaxFirstOctets + kMaxSubidOctets * (static_cast<size_t>(oid->len) - 2);
  if (roomLeft(s) < worst) {
    // Near the start of the buffer: measure first, so that a value that just fits is written
    // and one that does not fails before anything is written.
    size_t total = base128Length(first);
    for (smiUINT32 i = 2; i < oid->len; ++i) total += base128Length(oid->ptr[i]);
    if (!room(s, total)) return false;
  }
  s->cursor = writeBase128(writeSubids(s->cursor, oid), first);
  return wrapPrimitive(s, mark, SNMP_SYNTAX_OID);
}

bool putValue(BerState* s, const smiVALUE* v) {
  if (v == nullptr) return BerFail(s, SNMPAPI_OTHER_ERROR);
  switch (v->syntax) {
    case SNMP_SYNTAX_INT:
      return putSigned(s, v->syntax, v->value.sNumber);
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32:
      return putUnsigned(s, v->syntax, v->value.uNumber);
    case SNMP_SYNTAX_CNTR64:
      return putUnsigned(
          s, v->syntax,
          (static_cast<uint64_t>(v->value.hNumber.hipart) << 32) | v->value.hNumber.lopart);
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
      return putOctets(s, v->syntax, v->value.string.ptr, v->value.string.len);
    case SNMP_SYNTAX_BITS:
      return putBits(s, v->value.string);
    case SNMP_SYNTAX_OID:
      return putOid(s, &v->value.oid);
    case SNMP_SYNTAX_NULL:
    case SNMP_SYNTAX_NOSUCHOBJECT:
    case SNMP_SYNTAX_NOSUCHINSTANCE:
    case SNMP_SYNTAX_ENDOFMIBVIEW:
      return putByte(s, 0) && putTag(s, v->syntax);
    default:
      return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  }
}

bool putVarBindList(BerState* s, HSNMP_VBL handle) {
  const auto* vbl = SnmpLookupAs<SnmpVblObject>(handle, SNMP_OBJ_VBL);
  if (vbl == nullptr) return BerFail(s, SNMPAPI_ALLOC_ERROR);
  if (!openConstructed(s)) return false;
  for (smiUINT32 i = vbl->count; i-- > 0;) {
    const SnmpVarBind& vb = vbl->vb[i];
    if (!openConstructed(s) || !putValue(s, vb.value) || !putOid(s, vb.name) ||
        !closeConstructed(s, 0x30)) {
      return false;
    }
  }
  return closeConstructed(s, 0x30);
}

bool putTrapBody(BerState* s, const SnmpPduObject* pdu) {
  const smiOCTETS* agent = pdu->agentAddress;
  return putVarBindList(s, pdu->vbl) && putUnsigned(s, SNMP_SYNTAX_TIMETICKS, pdu->timeStamp) &&
         putSigned(s, SNMP_SYNTAX_INT, pdu->specificTrap) &&
         putSigned(s, SNMP_SYNTAX_INT, pdu->genericTrap) &&
         putOctets(s, SNMP_SYNTAX_IPADDR, agent ? agent->ptr : nullptr, agent ? agent->len : 0) &&
         putOid(s, pdu->enterprise);
}

bool putPdu(BerState* s, const SnmpPduObject* pdu) {
  if (pdu->type < SNMP_PDU_GET || pdu->type > SNMP_PDU_TRAP) {
    return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  }
  if (!openConstructed(s)) return false;
  if (pdu->type == SNMP_PDU_V1TRAP) {
    if (!putTrapBody(s, pdu)) return false;
  } else if (!putVarBindList(s, pdu->vbl) || !putSigned(s, SNMP_SYNTAX_INT, pdu->errorIndex) ||
             !putSigned(s, SNMP_SYNTAX_INT, pdu->errorStatus) ||
             !putSigned(s, SNMP_SYNTAX_INT, pdu->requestId)) {
    return false;
  }
  return closeConstructed(s, pdu->type);
}

}  // namespace

SNMPAPI_STATUS BerEncodeMessage(BerState* state, const SnmpPduObject* pdu,
                                const SnmpContextObject* community) {
  if (state == nullptr) return SNMPAPI_FAILURE;
  if (pdu == nullptr || community == nullptr || community->len > kSnmpMaxCommunity) {
    BerFail(state, SNMPAPI_OTHER_ERROR);
    return SNMPAPI_FAILURE;
  }
  const bool ok = openConstructed(state) && putPdu(state, pdu) &&
                  putOctets(state, SNMP_SYNTAX_OCTETS, community->octets, community->len) &&
                  putUnsigned(state, SNMP_SYNTAX_INT, 0) && closeConstructed(state, 0x30);
  return ok ? SNMPAPI_SUCCESS : SNMPAPI_FAILURE;
}
