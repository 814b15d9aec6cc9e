#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snmp/SnmpIpxTransport.h"

namespace snmp {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Network(const IpxAddress& a) {
  return Bytes(a.network, a.network + 4);
}
Bytes Node(const IpxAddress& a) {
  return Bytes(a.node, a.node + 6);
}
Bytes Socket(const IpxAddress& a) {
  return Bytes(a.socket, a.socket + 2);
}

TEST(IpxAddressTest, AcceptedTexts) {
  struct Case {
    const char* text;
    Bytes network;
    Bytes node;
  } cases[] = {
      {"0000ABCD-00A0C9123456", {0x00, 0x00, 0xAB, 0xCD}, {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56}},
      {"0000abcd:00a0c9123456", {0x00, 0x00, 0xAB, 0xCD}, {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56}},
      // Short parts are right-aligned, the leading octets zero.
      {"AB-00A0C9123456", {0x00, 0x00, 0x00, 0xAB}, {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56}},
      {"12345678-3456", {0x12, 0x34, 0x56, 0x78}, {0x00, 0x00, 0x00, 0x00, 0x34, 0x56}},
      // An odd number of digits reads as if led by a zero.
      {"ABC-0102030405", {0x00, 0x00, 0x0A, 0xBC}, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05}},
      {"1-000000000001", {0x00, 0x00, 0x00, 0x01}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01}},
      {"FFFFFFFF-FFFFFFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    IpxAddress a;
    ASSERT_TRUE(ParseIpxAddress(c.text, &a));
    EXPECT_EQ(Network(a), c.network);
    EXPECT_EQ(Node(a), c.node);
    EXPECT_EQ(Socket(a), (Bytes{0x90, 0x0F}));
  }
}

TEST(IpxAddressTest, RefusedTexts) {
  const char* cases[] = {
      "",
      "0000ABCD00A0C9123456",     // no separator
      "0000ABCD-00A0C912345G",    // not a hexadecimal digit
      "0000ABCD-00A0C9 23456",    // space
      "000000ABCD-00A0C9123456",  // too long overall
      "0000ABCDE-00A0C912345",    // network part longer than its 4 octets
      "00-00A0C9123456789",       // node part longer than its 6 octets
      "-00A0C912345678",          // empty network part
      "0000ABCD00A0-",            // empty node part
      "1-2",                      // shorter than 12 characters
      "ABCD-00A0-C91234",         // second separator inside the node
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    IpxAddress a;
    a.network[0] = 0x77;
    EXPECT_FALSE(ParseIpxAddress(text, &a));
    EXPECT_EQ(a.network[0], 0x77);  // untouched on refusal
    SnmpTransportEntity entity;
    EXPECT_EQ(IpxTransportStrToEntity(text, &entity), kTransportEntityUnknown);
  }
  EXPECT_FALSE(ParseIpxAddress(nullptr, nullptr));
}

TEST(IpxAddressTest, TextRoundTrip) {
  SnmpTransportEntity entity;
  ASSERT_EQ(IpxTransportStrToEntity("0000ABCD-00A0C9123456", &entity), 1);
  EXPECT_EQ(entity.kind, SNMP_TRANSPORT_IPX);
  char text[22];
  ASSERT_EQ(IpxTransportEntityToStr(&entity, sizeof text, text), 1);
  EXPECT_STREQ(text, "0000ABCD-00A0C9123456");

  ASSERT_EQ(IpxTransportStrToEntity("ab-cd", &entity), kTransportEntityUnknown);
  ASSERT_EQ(IpxTransportStrToEntity("ab:0000000000cd", &entity), 1);
  ASSERT_EQ(IpxTransportEntityToStr(&entity, sizeof text, text), 1);
  EXPECT_STREQ(text, "000000AB-0000000000CD");
}

TEST(IpxAddressTest, FormattingLimits) {
  IpxAddress a;
  ASSERT_TRUE(ParseIpxAddress("0000ABCD-00A0C9123456", &a));
  char text[40];
  std::fill(std::begin(text), std::end(text), 'x');
  EXPECT_EQ(FormatIpxAddress(a, 21, text), kTransportOutputTruncated);
  EXPECT_EQ(text[0], 'x');  // a refusal writes nothing
  EXPECT_EQ(FormatIpxAddress(a, 22, text), 1);
  EXPECT_EQ(std::string(text), "0000ABCD-00A0C9123456");
  EXPECT_EQ(text[22], 'x');

  IpxAddress zero;
  EXPECT_EQ(FormatIpxAddress(zero, sizeof text, text), kTransportEntityUnknown);
  // A zero network with a non-zero node is a real address.
  zero.node[5] = 1;
  EXPECT_EQ(FormatIpxAddress(zero, sizeof text, text), 1);
  EXPECT_STREQ(text, "00000000-000000000001");
}

TEST(IpxAddressTest, TransportFailsCleanlyWithoutKernelSupport) {
  // Current kernels have no IPX: the socket cannot be made, and that is reported, not crashed on.
  SnmpTransportSession session;
  SnmpTransportEntity dst;
  ASSERT_EQ(IpxTransportStrToEntity("0000ABCD-00A0C9123456", &dst), 1);
  const uint8_t message[] = {0x30, 0x00};
  int32_t sent = IpxTransportSend(&session, &dst, message, sizeof message);
  if (sent == kTransportNotInitialized) {
    EXPECT_FALSE(session.ipxOpen);
    EXPECT_EQ(session.requestSocket, -1);
    EXPECT_EQ(IpxTransportRegister(&session, 1), kTransportNotInitialized);
  } else {
    GTEST_SKIP() << "this kernel has IPX";
  }
  EXPECT_EQ(IpxTransportClose(&session), 1);
}

TEST(IpxAddressTest, TableHasNetworkSlotsOnly) {
  SnmpTransportOps ops;
  ASSERT_TRUE(SnmpTransportInit(SNMP_TRANSPORT_IPX, &ops));
  EXPECT_EQ(ops.TransportStrToEntity, &IpxTransportStrToEntity);
  EXPECT_EQ(ops.TransportExchange, nullptr);
  EXPECT_FALSE(SnmpTransportInit(3, &ops));
}

}  // namespace
}  // namespace snmp
