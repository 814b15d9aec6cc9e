// The handle interface: table limits, PDUs and request ids, contexts, varbind lists, OID helpers,
// the Trap-v1 rewrite, and send/receive through a loopback transport.

#include <gtest/gtest.h>

#include <deque>

#include "platform/MessagePoster.h"
#include "snmp/SnmpEngineTransports.h"
#include "snmp/SnmpTestSupport.h"

namespace {

using namespace snmptest;

// A transport that hands every sent message back on the next receive.
struct Loopback {
  static std::deque<Bytes>& queue() {
    static std::deque<Bytes> q;
    return q;
  }
  static int32_t send(snmp::SnmpTransportSession* s, const snmp::SnmpTransportEntity*,
                      const uint8_t* message, size_t length) {
    s->udpOpen = true;
    queue().emplace_back(message, message + length);
    if (s->notify) s->notify();
    return snmp::kTransportSuccess;
  }
  static int32_t receive(snmp::SnmpTransportSession*, snmp::SnmpTransportEntity* src,
                         snmp::SnmpTransportEntity*, uint8_t* buffer, size_t* length) {
    if (queue().empty()) return snmp::kTransportIoFailed;
    Bytes msg = queue().front();
    queue().pop_front();
    if (msg.size() > *length) return snmp::kTransportPduTooBig;
    std::memcpy(buffer, msg.data(), msg.size());
    *length = msg.size();
    src->ipv4 = 0x0100007F;
    return snmp::kTransportSuccess;
  }
  static int32_t close(snmp::SnmpTransportSession* s) {
    s->udpOpen = false;
    return snmp::kTransportSuccess;
  }
  static int32_t parse(const char* text, snmp::SnmpTransportEntity* e) {
    if (std::strcmp(text, "127.0.0.1") != 0) return snmp::kTransportEntityUnknown;
    e->ipv4 = 0x0100007F;
    return snmp::kTransportSuccess;
  }
  static bool init(uint32_t kind, snmp::SnmpTransportOps* ops) {
    if (kind != snmp::SNMP_TRANSPORT_UDP) return false;
    ops->TransportSend = &send;
    ops->TransportReceive = &receive;
    ops->TransportClose = &close;
    ops->TransportStrToEntity = &parse;
    return true;
  }
};

struct RecordingPoster : platform::MessagePoster {
  bool PostMessage(uint32_t id, intptr_t wParam, intptr_t) override {
    posted.push_back({id, wParam});
    return true;
  }
  std::vector<std::pair<uint32_t, intptr_t>> posted;
};

class SnmpSessionTest : public EngineTest {
 protected:
  void SetUp() override {
    SnmpSetTransportInitializer(&Loopback::init);
    Loopback::queue().clear();
    EngineTest::SetUp();
  }
  void TearDown() override {
    EngineTest::TearDown();
    SnmpSetTransportInitializer(nullptr);
  }
  HSNMP_VBL listOf(HSNMP_PDU pdu) {
    HSNMP_VBL vbl = 0;
    SnmpGetPduData(pdu, nullptr, nullptr, nullptr, nullptr, &vbl);
    return vbl;
  }
  std::vector<smiUINT32> oidValueAt(HSNMP_VBL vbl, smiUINT32 index, std::vector<smiUINT32>* name) {
    smiOID n{};
    smiVALUE v{};
    EXPECT_EQ(SnmpGetVb(vbl, index, &n, &v), SNMPAPI_SUCCESS);
    *name = idsOf(n);
    std::vector<smiUINT32> ids;
    if (v.syntax == SNMP_SYNTAX_OID) ids = idsOf(v.value.oid);
    SnmpFreeDescriptor(SNMP_SYNTAX_OID, &n);
    if (v.syntax == SNMP_SYNTAX_OID) SnmpFreeDescriptor(SNMP_SYNTAX_OID, &v.value.oid);
    return ids;
  }
};

TEST_F(SnmpSessionTest, AutomaticRequestIdsStartAtTwoAndTypeZeroIsGetNext) {
  HSNMP_PDU first = SnmpCreatePdu(session_, 0, 0, 0, 0, 0);
  HSNMP_PDU second = SnmpCreatePdu(session_, SNMP_PDU_GET, 0, 0, 0, 0);
  smiUINT32 type = 0;
  smiINT32 id = 0;
  ASSERT_EQ(SnmpGetPduData(first, &type, &id, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  EXPECT_EQ(type, SNMP_PDU_GETNEXT);
  EXPECT_EQ(id, 2);
  SnmpGetPduData(second, nullptr, &id, nullptr, nullptr, nullptr);
  EXPECT_EQ(id, 3);
}

TEST_F(SnmpSessionTest, TheSixtyFourthLiveObjectIsRefusedWith2) {
  // The session holds slot 1; 62 more objects fill the table.
  for (int i = 0; i < 62; ++i) ASSERT_NE(community(), 0u) << i;
  EXPECT_EQ(community(), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_ALLOC_ERROR);
}

TEST_F(SnmpSessionTest, ContextsTakeOneTo256Octets) {
  EXPECT_NE(community(std::string(256, 'a')), 0u);
  EXPECT_EQ(community(std::string(257, 'a')), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_OUTPUT_TRUNCATED);
  EXPECT_EQ(community(""), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_CONTEXT_INVALID);
}

TEST_F(SnmpSessionTest, StaleAndWrongKindHandlesAreRefused) {
  HSNMP_CONTEXT ctx = community();
  EXPECT_EQ(SnmpFreePdu(ctx), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpFreeContext(ctx), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpFreeContext(ctx), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpCreateVbl(ctx, nullptr, nullptr), 0u);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_SESSION_INVALID);
  EXPECT_EQ(SnmpCreateVbl(0x10000u | 64u, nullptr, nullptr), 0u);
}

TEST_F(SnmpSessionTest, AListHolds32VarbindsAndRefusesA33rd) {
  std::vector<smiUINT32> ids{1, 3, 6, 1};
  smiOID name = oidOf(ids);
  smiVALUE v = nullValue();
  HSNMP_VBL vbl = SnmpCreateVbl(session_, &name, &v);
  for (int i = 1; i < 32; ++i) ASSERT_EQ(SnmpSetVb(vbl, 0, &name, &v), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpCountVbl(vbl), 32u);
  EXPECT_EQ(SnmpSetVb(vbl, 0, &name, &v), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_OUTPUT_TRUNCATED);
  EXPECT_EQ(SnmpCountVbl(vbl), 32u);
  smiVALUE seven = intValue(7);
  EXPECT_EQ(SnmpSetVb(vbl, 32, &name, &seven), SNMPAPI_SUCCESS);  // replacing still works
}

TEST_F(SnmpSessionTest, VarbindIndexSyntaxAndMissingArguments) {
  std::vector<smiUINT32> ids{1, 3, 6, 1};
  smiOID name = oidOf(ids);
  smiVALUE v = intValue(1);
  HSNMP_VBL vbl = SnmpCreateVbl(session_, nullptr, nullptr);
  EXPECT_EQ(SnmpSetVb(vbl, 2, &name, &v), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_INDEX_INVALID);
  EXPECT_EQ(SnmpSetVb(vbl, 0, nullptr, &v), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_OID_INVALID);
  EXPECT_EQ(SnmpSetVb(vbl, 0, &name, nullptr), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_OTHER_ERROR);
  smiVALUE bad{};
  bad.syntax = 0x48;
  EXPECT_EQ(SnmpSetVb(vbl, 0, &name, &bad), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_SYNTAX_INVALID);
  smiOID out{};
  smiVALUE outValue{};
  EXPECT_EQ(SnmpGetVb(vbl, 1, &out, &outValue), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_INDEX_INVALID);
}

TEST_F(SnmpSessionTest, DeleteMovesLaterVarbindsDown) {
  std::vector<smiUINT32> ids{1, 3, 6, 1};
  smiOID name = oidOf(ids);
  HSNMP_VBL vbl = SnmpCreateVbl(session_, nullptr, nullptr);
  for (int i = 1; i <= 3; ++i) {
    smiVALUE v = intValue(i);
    SnmpSetVb(vbl, 0, &name, &v);
  }
  ASSERT_EQ(SnmpDeleteVb(vbl, 1), SNMPAPI_SUCCESS);
  smiOID n{};
  smiVALUE v{};
  ASSERT_EQ(SnmpGetVb(vbl, 1, &n, &v), SNMPAPI_SUCCESS);
  EXPECT_EQ(v.value.sNumber, 2);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &n);
  EXPECT_EQ(SnmpCountVbl(vbl), 2u);
  HSNMP_VBL copy = SnmpDuplicateVbl(session_, vbl);
  SnmpFreeVbl(vbl);
  EXPECT_EQ(SnmpCountVbl(copy), 2u);
}

TEST_F(SnmpSessionTest, StrToOidAcceptsDigitsAndDotsOnly) {
  smiOID oid{};
  EXPECT_EQ(SnmpStrToOid("1.3.6.1", &oid), 4u);
  EXPECT_EQ(idsOf(oid), (std::vector<smiUINT32>{1, 3, 6, 1}));
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
  EXPECT_EQ(SnmpStrToOid(".1.3", &oid), 2u);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
  EXPECT_EQ(SnmpStrToOid("4294967295", &oid), 1u);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &oid);
  for (const char* bad : {"iso.3", "a", "1.3x.6", "1a", "", "1..3", "1.3.", "4294967296"}) {
    EXPECT_EQ(SnmpStrToOid(bad, &oid), SNMPAPI_FAILURE) << bad;
    EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_OID_INVALID) << bad;
  }
}

TEST_F(SnmpSessionTest, OidToStrStopsWhenTheNextComponentDoesNotFit) {
  std::vector<smiUINT32> ids{1, 3, 6, 1, 4294967295u};
  smiOID oid = oidOf(ids);
  char buffer[32];
  EXPECT_EQ(SnmpOidToStr(&oid, sizeof buffer, buffer), 19u);
  EXPECT_STREQ(buffer, "1.3.6.1.4294967295");
  EXPECT_EQ(SnmpOidToStr(&oid, 18, buffer), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_OUTPUT_TRUNCATED);
  EXPECT_STREQ(buffer, "1.3.6.1");
  smiOID empty{};
  EXPECT_EQ(SnmpOidToStr(&empty, sizeof buffer, buffer), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_OID_INVALID);
}

TEST_F(SnmpSessionTest, OidCompareHonoursTheMaximumLength) {
  std::vector<smiUINT32> a{1, 3, 6};
  std::vector<smiUINT32> b{1, 3, 6, 1};
  std::vector<smiUINT32> c{1, 4};
  smiOID oa = oidOf(a), ob = oidOf(b), oc = oidOf(c);
  smiINT32 result = 9;
  ASSERT_EQ(SnmpOidCompare(&oa, &ob, 0, &result), SNMPAPI_SUCCESS);
  EXPECT_EQ(result, -1);
  SnmpOidCompare(&oa, &ob, 3, &result);
  EXPECT_EQ(result, 0);
  SnmpOidCompare(&ob, &oa, 0, &result);
  EXPECT_EQ(result, 1);
  SnmpOidCompare(&oc, &ob, 0, &result);
  EXPECT_EQ(result, 1);
  smiOID empty{};
  EXPECT_EQ(SnmpOidCompare(&oa, &empty, 0, &result), SNMPAPI_FAILURE);
}

Bytes trapV1(int generic, int specific, int varbindCount) {
  Bytes list;
  for (int i = 0; i < varbindCount; ++i) {
    Bytes vb = varbind({0x2B, 6, 1, 4, 1, 9, static_cast<uint8_t>(i)}, tlv(0x02, {0x2A}));
    list.insert(list.end(), vb.begin(), vb.end());
  }
  Bytes body =
      cat({tlv(0x06, {0x2B, 6, 1, 4, 1, 0x94, 0x4C}), tlv(0x40, {10, 0, 0, 7}),
           tlv(0x02, {static_cast<uint8_t>(generic)}), tlv(0x02, {static_cast<uint8_t>(specific)}),
           tlv(0x43, {0x01, 0x00}), tlv(0x30, list)});
  return tlv(0x30, cat({tlv(0x02, {0}), tlv(0x04, str("public")), tlv(0xA4, body)}));
}

TEST_F(SnmpSessionTest, TrapV1BecomesAnSnmpV2Trap) {
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  Bytes msg = trapV1(2, 0, 2);
  ASSERT_EQ(decode(msg, &ctx, &pdu), msg.size());
  smiUINT32 type = 0;
  smiINT32 id = 0, status = 5, index = 5;
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(pdu, &type, &id, &status, &index, &vbl);
  EXPECT_EQ(type, SNMP_PDU_TRAP);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(index, 0);
  ASSERT_EQ(SnmpCountVbl(vbl), 5u);
  smiOID name{};
  smiVALUE upTime{};
  ASSERT_EQ(SnmpGetVb(vbl, 1, &name, &upTime), SNMPAPI_SUCCESS);
  EXPECT_EQ(idsOf(name), (std::vector<smiUINT32>{1, 3, 6, 1, 2, 1, 1, 3, 0}));
  EXPECT_EQ(upTime.syntax, SNMP_SYNTAX_TIMETICKS);
  EXPECT_EQ(upTime.value.uNumber, 256u);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &name);
  std::vector<smiUINT32> vbName;
  EXPECT_EQ(oidValueAt(vbl, 2, &vbName), (std::vector<smiUINT32>{1, 3, 6, 1, 6, 3, 1, 1, 5, 3}));
  EXPECT_EQ(vbName, (std::vector<smiUINT32>{1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0}));
  oidValueAt(vbl, 3, &vbName);
  EXPECT_EQ(vbName, (std::vector<smiUINT32>{1, 3, 6, 1, 4, 1, 9, 0}));
  EXPECT_EQ(oidValueAt(vbl, 5, &vbName), (std::vector<smiUINT32>{1, 3, 6, 1, 4, 1, 2636}));
  EXPECT_EQ(vbName, (std::vector<smiUINT32>{1, 3, 6, 1, 6, 3, 1, 1, 4, 3, 0}));
}

TEST_F(SnmpSessionTest, EnterpriseSpecificAndUnknownGenericTraps) {
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  std::vector<smiUINT32> name;
  ASSERT_NE(decode(trapV1(6, 17, 0), &ctx, &pdu), 0u);
  EXPECT_EQ(oidValueAt(listOf(pdu), 2, &name),
            (std::vector<smiUINT32>{1, 3, 6, 1, 4, 1, 2636, 0, 17}));
  ASSERT_NE(decode(trapV1(9, 0, 0), &ctx, &pdu), 0u);
  EXPECT_EQ(oidValueAt(listOf(pdu), 2, &name),
            (std::vector<smiUINT32>{1, 3, 6, 1, 6, 3, 1, 1, 5, 0}));
}

TEST_F(SnmpSessionTest, TrapTooLargeForOneListIsRefusedWithoutLeaks) {
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU pdu = 0;
  ASSERT_NE(decode(trapV1(1, 0, 29), &ctx, &pdu), 0u);  // 29 + 3 = 32
  EXPECT_EQ(SnmpCountVbl(listOf(pdu)), 32u);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(decode(trapV1(1, 0, 30), &ctx, &pdu), 0u);
    EXPECT_EQ(lastError, SNMPAPI_OUTPUT_TRUNCATED);
  }
}

TEST_F(SnmpSessionTest, SendAndReceiveThroughTheDestinationsTransport) {
  RecordingPoster poster;
  HSNMP_SESSION s = SnmpOpen(&poster, 0xA01);
  HSNMP_ENTITY dst = SnmpStrToEntity(s, "127.0.0.1");
  ASSERT_NE(dst, 0u);
  Bytes octets = str("public");
  smiOCTETS c{static_cast<smiUINT32>(octets.size()), octets.data()};
  HSNMP_CONTEXT ctx = SnmpStrToContext(s, &c);
  std::vector<smiUINT32> ids{1, 3, 6, 1, 2, 1, 1, 5, 0};
  smiOID name = oidOf(ids);
  Bytes text = str("portolan");
  smiVALUE v = octetsValue(SNMP_SYNTAX_OCTETS, text);
  HSNMP_PDU pdu = SnmpCreatePdu(s, SNMP_PDU_SET, 4711, 0, 0, SnmpCreateVbl(s, &name, &v));
  EXPECT_EQ(SnmpSendMsg(s, 0, dst, ctx, pdu), 4711u);
  ASSERT_EQ(poster.posted.size(), 1u);
  EXPECT_EQ(poster.posted[0].first, 0xA01u);

  HSNMP_ENTITY from = 0, to = 0;
  HSNMP_CONTEXT gotCtx = 0;
  HSNMP_PDU got = 0;
  EXPECT_EQ(SnmpRecvMsg(s, &from, &to, &gotCtx, &got), 4711u);
  smiUINT32 type = 0;
  HSNMP_VBL vbl = 0;
  SnmpGetPduData(got, &type, nullptr, nullptr, nullptr, &vbl);
  EXPECT_EQ(type, SNMP_PDU_SET);
  smiOID n{};
  smiVALUE value{};
  ASSERT_EQ(SnmpGetVb(vbl, 1, &n, &value), SNMPAPI_SUCCESS);
  EXPECT_EQ(Bytes(value.value.string.ptr, value.value.string.ptr + value.value.string.len), text);
  SnmpFreeDescriptor(SNMP_SYNTAX_OID, &n);
  SnmpFreeDescriptor(SNMP_SYNTAX_OCTETS, &value.value.string);

  // Nothing more has arrived: the transport's code becomes the error, no entity is kept.
  EXPECT_EQ(SnmpRecvMsg(s, &from, &to, &gotCtx, &got), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(s), 8u);
  EXPECT_EQ(SnmpClose(s), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpFreeEntity(dst), SNMPAPI_FAILURE);  // the session took its objects with it
}

TEST_F(SnmpSessionTest, ReceivedMessageWithTrailingOctetsIsRefusedWith11) {
  Bytes msg = cat({response(varbind(sysUpTimeOid(), {0x05, 0x00})), {0x00}});
  Loopback::queue().push_back(msg);
  Loopback::queue().push_back(Bytes(1409, 0x30));
  HSNMP_ENTITY dst = SnmpStrToEntity(session_, "127.0.0.1");
  HSNMP_PDU pdu = pduWith(SNMP_PDU_GET, 5, {nullValue()});
  // Send opens the transport (and queues its own message behind the two above).
  ASSERT_EQ(SnmpSendMsg(session_, 0, dst, community(), pdu), 5u);
  HSNMP_ENTITY from = 0, to = 0;
  HSNMP_CONTEXT ctx = 0;
  HSNMP_PDU got = 0;
  EXPECT_EQ(SnmpRecvMsg(session_, &from, &to, &ctx, &got), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_OUTPUT_TRUNCATED);
  EXPECT_EQ(SnmpRecvMsg(session_, &from, &to, &ctx, &got), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpRecvMsg(session_, &from, &to, &ctx, &got), 5u);
}

TEST_F(SnmpSessionTest, SendChecksItsHandlesInOrder) {
  HSNMP_ENTITY dst = SnmpStrToEntity(session_, "127.0.0.1");
  HSNMP_CONTEXT ctx = community();
  HSNMP_PDU pdu = pduWith(SNMP_PDU_GET, 5, {nullValue()});
  EXPECT_EQ(SnmpSendMsg(ctx, 0, dst, ctx, pdu), 0u);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_SESSION_INVALID);
  EXPECT_EQ(SnmpSendMsg(session_, ctx, dst, ctx, pdu), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_ENTITY_INVALID);
  EXPECT_EQ(SnmpSendMsg(session_, 0, pdu, ctx, pdu), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_ENTITY_INVALID);
  EXPECT_EQ(SnmpSendMsg(session_, 0, dst, pdu, pdu), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_CONTEXT_INVALID);
  EXPECT_EQ(SnmpSendMsg(session_, 0, dst, ctx, ctx), 0u);
  EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_PDU_INVALID);
}

TEST_F(SnmpSessionTest, RefusedAddressTextsDoNotUseUpTheTable) {
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(SnmpStrToEntity(session_, "10.0.0.300"), 0u);
    EXPECT_EQ(SnmpGetLastError(session_), SNMPAPI_ENTITY_UNKNOWN);
  }
  EXPECT_NE(SnmpStrToEntity(session_, "127.0.0.1"), 0u);
}

TEST_F(SnmpSessionTest, ModesOtherThanTheSupportedOnesAreRefused) {
  EXPECT_EQ(SnmpSetTranslateMode(1), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpSetTranslateMode(0), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_MODE_INVALID);
  EXPECT_EQ(SnmpSetRetransmitMode(1), SNMPAPI_FAILURE);
  smiUINT32 mode = 9;
  EXPECT_EQ(SnmpGetRetransmitMode(&mode), SNMPAPI_SUCCESS);
  EXPECT_EQ(mode, 0u);
}

TEST(SnmpEngineLifecycleTest, SecondStartupForgetsEarlierHandlesAndCleanupEndsTheTask) {
  ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  HSNMP_SESSION s = SnmpOpen(nullptr, 1);
  HSNMP_VBL vbl = SnmpCreateVbl(s, nullptr, nullptr);
  ASSERT_NE(vbl, 0u);
  smiUINT32 major = 0, minor = 0;
  ASSERT_EQ(SnmpStartup(&major, &minor, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  EXPECT_EQ(major, 1u);
  EXPECT_EQ(minor, 1u);
  EXPECT_EQ(SnmpCountVbl(vbl), 0u);
  EXPECT_EQ(SnmpClose(s), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpCleanup(), SNMPAPI_SUCCESS);
  EXPECT_EQ(SnmpCleanup(), SNMPAPI_FAILURE);
  EXPECT_EQ(SnmpGetLastError(0), SNMPAPI_NOT_INITIALIZED);
}

}  // namespace
