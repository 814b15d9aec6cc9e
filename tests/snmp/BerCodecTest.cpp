// Byte-exact encodings, decoding tables (bytes in -> value or error out) and round trips of the
// BER codec, driven through the engine's encode and decode functions.

#include <gtest/gtest.h>

#include "snmp/BerCodec.h"
#include "snmp/SnmpTestSupport.h"

namespace {

using namespace snmptest;

class BerCodecTest : public EngineTest {
 protected:
  // The varbind value of a one-varbind message encoded with value v: the message's last octets.
  Bytes encodedValue(const smiVALUE& v, size_t valueLength) {
    Bytes msg = encode(pduWith(SNMP_PDU_SET, 7, {v}));
    if (msg.size() < valueLength) return {};
    return Bytes(msg.end() - static_cast<long>(valueLength), msg.end());
  }

  // Decodes a one-varbind Response and copies its value out.
  smiVALUE decodedValue(const Bytes& value) {
    HSNMP_CONTEXT ctx = 0;
    HSNMP_PDU pdu = 0;
    smiVALUE out{};
    if (decode(response(varbind(sysUpTimeOid(), value)), &ctx, &pdu) == 0) return out;
    HSNMP_VBL vbl = 0;
    SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
    smiOID name{};
    EXPECT_EQ(SnmpGetVb(vbl, 1, &name, &out), SNMPAPI_SUCCESS);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &name);
    return out;
  }
};

TEST_F(BerCodecTest, GetRequestEncodesByteExact) {
  Bytes msg = encode(pduWith(SNMP_PDU_GET, 1, {nullValue()}));
  Bytes expected{0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',  0xA0,
                 0x19, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0E, 0x30, 0x0C,
                 0x06, 0x08, 0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x03, 0x00, 0x05, 0x00};
  EXPECT_EQ(msg, expected);
}

TEST_F(BerCodecTest, IntegersUseMinimalTwosComplement) {
  EXPECT_EQ(encodedValue(intValue(0), 3), (Bytes{0x02, 0x01, 0x00}));
  EXPECT_EQ(encodedValue(intValue(-1), 3), (Bytes{0x02, 0x01, 0xFF}));
  EXPECT_EQ(encodedValue(intValue(127), 3), (Bytes{0x02, 0x01, 0x7F}));
  EXPECT_EQ(encodedValue(intValue(128), 4), (Bytes{0x02, 0x02, 0x00, 0x80}));
  EXPECT_EQ(encodedValue(intValue(-128), 3), (Bytes{0x02, 0x01, 0x80}));
  EXPECT_EQ(encodedValue(intValue(-129), 4), (Bytes{0x02, 0x02, 0xFF, 0x7F}));
  EXPECT_EQ(encodedValue(intValue(INT32_MIN), 6), (Bytes{0x02, 0x04, 0x80, 0x00, 0x00, 0x00}));
}

TEST_F(BerCodecTest, UnsignedNumbersGetALeadingZeroWhenTheTopBitIsSet) {
  EXPECT_EQ(encodedValue(unsignedValue(SNMP_SYNTAX_CNTR32, 4294967295u), 7),
            (Bytes{0x41, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(encodedValue(unsignedValue(SNMP_SYNTAX_TIMETICKS, 0), 3), (Bytes{0x43, 0x01, 0x00}));
  EXPECT_EQ(encodedValue(unsignedValue(SNMP_SYNTAX_GAUGE32, 0x80), 4),
            (Bytes{0x42, 0x02, 0x00, 0x80}));
  smiVALUE c64{};
  c64.syntax = SNMP_SYNTAX_CNTR64;
  c64.value.hNumber = smiCNTR64{0x80000000u, 1};
  EXPECT_EQ(encodedValue(c64, 11),
            (Bytes{0x46, 0x09, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}));
}

TEST_F(BerCodecTest, LengthsAroundTheShortFormLimit) {
  for (auto [size, header] : {std::pair<size_t, Bytes>{127, {0x04, 0x7F}},
                              {128, {0x04, 0x81, 0x80}},
                              {300, {0x04, 0x82, 0x01, 0x2C}}}) {
    Bytes octets(size, 0x5A);
    Bytes value = encodedValue(octetsValue(SNMP_SYNTAX_OCTETS, octets), size + header.size());
    ASSERT_EQ(value.size(), size + header.size());
    EXPECT_EQ(Bytes(value.begin(), value.begin() + static_cast<long>(header.size())), header);
  }
}

TEST_F(BerCodecTest, BitsCarryTheUnusedBitCount) {
  Bytes bits{0xA5, 0xC0};
  smiVALUE v = octetsValue(SNMP_SYNTAX_BITS, bits);
  v.value.string.len = 10;  // bits, not octets
  EXPECT_EQ(encodedValue(v, 5), (Bytes{0x03, 0x03, 0x06, 0xA5, 0xC0}));
}

TEST_F(BerCodecTest, OidFirstPairAndBase128Groups) {
  std::vector<smiUINT32> ids{1, 3, 6, 1, 4, 1, 16384, 4294967295u};
  smiVALUE v{};
  v.syntax = SNMP_SYNTAX_OID;
  v.value.oid = oidOf(ids);
  EXPECT_EQ(encodedValue(v, 15), (Bytes{0x06, 0x0D, 0x2B, 0x06, 0x01, 0x04, 0x01, 0x81, 0x80, 0x00,
                                        0x8F, 0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST_F(BerCodecTest, OidOfOneSubidentifierIsRefusedWith9) {
  std::vector<smiUINT32> ids{1};
  smiVALUE v{};
  v.syntax = SNMP_SYNTAX_OID;
  v.value.oid = oidOf(ids);
  EXPECT_TRUE(encode(pduWith(SNMP_PDU_SET, 7, {v})).empty());
  EXPECT_EQ(lastError, SNMPAPI_OID_INVALID);
}

TEST_F(BerCodecTest, MessageOfExactly1408OctetsFitsAndOneMoreIsRefusedWith11) {
  Bytes probe(1300, 'x');
  size_t probeSize = encode(pduWith(SNMP_PDU_SET, 7, {octetsValue(4, probe)})).size();
  ASSERT_GT(probeSize, 1300u);
  Bytes exact(1300 + 1408 - probeSize, 'x');
  EXPECT_EQ(encode(pduWith(SNMP_PDU_SET, 7, {octetsValue(4, exact)})).size(), 1408u);
  Bytes over(exact.size() + 1, 'x');
  EXPECT_TRUE(encode(pduWith(SNMP_PDU_SET, 7, {octetsValue(4, over)})).empty());
  EXPECT_EQ(lastError, SNMPAPI_OUTPUT_TRUNCATED);
}

TEST_F(BerCodecTest, EveryValueSyntaxRoundTrips) {
  Bytes text = str("GigabitEthernet0/0/1");
  Bytes addr{192, 168, 1, 20};
  Bytes empty;
  std::vector<smiUINT32> ids{1, 3, 6, 1, 4, 1, 2699, 1, 70000};
  smiVALUE oid{};
  oid.syntax = SNMP_SYNTAX_OID;
  oid.value.oid = oidOf(ids);
  smiVALUE c64{};
  c64.syntax = SNMP_SYNTAX_CNTR64;
  c64.value.hNumber = smiCNTR64{0xFFFFFFFFu, 0x12345678u};
  std::vector<smiVALUE> values{intValue(-129),
                               intValue(INT32_MAX),
                               unsignedValue(SNMP_SYNTAX_CNTR32, 0xFFFFFFFFu),
                               unsignedValue(SNMP_SYNTAX_GAUGE32, 5),
                               unsignedValue(SNMP_SYNTAX_TIMETICKS, 123456),
                               unsignedValue(SNMP_SYNTAX_UINT32, 0x80000000u),
                               octetsValue(SNMP_SYNTAX_OCTETS, text),
                               octetsValue(SNMP_SYNTAX_OCTETS, empty),
                               octetsValue(SNMP_SYNTAX_IPADDR, addr),
                               octetsValue(SNMP_SYNTAX_OPAQUE, text),
                               octetsValue(SNMP_SYNTAX_NSAPADDR, addr),
                               oid,
                               c64,
                               nullValue(),
                               unsignedValue(SNMP_SYNTAX_NOSUCHOBJECT, 0),
                               unsignedValue(SNMP_SYNTAX_NOSUCHINSTANCE, 0),
                               unsignedValue(SNMP_SYNTAX_ENDOFMIBVIEW, 0)};
  Bytes msg = encode(pduWith(SNMP_PDU_RESPONSE, 99, values));
  ASSERT_FALSE(msg.empty());
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  ASSERT_EQ(decode(msg, &ctx, &pdu), msg.size());
  smiUINT32 type = 0;
  smiINT32 id = 0;
  HSNMP_VBL vbl = 0;
  ASSERT_EQ(SnmpGetPduData(pdu, &type, &id, nullptr, nullptr, &vbl), SNMPAPI_SUCCESS);
  EXPECT_EQ(type, SNMP_PDU_RESPONSE);
  EXPECT_EQ(id, 99);
  ASSERT_EQ(SnmpCountVbl(vbl), values.size());
  for (smiUINT32 i = 0; i < values.size(); ++i) {
    smiOID name{};
    smiVALUE got{};
    ASSERT_EQ(SnmpGetVb(vbl, i + 1, &name, &got), SNMPAPI_SUCCESS);
    const smiVALUE& want = values[i];
    EXPECT_EQ(got.syntax, want.syntax) << i;
    if (want.syntax == SNMP_SYNTAX_OID) {
      EXPECT_EQ(idsOf(got.value.oid), ids);
    } else if (want.syntax == SNMP_SYNTAX_OCTETS || want.syntax == SNMP_SYNTAX_IPADDR ||
               want.syntax == SNMP_SYNTAX_OPAQUE || want.syntax == SNMP_SYNTAX_NSAPADDR) {
      ASSERT_EQ(got.value.string.len, want.value.string.len) << i;
      EXPECT_EQ(got.value.string.ptr == nullptr, want.value.string.len == 0);
      if (want.value.string.len != 0) {
        EXPECT_EQ(0,
                  std::memcmp(got.value.string.ptr, want.value.string.ptr, want.value.string.len));
      }
    } else if (want.syntax == SNMP_SYNTAX_CNTR64) {
      EXPECT_EQ(got.value.hNumber.hipart, want.value.hNumber.hipart);
      EXPECT_EQ(got.value.hNumber.lopart, want.value.hNumber.lopart);
    } else if (want.syntax == SNMP_SYNTAX_INT) {
      EXPECT_EQ(got.value.sNumber, want.value.sNumber) << i;
    } else if (want.syntax >= SNMP_SYNTAX_CNTR32 && want.syntax <= SNMP_SYNTAX_UINT32) {
      EXPECT_EQ(got.value.uNumber, want.value.uNumber) << i;
    }
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &name);
    SnmpFreeDescriptor(got.syntax, got.syntax == SNMP_SYNTAX_OID
                                       ? static_cast<void*>(&got.value.oid)
                                       : static_cast<void*>(&got.value.string));
  }
}

TEST_F(BerCodecTest, DecodedNumbersFollowTheOctetCountRule) {
  EXPECT_EQ(decodedValue({0x02, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}).value.uNumber, 0xFFFFFFFFu);
  EXPECT_EQ(decodedValue({0x02, 0x02, 0xFF, 0x7F}).value.sNumber, -129);
  EXPECT_EQ(decodedValue({0x02, 0x02, 0x00, 0x80}).value.sNumber, 128);
  EXPECT_EQ(decodedValue({0x41, 0x01, 0x80}).value.uNumber, 128u);
  smiVALUE c64 = decodedValue({0x46, 0x09, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 1});
  EXPECT_EQ(c64.value.hNumber.hipart, 0xFF000000u);
  EXPECT_EQ(c64.value.hNumber.lopart, 1u);
  smiVALUE bits = decodedValue({0x03, 0x03, 0x06, 0xA5, 0xC0});
  EXPECT_EQ(bits.syntax, SNMP_SYNTAX_BITS);
  EXPECT_EQ(bits.value.string.len, 10u);
  SnmpFreeDescriptor(SNMP_SYNTAX_BITS, &bits.value.string);
}

TEST_F(BerCodecTest, ReceivedOidWith65SubidentifiersDecodesInFull) {
  Bytes contents{0x2B};
  for (int i = 0; i < 63; ++i) contents.push_back(static_cast<uint8_t>(i % 100));
  smiVALUE v = decodedValue(tlv(0x06, contents));
  ASSERT_EQ(v.syntax, SNMP_SYNTAX_OID);
  ASSERT_EQ(v.value.oid.len, 65u);
  EXPECT_EQ(v.value.oid.ptr[0], 1u);
  EXPECT_EQ(v.value.oid.ptr[1], 3u);
  EXPECT_EQ(v.value.oid.ptr[64], 62u);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &v.value.oid);
  smiVALUE big = decodedValue({0x06, 0x03, 0x81, 0x00, 0x05});  // first value 128: 2.48
  ASSERT_EQ(big.value.oid.len, 3u);
  EXPECT_EQ(big.value.oid.ptr[0], 2u);
  EXPECT_EQ(big.value.oid.ptr[1], 48u);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &big.value.oid);
}

struct BadInput {
  const char* what;
  Bytes bytes;
  SNMPAPI_STATUS error;
};

Bytes oneVarbind(const Bytes& value) {
  return response(varbind(sysUpTimeOid(), value));
}

Bytes varbinds(int n) {
  Bytes list;
  for (int i = 0; i < n; ++i) {
    Bytes vb = varbind(sysUpTimeOid(), {0x05, 0x00});
    list.insert(list.end(), vb.begin(), vb.end());
  }
  return list;
}

TEST_F(BerCodecTest, DecodingTable) {
  Bytes longCommunity(257, 'c');
  Bytes maxCommunity(256, 'c');
  Bytes header = cat({tlv(0x02, {1}), tlv(0x02, {0}), tlv(0x02, {0})});
  const std::vector<BadInput> table{
      {"good message", oneVarbind({0x05, 0x00}), SNMPAPI_SUCCESS},
      {"version 1", response(varbinds(1), 0xA2, {1}), SNMPAPI_MESSAGE_INVALID},
      {"32 varbinds", response(varbinds(32)), SNMPAPI_SUCCESS},
      {"33 varbinds", response(varbinds(33)), SNMPAPI_OUTPUT_TRUNCATED},
      {"integer of five significant octets", oneVarbind({0x02, 0x05, 0x01, 0, 0, 0, 0}),
       SNMPAPI_OUTPUT_TRUNCATED},
      {"integer without contents", oneVarbind({0x02, 0x00}), SNMPAPI_OUTPUT_TRUNCATED},
      {"counter64 of nine significant octets", oneVarbind({0x46, 0x09, 1, 0, 0, 0, 0, 0, 0, 0, 0}),
       SNMPAPI_OUTPUT_TRUNCATED},
      {"NULL with a contents octet", oneVarbind({0x05, 0x01, 0x00}), SNMPAPI_MESSAGE_INVALID},
      {"OID with empty contents", oneVarbind({0x06, 0x00}), SNMPAPI_OUTPUT_TRUNCATED},
      {"OID ending inside a subidentifier", oneVarbind({0x06, 0x02, 0x2B, 0x81}),
       SNMPAPI_OUTPUT_TRUNCATED},
      {"OID subidentifier over 32 bits",
       oneVarbind({0x06, 0x06, 0x2B, 0x90, 0x80, 0x80, 0x80, 0x00}), SNMPAPI_OUTPUT_TRUNCATED},
      {"unknown syntax", oneVarbind({0x48, 0x00}), SNMPAPI_MESSAGE_INVALID},
      {"high tag number form", oneVarbind({0x1F, 0x01, 0x00}), SNMPAPI_MESSAGE_INVALID},
      {"unknown PDU type", response(varbinds(1), 0xA8), SNMPAPI_MESSAGE_INVALID},
      {"bits with 8 unused", oneVarbind({0x03, 0x02, 0x08, 0xFF}), SNMPAPI_MESSAGE_INVALID},
      {"bits with unused but no octet", oneVarbind({0x03, 0x01, 0x03}), SNMPAPI_MESSAGE_INVALID},
      {"long length past the end",
       {0x30, 0x82, 0x01, 0x00, 0x02, 0x01, 0x00},
       SNMPAPI_OUTPUT_TRUNCATED},
      {"length of five octets",
       {0x30, 0x85, 0x00, 0x00, 0x00, 0x00, 0x01, 0x05},
       SNMPAPI_OUTPUT_TRUNCATED},
      {"no input", {}, SNMPAPI_OUTPUT_TRUNCATED},
      {"not a sequence", {0x31, 0x00}, SNMPAPI_MESSAGE_INVALID},
      {"contents left over in a varbind",
       response(tlv(0x30, cat({tlv(0x06, sysUpTimeOid()), {0x05, 0x00, 0x05, 0x00}}))),
       SNMPAPI_MESSAGE_INVALID},
      {"request id with the wrong tag",
       tlv(0x30,
           cat({tlv(0x02, {0}), tlv(0x04, str("public")),
                tlv(0xA2, cat({tlv(0x04, {1}), tlv(0x02, {0}), tlv(0x02, {0}), tlv(0x30, {})}))})),
       SNMPAPI_MESSAGE_INVALID},
      {"community of 256 octets",
       tlv(0x30,
           cat({tlv(0x02, {0}), tlv(0x04, maxCommunity), tlv(0xA2, cat({header, tlv(0x30, {})}))})),
       SNMPAPI_SUCCESS},
      {"community of 257 octets",
       tlv(0x30, cat({tlv(0x02, {0}), tlv(0x04, longCommunity),
                      tlv(0xA2, cat({header, tlv(0x30, {})}))})),
       SNMPAPI_OUTPUT_TRUNCATED},
      {"indefinite lengths",
       cat({{0x30, 0x80},
            tlv(0x02, {0}),
            tlv(0x04, str("public")),
            {0xA2, 0x80},
            header,
            {0x30, 0x80},
            varbind(sysUpTimeOid(), {0x05, 0x00}),
            {0, 0, 0, 0, 0, 0}}),
       SNMPAPI_SUCCESS},
      {"indefinite length with a bad end marker",
       cat({{0x30, 0x80},
            tlv(0x02, {0}),
            tlv(0x04, str("public")),
            tlv(0xA2, cat({header, tlv(0x30, {})})),
            {0x00, 0x01}}),
       SNMPAPI_MESSAGE_INVALID},
  };
  for (const BadInput& row : table) EXPECT_EQ(decodeError(row.bytes), row.error) << row.what;
}

TEST_F(BerCodecTest, ReceivedCommunityIsCopiedWholeUpTo256Octets) {
  Bytes community(256, 'k');
  Bytes header = cat({tlv(0x02, {1}), tlv(0x02, {0}), tlv(0x02, {0})});
  Bytes msg = tlv(
      0x30, cat({tlv(0x02, {0}), tlv(0x04, community), tlv(0xA2, cat({header, tlv(0x30, {})}))}));
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  ASSERT_EQ(decode(msg, &ctx, &pdu), msg.size());
  smiOCTETS text{};
  ASSERT_EQ(SnmpContextToStr(ctx, &text), SNMPAPI_SUCCESS);
  EXPECT_EQ(Bytes(text.ptr, text.ptr + text.len), community);
  SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &text);
}

TEST_F(BerCodecTest, EveryTruncationOfAGoodMessageFailsCleanly) {
  Bytes text(200, 't');
  Bytes msg = encode(pduWith(SNMP_PDU_RESPONSE, 3, {octetsValue(4, text), intValue(-5)}));
  for (size_t n = 0; n < msg.size(); ++n) {
    EXPECT_NE(decodeError(Bytes(msg.begin(), msg.begin() + static_cast<long>(n))), SNMPAPI_SUCCESS)
        << n;
  }
}

// Every length of a message under 128 octets takes the one-octet form and so the decoder's quick
// paths (sequence, PDU, varbind, primitive), which the long value above never reaches. A cut at
// any octet must fail; under the sanitizers a read past the copy would stop the test.
TEST_F(BerCodecTest, EveryTruncationOfAShortFormMessageFailsCleanly) {
  Bytes text = str("abc");
  Bytes msg = encode(pduWith(SNMP_PDU_RESPONSE, 3, {octetsValue(4, text), intValue(-5)}));
  ASSERT_LT(msg.size(), 128u);
  ASSERT_EQ(msg[1], msg.size() - 2);  // the outer length is in short form too
  for (size_t n = 0; n < msg.size(); ++n) {
    // An exact-size copy on the heap, so that one octet too many is an overflow ASan sees.
    Bytes cut(msg.begin(), msg.begin() + static_cast<long>(n));
    cut.shrink_to_fit();
    EXPECT_NE(decodeError(cut), SNMPAPI_SUCCESS) << n;
  }
  EXPECT_EQ(decodeError(msg), SNMPAPI_SUCCESS);
}

// Inside a whole message, the last value's one-octet length claims one octet more than its
// enclosing value holds: the quick paths of a primitive and of a varbind must refuse it rather
// than read the octet after the message.
TEST_F(BerCodecTest, ShortFormLengthOneBeyondTheEnclosingValueFails) {
  auto longer = [](uint8_t tag, const Bytes& contents) {
    Bytes out{tag, static_cast<uint8_t>(contents.size() + 1)};
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
  };
  const Bytes name = tlv(0x06, sysUpTimeOid());
  const Bytes cases[] = {
      response(tlv(0x30, cat({name, longer(0x02, {0x05})}))),
      response(tlv(0x30, cat({name, longer(0x04, str("ab"))}))),
      response(longer(0x30, cat({name, tlv(0x02, {0x05})}))),
      // Both: a varbind taken one octet too long would let its value read past the message.
      response(longer(0x30, cat({name, longer(0x02, {0x05})}))),
  };
  for (const Bytes& msg : cases) {
    Bytes exact(msg);
    exact.shrink_to_fit();
    EXPECT_NE(decodeError(exact), SNMPAPI_SUCCESS);
  }
}

TEST_F(BerCodecTest, FailedDecodesGiveTheirHandlesBack) {
  // Far more failures than the table has slots: none may leak a context, PDU or list.
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(decodeError(response(varbinds(33))), SNMPAPI_OUTPUT_TRUNCATED);
  }
  EXPECT_NE(community(), 0u);
}

TEST(BerStateTest, NestingDeeperThan32AndUnbalancedClosesAre99) {
  uint8_t buffer[8];
  smiOCTETS out{sizeof buffer, buffer};
  BerState* state = BerOpenEncoder(&out);
  ASSERT_NE(state, nullptr);
  for (size_t i = 0; i < kBerMaxNesting; ++i) ASSERT_TRUE(BerPush(state));
  EXPECT_FALSE(BerPush(state));
  EXPECT_EQ(BerGetError(state), SNMPAPI_OTHER_ERROR);
  BerClose(state);

  state = BerOpenDecoder(&out);
  EXPECT_FALSE(BerPop(state));
  EXPECT_EQ(BerGetError(state), SNMPAPI_OTHER_ERROR);
  BerClose(state);
}

TEST(BerStateTest, DecodeErrorsReportWhereTheyHappened) {
  uint8_t bytes[] = {0x30, 0x03, 0x02, 0x01, 0x01};  // version 1 at offset 2
  smiOCTETS in{sizeof bytes, bytes};
  BerState* state = BerOpenDecoder(&in);
  SnmpPduObject pdu{};
  SnmpContextObject ctx{};
  EXPECT_EQ(BerDecodeMessage(state, &pdu, &ctx), SNMPAPI_FAILURE);
  EXPECT_EQ(BerGetError(state), SNMPAPI_MESSAGE_INVALID);
  EXPECT_EQ(BerGetErrorOffset(state), 5u);
  BerClose(state);
}

}  // namespace
