// Edge cases of the BER codec's fast paths, checked against a small forward BER writer kept here:
// messages that end exactly at or one octet past the 1408-octet buffer with long OIDs written
// near its start, subidentifiers at every base-128 boundary, and long runs of decode / free /
// decode that recycle varbind blocks between messages of very different shapes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "snmp/BerCodec.h"
#include "snmp/SnmpHandleTable.h"
#include "snmp/SnmpObjects.h"
#include "snmp/SnmpTestSupport.h"
#include "snmp/SnmpValues.h"

namespace {

using namespace snmptest;
using Ids = std::vector<smiUINT32>;

constexpr smiUINT32 kMax32 = 0xFFFFFFFFu;

// ---- Reference writer: forward, straightforward, sharing nothing with the codec. ----

Bytes refBase128(uint64_t v) {
  Bytes groups;
  do {
    groups.insert(groups.begin(), static_cast<uint8_t>(v & 0x7F));
    v >>= 7;
  } while (v != 0);
  for (size_t i = 0; i + 1 < groups.size(); ++i) groups[i] |= 0x80;
  return groups;
}

Bytes refOidContents(const Ids& ids) {
  Bytes out = refBase128(40 * static_cast<uint64_t>(ids[0]) + ids[1]);
  for (size_t i = 2; i < ids.size(); ++i) {
    Bytes g = refBase128(ids[i]);
    out.insert(out.end(), g.begin(), g.end());
  }
  return out;
}

// Minimal two's complement of a 32-bit number: drop a leading octet while the next one carries
// the same sign.
Bytes refSigned(int32_t n) {
  const auto u = static_cast<uint32_t>(n);
  Bytes be{static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16),
           static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)};
  while (be.size() > 1 && ((be[0] == 0x00 && be[1] < 0x80) || (be[0] == 0xFF && be[1] >= 0x80))) {
    be.erase(be.begin());
  }
  return be;
}

Bytes refUnsigned(uint64_t v) {
  Bytes be;
  for (int shift = 56; shift >= 0; shift -= 8) be.push_back(static_cast<uint8_t>(v >> shift));
  while (be.size() > 1 && be[0] == 0) be.erase(be.begin());
  if (be[0] & 0x80) be.insert(be.begin(), 0x00);
  return be;
}

// One varbind value as the test holds it.
struct Val {
  smiUINT32 syntax = SNMP_SYNTAX_NULL;
  uint64_t number = 0;  // INT (as int32), the unsigned syntaxes, Counter64
  Bytes octets;         // octet syntaxes and bits
  smiUINT32 bits = 0;   // bit count for BITS
  Ids oid;              // syntax 6

  smiVALUE smi() {
    smiVALUE v{};
    v.syntax = syntax;
    switch (syntax) {
      case SNMP_SYNTAX_INT:
        v.value.sNumber = static_cast<smiINT32>(static_cast<uint32_t>(number));
        break;
      case SNMP_SYNTAX_CNTR64:
        v.value.hNumber =
            smiCNTR64{static_cast<smiUINT32>(number >> 32), static_cast<smiUINT32>(number)};
        break;
      case SNMP_SYNTAX_OID:
        v.value.oid = oidOf(oid);
        break;
      case SNMP_SYNTAX_BITS:
        v.value.string = smiOCTETS{bits, octets.empty() ? nullptr : octets.data()};
        break;
      case SNMP_SYNTAX_OCTETS:
      case SNMP_SYNTAX_IPADDR:
      case SNMP_SYNTAX_OPAQUE:
        v.value.string = smiOCTETS{static_cast<smiUINT32>(octets.size()),
                                   octets.empty() ? nullptr : octets.data()};
        break;
      case SNMP_SYNTAX_NULL:
        break;
      default:
        v.value.uNumber = static_cast<smiUINT32>(number);
        break;
    }
    return v;
  }

  Bytes ber() const {
    const auto tag = static_cast<uint8_t>(syntax);
    switch (syntax) {
      case SNMP_SYNTAX_INT:
        return tlv(tag, refSigned(static_cast<int32_t>(static_cast<uint32_t>(number))));
      case SNMP_SYNTAX_OID:
        return tlv(tag, refOidContents(oid));
      case SNMP_SYNTAX_BITS: {
        Bytes c{static_cast<uint8_t>(bits % 8 == 0 ? 0 : 8 - bits % 8)};
        c.insert(c.end(), octets.begin(), octets.end());
        return tlv(tag, c);
      }
      case SNMP_SYNTAX_OCTETS:
      case SNMP_SYNTAX_IPADDR:
      case SNMP_SYNTAX_OPAQUE:
        return tlv(tag, octets);
      case SNMP_SYNTAX_NULL:
        return {tag, 0x00};
      default:
        return tlv(tag, refUnsigned(number));
    }
  }
};

struct Vb {
  Ids name;
  Val value;
};

Val nullVal() {
  return Val{};
}

Val octetsVal(size_t n, uint8_t fill) {
  Val v;
  v.syntax = SNMP_SYNTAX_OCTETS;
  for (size_t i = 0; i < n; ++i) v.octets.push_back(static_cast<uint8_t>(fill + i * 7));
  return v;
}

Val oidVal(const Ids& ids) {
  Val v;
  v.syntax = SNMP_SYNTAX_OID;
  v.oid = ids;
  return v;
}

constexpr int32_t kRequestId = 0x1234567;

Bytes refMessage(const std::vector<Vb>& vbs) {
  Bytes list;
  for (const Vb& vb : vbs) {
    Bytes one = tlv(0x30, cat({tlv(0x06, refOidContents(vb.name)), vb.value.ber()}));
    list.insert(list.end(), one.begin(), one.end());
  }
  Bytes header = cat({tlv(0x02, refSigned(kRequestId)), tlv(0x02, {0}), tlv(0x02, {0})});
  return tlv(0x30, cat({tlv(0x02, {0}), tlv(0x04, str("public")),
                        tlv(static_cast<uint8_t>(SNMP_PDU_SET), cat({header, tlv(0x30, list)}))}));
}

// Compares a decoded varbind's own records (not copies) with what was sent.
void expectVarBind(const SnmpVarBind& got, const Vb& want, const std::string& where) {
  SCOPED_TRACE(where);
  ASSERT_NE(got.name, nullptr);
  ASSERT_NE(got.value, nullptr);
  EXPECT_EQ(idsOf(*got.name), want.name);
  const smiVALUE& v = *got.value;
  ASSERT_EQ(v.syntax, want.value.syntax);
  switch (v.syntax) {
    case SNMP_SYNTAX_INT:
      EXPECT_EQ(v.value.sNumber, static_cast<smiINT32>(static_cast<uint32_t>(want.value.number)));
      break;
    case SNMP_SYNTAX_CNTR64:
      EXPECT_EQ((uint64_t{v.value.hNumber.hipart} << 32) | v.value.hNumber.lopart,
                want.value.number);
      break;
    case SNMP_SYNTAX_OID:
      EXPECT_EQ(idsOf(v.value.oid), want.value.oid);
      break;
    case SNMP_SYNTAX_BITS:
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_IPADDR:
    case SNMP_SYNTAX_OPAQUE: {
      const size_t n = want.value.octets.size();
      EXPECT_EQ(v.value.string.len, v.syntax == SNMP_SYNTAX_BITS ? want.value.bits : n);
      if (n == 0) {
        EXPECT_EQ(v.value.string.ptr, nullptr);  // zero length goes with a null pointer
      } else {
        ASSERT_NE(v.value.string.ptr, nullptr);
        EXPECT_EQ(Bytes(v.value.string.ptr, v.value.string.ptr + n), want.value.octets);
      }
      break;
    }
    case SNMP_SYNTAX_NULL:
      break;
    default:
      EXPECT_EQ(v.value.uNumber, static_cast<smiUINT32>(want.value.number));
      break;
  }
}

class BerCodecEdgeTest : public EngineTest {
 protected:
  // Encodes a SET of the varbinds through the handle interface; every handle is given back.
  Bytes encodeVbs(std::vector<Vb> vbs) {
    HSNMP_VBL vbl = SnmpCreateVbl(session_, nullptr, nullptr);
    for (Vb& vb : vbs) {
      smiOID name = oidOf(vb.name);
      smiVALUE value = vb.value.smi();
      EXPECT_EQ(SnmpSetVb(vbl, 0, &name, &value), SNMPAPI_SUCCESS);
    }
    HSNMP_PDU pdu = SnmpCreatePdu(session_, SNMP_PDU_SET, kRequestId, 0, 0, vbl);
    HSNMP_CONTEXT ctx = community();
    // First the codec alone over a buffer with guard octets on both sides, so that a write
    // outside the 1408 octets is reported (even without a sanitizer) before the engine's own
    // encode, whose buffer is on its stack, is tried.
    constexpr size_t kGuard = 64;
    Bytes guarded(kGuard + kSnmpMaxMessage + kGuard, 0xE5);
    smiOCTETS buffer{static_cast<smiUINT32>(kSnmpMaxMessage), guarded.data() + kGuard};
    BerState ber;
    EXPECT_TRUE(BerInitEncoder(&ber, &buffer));
    const bool ok = BerEncodeMessage(&ber, SnmpLookupAs<SnmpPduObject>(pdu, SNMP_OBJ_PDU),
                                     SnmpLookupAs<SnmpContextObject>(ctx, SNMP_OBJ_CONTEXT));
    const bool intact = Bytes(guarded.begin(), guarded.begin() + kGuard) == Bytes(kGuard, 0xE5) &&
                        Bytes(guarded.end() - kGuard, guarded.end()) == Bytes(kGuard, 0xE5);
    EXPECT_TRUE(intact) << "the encoder wrote outside its buffer";
    Bytes out;
    if (intact) {
      out = encode(pdu, ctx);
      EXPECT_EQ(ok, !out.empty());
      if (ok) {
        smiOCTETS got{};
        BerGetEncoded(&ber, &got);
        EXPECT_EQ(Bytes(got.ptr, got.ptr + got.len), out);
      } else {
        EXPECT_EQ(BerGetError(&ber), lastError);
      }
    }
    SnmpFreeVbl(vbl);
    SnmpFreePdu(pdu);
    SnmpFreeContext(ctx);
    return out;
  }

  struct Decoded {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    HSNMP_VBL vbl = 0;
  };

  // Decodes and checks every field against vbs; the message stays alive for the caller to free.
  Decoded decodeAndCheck(const Bytes& msg, const std::vector<Vb>& vbs, const std::string& where) {
    SCOPED_TRACE(where);
    Decoded d;
    EXPECT_EQ(decode(msg, &d.ctx, &d.pdu), msg.size()) << "error " << lastError;
    if (d.pdu == 0) return d;
    const auto* pdu = SnmpLookupAs<SnmpPduObject>(d.pdu, SNMP_OBJ_PDU);
    EXPECT_EQ(pdu->type, SNMP_PDU_SET);
    EXPECT_EQ(pdu->requestId, kRequestId);
    EXPECT_EQ(pdu->errorStatus, 0);
    EXPECT_EQ(pdu->errorIndex, 0);
    d.vbl = pdu->vbl;
    const auto* ctx = SnmpLookupAs<SnmpContextObject>(d.ctx, SNMP_OBJ_CONTEXT);
    EXPECT_EQ(Bytes(ctx->octets, ctx->octets + ctx->len), str("public"));
    const auto* vbl = SnmpLookupAs<SnmpVblObject>(d.vbl, SNMP_OBJ_VBL);
    EXPECT_EQ(vbl->count, vbs.size());
    for (size_t i = 0; i < vbs.size() && i < vbl->count; ++i) {
      expectVarBind(vbl->vb[i], vbs[i], "varbind " + std::to_string(i + 1));
    }
    return d;
  }

  static void release(const Decoded& d) {
    SnmpFreeVbl(d.vbl);
    SnmpFreePdu(d.pdu);
    SnmpFreeContext(d.ctx);
  }
};

// ---- Subidentifier boundaries and first-pair forms, encoded and decoded byte for byte. ----

struct OidCase {
  Ids ids;
  Bytes contents;  // written out by hand
  Ids decoded;     // what a receiver makes of the contents; empty: refused with 11
};

TEST_F(BerCodecEdgeTest, OidBoundaryTable) {
  const std::vector<OidCase> table{
      {{0, 0}, {0x00}, {0, 0}},
      {{0, 39}, {0x27}, {0, 39}},
      {{1, 0}, {0x28}, {1, 0}},
      {{1, 39}, {0x4F}, {1, 39}},
      {{2, 0}, {0x50}, {2, 0}},
      // No range check on the first pair: these are written as given and read back as 40x+y.
      {{0, 40}, {0x28}, {1, 0}},
      {{1, 40}, {0x50}, {2, 0}},
      {{3, 0}, {0x78}, {2, 40}},
      {{2, 47}, {0x7F}, {2, 47}},
      {{2, 48}, {0x81, 0x00}, {2, 48}},
      {{2, 16303}, {0xFF, 0x7F}, {2, 16303}},
      {{2, 16304}, {0x81, 0x80, 0x00}, {2, 16304}},
      {{2, kMax32 - 80}, {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, {2, kMax32 - 80}},
      {{2, kMax32}, {0x90, 0x80, 0x80, 0x80, 0x4F}, {2, kMax32}},
      // A first value past 2^32 + 79 cannot be read back into 32-bit subidentifiers.
      {{kMax32, kMax32}, {0x85, 0x8F, 0xFF, 0xFF, 0xFF, 0x57}, {}},
      {{1, 3, 0, 127, 128, 16383, 16384, 2097151, 2097152, 268435455, 268435456, kMax32},
       {0x2B, 0x00, 0x7F, 0x81, 0x00, 0xFF, 0x7F, 0x81, 0x80, 0x00, 0xFF,
        0xFF, 0x7F, 0x81, 0x80, 0x80, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x81,
        0x80, 0x80, 0x80, 0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F},
       {1, 3, 0, 127, 128, 16383, 16384, 2097151, 2097152, 268435455, 268435456, kMax32}},
      // Runs of one-octet subidentifiers of 3, 4, 7 and 8 with a longer one before or after.
      {{1, 3, 1, 2, 3, 16384}, {0x2B, 0x01, 0x02, 0x03, 0x81, 0x80, 0x00}, {1, 3, 1, 2, 3, 16384}},
      {{1, 3, 128, 1, 2, 3, 4},
       {0x2B, 0x81, 0x00, 0x01, 0x02, 0x03, 0x04},
       {1, 3, 128, 1, 2, 3, 4}},
      {{1, 3, 1, 2, 3, 4, 5, 6, 7, 127},
       {0x2B, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x7F},
       {1, 3, 1, 2, 3, 4, 5, 6, 7, 127}},
      {{1, 3, 1, 2, 3, 4, 5, 6, 7, 128},
       {0x2B, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x81, 0x00},
       {1, 3, 1, 2, 3, 4, 5, 6, 7, 128}},
      {{1, 3, 128, 1, 2, 3, 4, 5, 6, 7, 8},
       {0x2B, 0x81, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08},
       {1, 3, 128, 1, 2, 3, 4, 5, 6, 7, 8}},
      {{1, 3, kMax32, 268435456, 2097152, 16384, 128},
       {0x2B, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x80, 0x80, 0x80,
        0x00, 0x81, 0x80, 0x80, 0x00, 0x81, 0x80, 0x00, 0x81, 0x00},
       {1, 3, kMax32, 268435456, 2097152, 16384, 128}},
  };
  const Ids shortName{1, 3, 6, 1, 2, 1, 1, 3, 0};
  for (const OidCase& c : table) {
    SCOPED_TRACE(::testing::PrintToString(c.ids));
    ASSERT_EQ(refOidContents(c.ids), c.contents);  // the reference writer agrees with the table
    // The OID as a varbind name and as a value, each encoded byte-exact.
    std::vector<Vb> vbs{{c.ids, nullVal()}, {shortName, oidVal(c.ids)}};
    EXPECT_EQ(encodeVbs(vbs), refMessage(vbs));
    // Decoding the same contents gives the subidentifiers back, or refuses the oversized first.
    std::vector<Vb> back{{c.decoded, nullVal()}, {shortName, oidVal(c.decoded)}};
    Bytes received = refMessage(vbs);
    if (c.decoded.empty()) {
      EXPECT_EQ(decodeError(received), SNMPAPI_OUTPUT_TRUNCATED);
    } else {
      release(decodeAndCheck(received, back, "decode"));
    }
  }
}

// ---- Messages that end exactly at the end of the encode buffer, or one octet past it. ----

// head, then cycle over and over up to total subidentifiers, then tail.
Ids repeated(Ids head, size_t total, const Ids& cycle, const Ids& tail = {}) {
  for (size_t i = 0; head.size() + tail.size() < total; ++i)
    head.push_back(cycle[i % cycle.size()]);
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(BerCodecEdgeTest, LongOidsNearTheStartOfAFullBuffer) {
  const Ids boundaries{0, 127, 128, 16383, 16384, 2097151, 2097152, 268435455, 268435456, kMax32};
  struct Case {
    const char* what;
    Ids oid;
  };
  const std::vector<Case> cases{
      {"128 subidentifiers of five octets", repeated({2, kMax32}, 128, {kMax32})},
      {"worst case exactly: six-octet first value", repeated({kMax32, kMax32}, 128, {268435456})},
      {"128 subidentifiers at every boundary", repeated({1, 3}, 128, boundaries)},
      {"127 one-octet subidentifiers and a five-octet one",
       repeated({1, 3}, 128, {1, 2, 3, 127}, {kMax32})},
      {"65 three-octet subidentifiers", repeated({1, 3}, 65, {16384, 2097151})},
      {"two subidentifiers", {2, kMax32}},
      {"seven subidentifiers", {1, 3, 6, 1, 4, 1, kMax32}},
  };
  for (const Case& c : cases) {
    const bool readable = 40 * uint64_t{c.oid[0]} + c.oid[1] <= uint64_t{kMax32} + 80;
    const size_t oidOctets = refOidContents(c.oid).size() + 4;
    const size_t copies = std::max<size_t>(1, std::min<size_t>(4, 1300 / oidOctets));
    // Layouts: the long OID as the names of the first varbinds, or as the first varbind's value;
    // the last varbind's octet string is sized to land the message on each length tried.
    for (int layout = 0; layout < 2; ++layout) {
      std::vector<Vb> vbs;
      if (layout == 0) {
        for (size_t i = 0; i < copies; ++i) vbs.push_back({c.oid, nullVal()});
      } else {
        vbs.push_back({{1, 3, 6, 1, 2, 1, 1, 2, 0}, oidVal(c.oid)});
        if (copies > 1) vbs.push_back({c.oid, nullVal()});
      }
      vbs.push_back({{1, 3, 6, 1, 4, 1, 9999, 1}, octetsVal(0, 0)});
      // Past 1408 the sweep goes on until the shortfall is larger than everything in front of
      // the padding, so that the encoder runs out of room at every point of the long OIDs.
      const size_t stop = refMessage(vbs).size() + kSnmpMaxMessage + 8;
      bool hit1408 = false;
      bool hit1409 = false;
      for (size_t pad = 0; pad < 2 * kSnmpMaxMessage; ++pad) {
        vbs.back().value = octetsVal(pad, static_cast<uint8_t>(pad));
        Bytes expected = refMessage(vbs);
        if (expected.size() < kSnmpMaxMessage - 6) continue;
        if (expected.size() > stop) break;
        SCOPED_TRACE(std::string(c.what) + ", layout " + std::to_string(layout) + ", " +
                     std::to_string(expected.size()) + " octets");
        Bytes msg = encodeVbs(vbs);
        if (expected.size() <= kSnmpMaxMessage) {
          EXPECT_EQ(msg, expected);
          hit1408 |= expected.size() == kSnmpMaxMessage;
          if (expected.size() == kSnmpMaxMessage && readable) {
            release(decodeAndCheck(msg, vbs, "round trip"));
          }
        } else {
          EXPECT_TRUE(msg.empty());
          EXPECT_EQ(lastError, SNMPAPI_OUTPUT_TRUNCATED);
          hit1409 |= expected.size() == kSnmpMaxMessage + 1;
        }
      }
      EXPECT_TRUE(hit1408 && hit1409) << c.what << ", layout " << layout;
    }
  }
}

// ---- Decode, free, decode again: recycled varbind blocks must come back clean. ----

// Deterministic values of varied size; raw mt19937 output is the same on every platform.
class Shapes {
 public:
  explicit Shapes(uint32_t seed) : rng_(seed) {}
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }

  smiUINT32 subid() {
    static const smiUINT32 pick[] = {0,       1,       127,       128,       16383,  16384,
                                     2097151, 2097152, 268435455, 268435456, kMax32, 42};
    return below(3) != 0 ? below(128) : pick[below(12)];
  }

  Ids oid(size_t maxLen) {
    Ids ids{below(3), below(40)};
    const size_t len = 2 + below(static_cast<uint32_t>(maxLen - 1));
    while (ids.size() < len) ids.push_back(subid());
    return ids;
  }

  // Long messages use octet strings around the sizes where blocks stop being pooled; short ones
  // use small values only, so that they land in blocks a long one has just left behind.
  Val value(bool large) {
    static const size_t sizes[] = {100, 110, 113, 114, 115, 116, 120, 128, 200, 420, 440, 450,
                                   460, 464, 470, 480, 500, 511, 512, 513, 520, 600, 1000};
    Val v;
    switch (below(large ? 3 : 8)) {
      case 0:
        return octetsVal(large ? sizes[below(23)] : below(6), static_cast<uint8_t>(rng_()));
      case 1:
        return oidVal(oid(large ? 128 : 4));
      case 2:
        v.syntax = SNMP_SYNTAX_BITS;
        v.bits = below(large ? 2000 : 20);
        for (size_t i = 0; i < (v.bits + 7) / 8; ++i)
          v.octets.push_back(static_cast<uint8_t>(rng_()));
        if (v.bits % 8 != 0) v.octets.back() &= static_cast<uint8_t>(0xFF << (8 - v.bits % 8));
        return v;
      case 3:
        v.syntax = SNMP_SYNTAX_INT;
        v.number = rng_();
        return v;
      case 4:
        v.syntax = SNMP_SYNTAX_CNTR64;
        v.number = (uint64_t{rng_()} << 32) | rng_();
        return v;
      case 5:
        v.syntax = SNMP_SYNTAX_IPADDR;
        v.octets = {10, 0, static_cast<uint8_t>(below(256)), 1};
        return v;
      case 6:
        v.syntax = SNMP_SYNTAX_GAUGE32;
        v.number = rng_() >> below(32);
        return v;
      default:
        return nullVal();
    }
  }

  // Varbinds, as many as fit in one encode buffer (at most 32).
  std::vector<Vb> message(bool large) {
    std::vector<Vb> vbs;
    const size_t want = 1 + below(32);
    while (vbs.size() < want) {
      vbs.push_back({oid(large ? 128 : 12), value(large)});
      if (refMessage(vbs).size() > kSnmpMaxMessage) {
        vbs.pop_back();
        if (!vbs.empty()) break;
      }
    }
    return vbs;
  }

 private:
  std::mt19937 rng_;
};

TEST_F(BerCodecEdgeTest, RecycledVarBindBlocksCarryNothingOver) {
  Shapes shapes(20240611);
  std::deque<Decoded> live;  // a few messages stay alive so that the pool empties and refills
  for (int round = 0; round < 400; ++round) {
    const bool large = round % 2 == 0;
    std::vector<Vb> vbs = shapes.message(large);
    const std::string where = "round " + std::to_string(round);
    Bytes expected = refMessage(vbs);
    // Encoding builds the list from recycled blocks too.
    ASSERT_EQ(encodeVbs(vbs), expected) << where;
    live.push_back(decodeAndCheck(expected, vbs, where));
    if (::testing::Test::HasFailure()) return;
    if (live.size() > shapes.below(4)) {
      release(live.front());
      live.pop_front();
    }
  }
  for (const Decoded& d : live) release(d);
}

// A list full of short values right after a list full of long ones, in the same blocks.
TEST_F(BerCodecEdgeTest, ShortValuesAfterLongOnesInTheSameBlocks) {
  std::vector<Vb> full;
  std::vector<Vb> sparse;
  for (smiUINT32 i = 0; i < kSnmpMaxVarBinds; ++i) {
    full.push_back({{1, 3, 6, 1, 4, 1, 16384 + i, 1, 2, 3, 4, 5}, octetsVal(9, 0xA0)});
    sparse.push_back({{1, 3, 6, 1, 4, 1, i}, i % 2 == 0 ? octetsVal(i % 4, 0x11) : nullVal()});
  }
  for (int round = 0; round < 8; ++round) {
    release(decodeAndCheck(refMessage(full), full, "full " + std::to_string(round)));
    release(decodeAndCheck(refMessage(sparse), sparse, "sparse " + std::to_string(round)));
    ASSERT_EQ(encodeVbs(full), refMessage(full));
    ASSERT_EQ(encodeVbs(sparse), refMessage(sparse));
  }
}

// Varbinds of indefinite length have no length of their own to size their block from: each gets
// room for its name and value, not for the rest of the datagram (which, for every such varbind of
// a 64 KiB datagram, came to megabytes).
TEST_F(BerCodecEdgeTest, IndefiniteVarBindsGetRoomForTheirOwnContentsOnly) {
  constexpr size_t kSmall = 30;
  const Bytes text(60000, 'x');
  Bytes list;
  const Bytes small = cat({{0x30, 0x80}, tlv(0x06, sysUpTimeOid()), {0x05, 0x00, 0x00, 0x00}});
  for (size_t i = 0; i < kSmall; ++i) list = cat({list, small});
  list = cat({list, {0x30, 0x80}, tlv(0x06, sysUpTimeOid()), tlv(0x04, text), {0x00, 0x00}});
  const Bytes msg = cat({{0x30, 0x80},
                         tlv(0x02, {0}),
                         tlv(0x04, str("public")),
                         {0xA2, 0x80},
                         tlv(0x02, {1}),
                         tlv(0x02, {0}),
                         tlv(0x02, {0}),
                         {0x30, 0x80},
                         list,
                         {0, 0, 0, 0, 0, 0}});
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  ASSERT_NE(decode(msg, &ctx, &pdu), 0u) << lastError;
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
  const auto* decoded = SnmpLookupAs<SnmpVblObject>(vbl, SNMP_OBJ_VBL);
  ASSERT_NE(decoded, nullptr);
  ASSERT_EQ(decoded->count, kSmall + 1);
  for (size_t i = 0; i < kSmall; ++i) EXPECT_LE(SnmpVarBindRoom(decoded->vb[i]), 512u) << i;
  EXPECT_LE(SnmpVarBindRoom(decoded->vb[kSmall]), (text.size() + sysUpTimeOid().size() + 2) * 4);
  EXPECT_EQ(decoded->vb[kSmall].value->value.string.len, text.size());
  // A name that is no OID fails as before, with nothing sized from it.
  Bytes bad = msg;
  bad[bad.size() - 6 - text.size() - 4 - 2 - 10] = 0x04;  // the big varbind's name tag
  EXPECT_EQ(decodeError(bad), SNMPAPI_MESSAGE_INVALID);
  SnmpFreeVbl(vbl);
  SnmpFreePdu(pdu);
  SnmpFreeContext(ctx);
}

}  // namespace
