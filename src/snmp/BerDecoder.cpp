// Forward BER decoder over a bounded cursor: no read goes past the limit of the value being read,
// and every length is checked against what is left of its enclosing value before it is trusted.

#include <cstdlib>
#include <cstring>

#include "snmp/BerCodec.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpValues.h"

namespace {

// Room inside a varbind's block for the subidentifiers and octets it points to; a null arena
// means a separate exact-size block.
struct Arena {
  uint8_t* next;
  uint8_t* end;
};

void* take(BerState* s, Arena* arena, size_t bytes) {
  if (arena == nullptr) {
    void* block = std::malloc(bytes);
    if (block == nullptr) BerFail(s, SNMPAPI_ALLOC_ERROR);
    return block;
  }
  // The block was sized from the varbind's length, so this cannot run out.
  if (static_cast<size_t>(arena->end - arena->next) < bytes) {
    BerFail(s, SNMPAPI_OTHER_ERROR);
    return nullptr;
  }
  void* p = arena->next;
  arena->next += (bytes + 3) & ~size_t{3};
  return p;
}

inline size_t left(const BerState* s) {
  return static_cast<size_t>(s->limit - s->cursor);
}

bool getByte(BerState* s, uint8_t* out) {
  if (left(s) < 1) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  *out = *s->cursor++;
  return true;
}

// Reads tag and length and enters the value: its limit becomes the current limit. Any form.
bool openValueSlow(BerState* s, uint8_t* tag) {
  if (!getByte(s, tag)) return false;
  if ((*tag & 0x1F) == 0x1F) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  uint8_t first = 0;
  if (!getByte(s, &first)) return false;
  bool indefinite = first == 0x80;
  uint64_t length = first;
  if (first > 0x80) {
    length = 0;
    for (uint8_t count = first & 0x7F; count > 0; --count) {
      uint8_t octet = 0;
      if (!getByte(s, &octet)) return false;
      length = (length << 8) | octet;
      // Anything past what is left can never fit; stopping here also keeps the sum from wrapping.
      if (length > left(s)) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
    }
  }
  if (!BerPush(s)) return false;
  if (indefinite) {
    s->form = kBerFormIndefinite;
    return true;
  }
  if (length > left(s)) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  s->limit = s->cursor + length;
  s->form = kBerFormDefinite;
  return true;
}

// Nearly every value of a message has a one-octet length, so that case is read in one step.
inline bool openValue(BerState* s, uint8_t* tag) {
  const size_t avail = left(s);
  if (avail < 2 || s->cursor[1] >= 0x80) return openValueSlow(s, tag);
  const uint8_t t = s->cursor[0];
  if ((t & 0x1F) == 0x1F) {
    ++s->cursor;
    return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  }
  const size_t length = s->cursor[1];
  s->cursor += 2;
  *tag = t;
  if (!BerPush(s)) return false;
  if (length > avail - 2) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  s->limit = s->cursor + length;
  s->form = kBerFormDefinite;
  return true;
}

inline bool openExpected(BerState* s, uint8_t expected) {
  uint8_t tag = 0;
  if (!openValue(s, &tag)) return false;
  if (tag != expected) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return true;
}

bool closeIndefinite(BerState* s) {
  uint8_t a = 0;
  uint8_t b = 0;
  if (!getByte(s, &a)) return false;
  if (a != 0) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  if (!getByte(s, &b)) return false;
  if (b != 0) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return BerPop(s);
}

inline bool closeValue(BerState* s) {
  if (s->form == kBerFormIndefinite) return closeIndefinite(s);
  if (s->cursor != s->limit) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return BerPop(s);
}

size_t indefiniteContentsLength(const BerState* s) {
  const size_t n = left(s);
  for (size_t i = 0; i + 1 < n; ++i) {
    if (s->cursor[i] == 0 && s->cursor[i + 1] == 0) return i;
  }
  return n;
}

// Contents of an open primitive value: to its limit, or to the first 00 00 pair when indefinite.
inline size_t contentsLength(const BerState* s) {
  if (s->form != kBerFormIndefinite) return left(s);
  return indefiniteContentsLength(s);
}

// An open primitive value: its tag and the length of its contents, which start at the cursor.
struct Primitive {
  uint8_t tag;
  bool framed;  // entered with a frame on the stack (long or indefinite length)
  size_t n;
  const uint8_t* end;  // where the contents end
};

// A primitive with a one-octet length is not entered as a frame: its contents are read to
// exactly that length, so its limit is never needed, and the check that closes it is made
// against its end. A message nests five deep at most, so the frame it skips could never have
// overflowed the stack. Any other length takes the general path.
inline bool openPrimitive(BerState* s, Primitive* v) {
  const size_t avail = left(s);
  if (avail >= 2 && s->cursor[1] < 0x80) {
    const uint8_t t = s->cursor[0];
    if ((t & 0x1F) == 0x1F) {
      ++s->cursor;
      return BerFail(s, SNMPAPI_MESSAGE_INVALID);
    }
    const size_t length = s->cursor[1];
    s->cursor += 2;
    if (length > avail - 2) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
    *v = Primitive{t, false, length, s->cursor + length};
    return true;
  }
  if (!openValueSlow(s, &v->tag)) return false;
  v->framed = true;
  v->n = contentsLength(s);
  v->end = s->cursor + v->n;
  return true;
}

inline bool openPrimitiveExpected(BerState* s, uint8_t expected, Primitive* v) {
  if (!openPrimitive(s, v)) return false;
  if (v->tag != expected) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return true;
}

inline bool closePrimitive(BerState* s, const Primitive& v) {
  if (v.framed) return closeValue(s);
  if (s->cursor != v.end) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  return true;
}

// Two's complement (isSigned) or unsigned number of at most maxOctets significant octets in the
// n octets at the cursor; a leading 00 is not counted.
bool readNumber(BerState* s, size_t n, bool isSigned, size_t maxOctets, uint64_t* out) {
  if (n == 0) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  const uint8_t* p = s->cursor;
  const size_t counted = p[0] == 0 ? n - 1 : n;
  if (counted > maxOctets) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  uint64_t v =
      isSigned ? static_cast<uint64_t>(static_cast<int64_t>(static_cast<int8_t>(p[0]))) : p[0];
  for (size_t i = 1; i < n; ++i) v = (v << 8) | p[i];
  s->cursor += n;
  *out = v;
  return true;
}

bool readInt(BerState* s, uint8_t tag, smiINT32* out) {
  Primitive p{};
  uint64_t v = 0;
  if (!openPrimitiveExpected(s, tag, &p) || !readNumber(s, p.n, true, 4, &v)) return false;
  *out = static_cast<smiINT32>(static_cast<smiUINT32>(v));
  return closePrimitive(s, p);
}

bool readUnsigned(BerState* s, uint8_t tag, smiUINT32* out) {
  Primitive p{};
  uint64_t v = 0;
  if (!openPrimitiveExpected(s, tag, &p) || !readNumber(s, p.n, false, 4, &v)) return false;
  *out = static_cast<smiUINT32>(v);
  return closePrimitive(s, p);
}

// Copies the contents into new room (null for none).
bool readBlock(BerState* s, size_t n, smiOCTETS* out, Arena* arena) {
  out->len = 0;
  out->ptr = nullptr;
  if (n == 0) return true;
  auto* block = static_cast<smiLPBYTE>(take(s, arena, n));
  if (block == nullptr) return false;
  std::memcpy(block, s->cursor, n);
  s->cursor += n;
  out->len = static_cast<smiUINT32>(n);
  out->ptr = block;
  return true;
}

bool readBits(BerState* s, size_t n, smiOCTETS* out, Arena* arena) {
  if (n == 0) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  const uint8_t unused = *s->cursor;
  // Unused bits beyond one octet, or with no octet to hold them, would give a negative length.
  if (unused > 7 || (n == 1 && unused != 0)) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  ++s->cursor;
  if (!readBlock(s, n - 1, out, arena)) return false;
  out->len = static_cast<smiUINT32>(8 * (n - 1) - unused);
  return true;
}

// One subidentifier of two or more octets starting at p (the caller has made sure that a final
// octet follows). A subidentifier is 32 bits (the first value carries up to 80 more): refuse
// rather than wrap. Returns the octet after it, or null with the cursor at the failing octet.
const uint8_t* readLongSubid(BerState* s, const uint8_t* p, uint64_t* out) {
  uint64_t v = 0;
  uint8_t octet = 0;
  do {
    octet = *p++;
    v = (v << 7) | (octet & 0x7F);
    if (v > 0xFFFFFFFFull + 80) {
      s->cursor = const_cast<uint8_t*>(p);
      BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
      return nullptr;
    }
  } while (octet & 0x80);
  *out = v;
  return p;
}

// Contents of an OID into oid, in one pass. n octets end at most n values, and the first value
// gives two subidentifiers, so room for n + 1 is enough and the array is sized once.
[[gnu::always_inline]] inline bool readOidContents(BerState* s, size_t n, smiOID* oid,
                                                   Arena* arena) {
  if (n == 0) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  const uint8_t* p = s->cursor;
  const uint8_t* const end = p + n;
  if (end[-1] & 0x80) {  // the last value never ends
    s->cursor += n;
    return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  }
  auto* ids = static_cast<smiUINT32*>(take(s, arena, (n + 1) * sizeof(smiUINT32)));
  if (ids == nullptr) return false;
  oid->ptr = ids;
  oid->len = 0;
  smiUINT32* out = ids;
  // Every value, the last one included, ends inside the contents (checked above), so the loops
  // below need no bound other than end.
  uint64_t v = *p;
  if (v < 0x80) {
    ++p;
  } else if ((p = readLongSubid(s, p, &v)) == nullptr) {
    return false;
  }
  const uint64_t top = v < 40 ? 0 : (v < 80 ? 1 : 2);
  *out++ = static_cast<smiUINT32>(top);
  v -= 40 * top;
  if (v > 0xFFFFFFFFull) {
    s->cursor = const_cast<uint8_t*>(p);
    oid->len = 1;
    return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  }
  *out++ = static_cast<smiUINT32>(v);
  while (p < end) {
    // Most subidentifiers are below 128, one octet each: eight such octets are widened at once.
    if (end - p >= 8) {
      uint64_t word = 0;
      std::memcpy(&word, p, sizeof word);
      if ((word & 0x8080808080808080ull) == 0) {
        for (int k = 0; k < 8; ++k) out[k] = p[k];
        out += 8;
        p += 8;
        continue;
      }
    }
    const uint8_t octet = *p;
    if (octet < 0x80) {
      *out++ = octet;
      ++p;
      continue;
    }
    if ((p = readLongSubid(s, p, &v)) == nullptr) {
      oid->len = static_cast<smiUINT32>(out - ids);
      return false;
    }
    if (v > 0xFFFFFFFFull) {
      s->cursor = const_cast<uint8_t*>(p);
      oid->len = static_cast<smiUINT32>(out - ids);
      return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
    }
    *out++ = static_cast<smiUINT32>(v);
  }
  s->cursor = const_cast<uint8_t*>(end);
  oid->len = static_cast<smiUINT32>(out - ids);
  return true;
}

bool readOid(BerState* s, smiOID* oid, Arena* arena) {
  Primitive p{};
  return openPrimitiveExpected(s, SNMP_SYNTAX_OID, &p) && readOidContents(s, p.n, oid, arena) &&
         closePrimitive(s, p);
}

bool readValueContents(BerState* s, uint8_t tag, size_t n, smiVALUE* v, Arena* arena) {
  uint64_t number = 0;
  switch (tag) {
    case SNMP_SYNTAX_INT:
      if (!readNumber(s, n, true, 4, &number)) return false;
      v->value.sNumber = static_cast<smiINT32>(static_cast<smiUINT32>(number));
      return true;
    case SNMP_SYNTAX_CNTR32:
    case SNMP_SYNTAX_GAUGE32:
    case SNMP_SYNTAX_TIMETICKS:
    case SNMP_SYNTAX_UINT32:
      if (!readNumber(s, n, false, 4, &number)) return false;
      v->value.uNumber = static_cast<smiUINT32>(number);
      return true;
    case SNMP_SYNTAX_CNTR64:
      if (!readNumber(s, n, false, 8, &number)) return false;
      v->value.hNumber.hipart = static_cast<smiUINT32>(number >> 32);
      v->value.hNumber.lopart = static_cast<smiUINT32>(number);
      return true;
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_OPAQUE:
    case SNMP_SYNTAX_NSAPADDR:
      return readBlock(s, n, &v->value.string, arena);
    case SNMP_SYNTAX_BITS:
      return readBits(s, n, &v->value.string, arena);
    case SNMP_SYNTAX_OID:
      return readOidContents(s, n, &v->value.oid, arena);
    case SNMP_SYNTAX_NULL:
    case SNMP_SYNTAX_NOSUCHOBJECT:
    case SNMP_SYNTAX_NOSUCHINSTANCE:
    case SNMP_SYNTAX_ENDOFMIBVIEW:
      return true;  // any contents fail the close
    default:
      return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  }
}

bool readValue(BerState* s, smiVALUE* v, Arena* arena) {
  Primitive p{};
  if (!openPrimitive(s, &p)) return false;
  if (!SnmpSyntaxKnown(p.tag)) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  // The syntax is set before any block is attached, so a partial value is freed correctly.
  v->syntax = p.tag;
  return readValueContents(s, p.tag, p.n, v, arena) && closePrimitive(s, p);
}

// The room a varbind that has been entered needs: n octets of contents hold at most n + 1
// subidentifiers, or n octets of data. A definite varbind's own length bounds its name and value;
// an indefinite one has none, and sizing it from what is left of the message would give every
// such varbind of a datagram room for the whole datagram: so its name's and value's lengths are
// read first, on a copy of the state. False (with the state of the failure) when they cannot be.
bool varBindRoom(BerState* s, size_t* room) {
  if (s->form != kBerFormIndefinite) {
    *room = (left(s) + 2) * sizeof(smiUINT32);
    return true;
  }
  BerState probe = *s;
  Primitive name{};
  Primitive value{};
  bool sized = openPrimitiveExpected(&probe, SNMP_SYNTAX_OID, &name);
  if (sized) {
    probe.cursor += name.n;
    sized = closePrimitive(&probe, name) && openPrimitive(&probe, &value);
  }
  if (!sized) {
    *s = probe;
    return false;
  }
  *room = (name.n + value.n + 2) * sizeof(smiUINT32);
  return true;
}

// Name and value of a varbind that has been entered; a new block holds both.
bool readVarBindContents(BerState* s, SnmpVblObject* vbl) {
  size_t room = 0;
  if (!varBindRoom(s, &room)) return false;
  SnmpVarBind& vb = vbl->vb[vbl->count];
  uint8_t* data = SnmpAllocVarBind(room, &vb);
  if (data == nullptr) return BerFail(s, SNMPAPI_ALLOC_ERROR);
  ++vbl->count;  // attached now, so that a failure below leaves it to the list's owner
  Arena arena{data, data + room};
  return readOid(s, vb.name, &arena) && readValue(s, vb.value, &arena);
}

bool readVarBind(BerState* s, SnmpVblObject* vbl) {
  if (vbl->count >= kSnmpMaxVarBinds) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  // A varbind with a one-octet length keeps the enclosing limit and form here rather than on
  // the stack (the list is the fourth level, so the stack could not have been full).
  const size_t avail = left(s);
  if (avail >= 2 && s->cursor[0] == 0x30 && s->cursor[1] < 0x80) {
    const size_t length = s->cursor[1];
    s->cursor += 2;
    if (length > avail - 2) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
    uint8_t* const outerLimit = s->limit;
    const uint16_t outerForm = s->form;
    s->limit = s->cursor + length;
    s->form = kBerFormDefinite;
    if (!readVarBindContents(s, vbl)) return false;
    if (s->cursor != s->limit) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
    s->limit = outerLimit;
    s->form = outerForm;
    return true;
  }
  return openExpected(s, 0x30) && readVarBindContents(s, vbl) && closeValue(s);
}

bool atEndOfList(const BerState* s) {
  if (s->form != kBerFormIndefinite) return s->cursor >= s->limit;
  return left(s) == 0 || (left(s) >= 2 && s->cursor[0] == 0 && s->cursor[1] == 0);
}

bool readVarBindList(BerState* s, SnmpPduObject* pdu) {
  pdu->vbl = SnmpCreateVbl(pdu->session, nullptr, nullptr);
  auto* vbl = SnmpLookupAs<SnmpVblObject>(pdu->vbl, SNMP_OBJ_VBL);
  if (vbl == nullptr) return BerFail(s, SNMPAPI_ALLOC_ERROR);
  if (!openExpected(s, 0x30)) return false;
  while (!atEndOfList(s)) {
    if (!readVarBind(s, vbl)) return false;
  }
  return closeValue(s);
}

bool readTrapHeader(BerState* s, SnmpPduObject* pdu) {
  pdu->enterprise = static_cast<smiOID*>(std::calloc(1, sizeof(smiOID)));
  pdu->agentAddress = static_cast<smiOCTETS*>(std::calloc(1, sizeof(smiOCTETS)));
  if (pdu->enterprise == nullptr || pdu->agentAddress == nullptr) {
    return BerFail(s, SNMPAPI_ALLOC_ERROR);
  }
  if (!readOid(s, pdu->enterprise, nullptr)) return false;
  Primitive address{};
  if (!openPrimitiveExpected(s, SNMP_SYNTAX_IPADDR, &address) ||
      !readBlock(s, address.n, pdu->agentAddress, nullptr) || !closePrimitive(s, address)) {
    return false;
  }
  return readInt(s, SNMP_SYNTAX_INT, &pdu->genericTrap) &&
         readInt(s, SNMP_SYNTAX_INT, &pdu->specificTrap) &&
         readUnsigned(s, SNMP_SYNTAX_TIMETICKS, &pdu->timeStamp);
}

bool readPdu(BerState* s, SnmpPduObject* pdu) {
  uint8_t tag = 0;
  if (!openValue(s, &tag)) return false;
  if (tag < SNMP_PDU_GET || tag > SNMP_PDU_TRAP) return BerFail(s, SNMPAPI_MESSAGE_INVALID);
  pdu->type = tag;
  if (tag == SNMP_PDU_V1TRAP) {
    if (!readTrapHeader(s, pdu)) return false;
  } else if (!readInt(s, SNMP_SYNTAX_INT, &pdu->requestId) ||
             !readInt(s, SNMP_SYNTAX_INT, &pdu->errorStatus) ||
             !readInt(s, SNMP_SYNTAX_INT, &pdu->errorIndex)) {
    return false;
  }
  return readVarBindList(s, pdu) && closeValue(s);
}

// The community goes into a fixed 256-octet field: a longer one is refused, nothing is copied.
bool readCommunity(BerState* s, SnmpContextObject* community) {
  Primitive p{};
  if (!openPrimitiveExpected(s, SNMP_SYNTAX_OCTETS, &p)) return false;
  if (p.n > kSnmpMaxCommunity) return BerFail(s, SNMPAPI_OUTPUT_TRUNCATED);
  if (p.n != 0) std::memcpy(community->octets, s->cursor, p.n);
  s->cursor += p.n;
  community->len = static_cast<smiUINT32>(p.n);
  return closePrimitive(s, p);
}

}  // namespace

SNMPAPI_STATUS BerDecodeMessage(BerState* state, SnmpPduObject* pdu, SnmpContextObject* community) {
  if (state == nullptr) return SNMPAPI_FAILURE;
  if (pdu == nullptr || community == nullptr) {
    BerFail(state, SNMPAPI_OTHER_ERROR);
    return SNMPAPI_FAILURE;
  }
  smiINT32 version = -1;
  bool ok = openExpected(state, 0x30) && readInt(state, SNMP_SYNTAX_INT, &version);
  if (ok && version != 0) ok = BerFail(state, SNMPAPI_MESSAGE_INVALID);
  ok = ok && readCommunity(state, community) && readPdu(state, pdu) && closeValue(state);
  return ok ? SNMPAPI_SUCCESS : SNMPAPI_FAILURE;
}
