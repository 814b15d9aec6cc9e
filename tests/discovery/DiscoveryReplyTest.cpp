#include <gtest/gtest.h>

#include "discovery/DiscoveryReply.h"
#include "discovery/ReplyBuilder.h"

namespace discovery {
namespace {

using test::BuildReply;
using test::ReplyFields;

ReplyParseResult Parse(const std::vector<uint8_t>& bytes) {
  return ParseDiscoveryReply(bytes.data(), bytes.size());
}

TEST(DiscoveryReply, LayoutADerivesSerialFromHardwareAddress) {
  const auto r = Parse(BuildReply(ReplyFields{}));
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(HardwareAddressText(r.reply.hardwareAddress), "00409D123456");
  EXPECT_EQ(r.reply.serialNumber, "1193046");
  EXPECT_EQ(DottedAddress(r.reply.ipAddress), "10.1.2.3");
  EXPECT_EQ(DottedAddress(r.reply.subnetMask), "255.255.255.0");
  EXPECT_EQ(DottedAddress(r.reply.defaultGateway), "10.1.2.254");
  EXPECT_EQ(r.reply.systemName, "LAB-SERVER");
  EXPECT_EQ(r.reply.productNumber, "EPS1");
  EXPECT_EQ(r.reply.productType, "Device Server");
  EXPECT_EQ(r.reply.datecode, "A1B2");
  EXPECT_EQ(r.reply.makerTag, "Vanto");
  EXPECT_EQ(r.reply.getCommunity, "public");
  EXPECT_EQ(r.reply.setCommunity, "private");
  EXPECT_EQ(r.reply.generalStatus, "None");
  ASSERT_EQ(r.reply.ports.size(), 1u);
  EXPECT_EQ(r.reply.ports[0].name, "Port1");
}

TEST(DiscoveryReply, LayoutAByteExactOffsets) {
  // Hand-placed bytes, independent of the test builder.
  std::vector<uint8_t> bytes(347 + 18, 0);
  bytes[0] = 0x3A, bytes[1] = 0x2C, bytes[2] = 0x2E, bytes[3] = 2;
  bytes[54] = 0xAB, bytes[57] = 0xFF, bytes[58] = 0xFF, bytes[59] = 0xFF;
  bytes[60] = 'x', bytes[61] = 'y';  // undescribed bytes: ignored
  bytes[62] = 192, bytes[63] = 168, bytes[64] = 7, bytes[65] = 9;
  bytes[74] = 'N';
  bytes[266] = 'S';
  bytes[346] = 1;
  bytes[347] = 2, bytes[348] = 5, bytes[349] = 'P';
  const auto r = Parse(bytes);
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(r.reply.format, 2);
  EXPECT_EQ(HardwareAddressText(r.reply.hardwareAddress), "AB0000FFFFFF");
  EXPECT_EQ(r.reply.serialNumber, "16777215");
  EXPECT_EQ(DottedAddress(r.reply.ipAddress), "192.168.7.9");
  EXPECT_EQ(r.reply.systemName, "N");
  EXPECT_EQ(r.reply.generalStatus, "S");
  ASSERT_EQ(r.reply.ports.size(), 1u);
  EXPECT_EQ(r.reply.ports[0].state, 2);
  EXPECT_EQ(r.reply.ports[0].condition, 5);
  EXPECT_EQ(r.reply.ports[0].name, "P");
}

TEST(DiscoveryReply, LayoutBUsesShiftedOffsetsAndSerialText) {
  ReplyFields shape;
  shape.format = 3;
  shape.serialText = "ABCDEFGHIJKL";  // fills all 12 bytes, no terminator
  shape.ip = {172, 16, 0, 77};
  const auto bytes = BuildReply(shape);
  EXPECT_EQ(bytes[72], 172);
  const auto r = Parse(bytes);
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(r.reply.serialNumber, "ABCDEFGHIJKL");
  EXPECT_EQ(DottedAddress(r.reply.ipAddress), "172.16.0.77");
  EXPECT_EQ(DottedAddress(r.reply.defaultGateway), "10.1.2.254");
  EXPECT_EQ(r.reply.systemName, "LAB-SERVER");
  EXPECT_EQ(r.reply.getCommunity, "public");   // key 172
  EXPECT_EQ(r.reply.setCommunity, "private");  // key 77
  EXPECT_EQ(r.reply.generalStatus, "None");
  ASSERT_EQ(r.reply.ports.size(), 1u);
}

TEST(DiscoveryReply, ErrorsTellWhatAndWhere) {
  struct Case {
    std::vector<uint8_t> bytes;
    ReplyError error;
    size_t offset;
  };
  auto full = BuildReply(ReplyFields{});
  std::vector<uint8_t> fixedPartMissingOne(full.begin(), full.begin() + 346);
  ReplyFields b;
  b.format = 3;
  auto fullB = BuildReply(b);
  std::vector<uint8_t> bCutAtA(fullB.begin(), fullB.begin() + 350);
  const Case cases[] = {
      {{}, ReplyError::kTooShort, 0},
      {{0x3A, 0x2C}, ReplyError::kTooShort, 2},
      {{0x3A, 0x2C, 0x2E}, ReplyError::kTooShort, 3},
      {{0x2E, 0x2C, 0x3A, 0x01}, ReplyError::kBadMagic, 0},  // a request, not a reply
      {{0x3A, 0x2C, 0x00, 0x01}, ReplyError::kBadMagic, 2},
      {{0x3A, 0x2C, 0x2E, 0x00}, ReplyError::kBadFormat, 3},
      {{0x3A, 0x2C, 0x2E, 0x04}, ReplyError::kBadFormat, 3},
      {{0x3A, 0x2C, 0x2E, 0xFF}, ReplyError::kBadFormat, 3},
      {{0x3A, 0x2C, 0x2E, 0x01}, ReplyError::kTruncated, 4},
      {fixedPartMissingOne, ReplyError::kTruncated, 346},
      {bCutAtA, ReplyError::kTruncated, 350},
  };
  for (const Case& c : cases) {
    const auto r = Parse(c.bytes);
    EXPECT_EQ(r.error, c.error) << "size " << c.bytes.size();
    EXPECT_EQ(r.offset, c.offset) << "size " << c.bytes.size();
  }
  EXPECT_EQ(ParseDiscoveryReply(nullptr, 500).error, ReplyError::kTooShort);
}

TEST(DiscoveryReply, BadFormatKeepsTheFormatByte) {
  const auto r = Parse({0x3A, 0x2C, 0x2E, 0x07, 1, 2, 3});
  EXPECT_EQ(r.error, ReplyError::kBadFormat);
  EXPECT_EQ(r.reply.format, 7);
}

TEST(DiscoveryReply, PortCountAboveSixKeepsSixSlots) {
  ReplyFields shape;
  shape.portCount = 200;
  shape.ports.clear();
  for (int i = 0; i < 8; ++i) shape.ports.push_back({0, 1, "P" + std::to_string(i + 1)});
  const auto r = Parse(BuildReply(shape));
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(r.reply.announcedPorts, 200u);
  ASSERT_EQ(r.reply.ports.size(), kMaxDevicePorts);
  EXPECT_EQ(r.reply.ports[5].name, "P6");
}

TEST(DiscoveryReply, PortEntriesCutShortAreDropped) {
  ReplyFields shape;
  shape.portCount = 4;
  shape.ports = {{0, 1, "A"}, {0, 1, "B"}, {0, 1, "C"}, {0, 1, "D"}};
  auto bytes = BuildReply(shape);
  bytes.resize(347 + 18 * 2 + 17);  // third entry one byte short
  const auto r = Parse(bytes);
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(r.reply.announcedPorts, 4u);
  ASSERT_EQ(r.reply.ports.size(), 2u);
  EXPECT_EQ(r.reply.ports[1].name, "B");
}

TEST(DiscoveryReply, TextsWithoutTerminatorStopAtTheirField) {
  ReplyFields shape;
  shape.productNumber = "12345678";  // 8 of 8 bytes
  shape.productType = std::string(20, 'T');
  shape.datecode = std::string(17, 'D');
  shape.maker = "Vantor";  // only 5 bytes fit
  shape.systemName = std::string(128, 'S');
  shape.generalStatus = std::string(80, 'G');
  shape.ports = {{0, 1, std::string(16, 'N')}};
  const auto r = Parse(BuildReply(shape));
  ASSERT_EQ(r.error, ReplyError::kNone);
  EXPECT_EQ(r.reply.productNumber, "12345678");
  EXPECT_EQ(r.reply.productType, std::string(20, 'T'));
  EXPECT_EQ(r.reply.datecode, std::string(17, 'D'));
  EXPECT_EQ(r.reply.makerTag, "Vanto");
  EXPECT_EQ(r.reply.systemName, std::string(128, 'S'));
  EXPECT_EQ(r.reply.generalStatus, std::string(80, 'G'));
  ASSERT_EQ(r.reply.ports.size(), 1u);
  EXPECT_EQ(r.reply.ports[0].name, std::string(16, 'N'));
}

TEST(DiscoveryReply, DescrambleHandVectors) {
  // 'p' ^ 10 = 0x7A; 'u' = 10 ^ 0x00 ^ (0x7A + 5); 0 = 10 ^ 0x0F ^ (0x00 + 5).
  uint8_t field[kCommunityFieldSize] = {0x7A, 0x00, 0x0F, 0x99, 0x42};
  EXPECT_EQ(DescrambleCommunity(field, 10), "pu");
  // The previous byte plus 5 wraps at 256: 0xFD + 5 = 0x02.
  uint8_t wrap[kCommunityFieldSize] = {0xFD, 0x43, 0x48};
  EXPECT_EQ(DescrambleCommunity(wrap, 0),
            "\xFD"
            "A");
}

TEST(DiscoveryReply, CommunityFillingTheFieldKeepsAll32Bytes) {
  const std::string name(32, 'c');
  const auto field = ScrambleCommunity(name, 0x5A);
  uint8_t raw[kCommunityFieldSize];
  std::copy(field.begin(), field.end(), raw);
  EXPECT_EQ(DescrambleCommunity(raw, 0x5A), name);
}

TEST(DiscoveryReply, CommunityRoundTripForEveryKey) {
  for (int key = 0; key < 256; ++key) {
    const auto field = ScrambleCommunity("s3cr#t", static_cast<uint8_t>(key));
    uint8_t raw[kCommunityFieldSize];
    std::copy(field.begin(), field.end(), raw);
    ASSERT_EQ(DescrambleCommunity(raw, static_cast<uint8_t>(key)), "s3cr#t") << key;
  }
}

TEST(DiscoveryReply, DeviceIdAndMagic) {
  const auto bytes = BuildReply(ReplyFields{});
  EXPECT_EQ(ReplyDeviceId(bytes.data(), bytes.size()), 0x123456u);
  EXPECT_EQ(ReplyDeviceId(bytes.data(), 60), 0x123456u);
  EXPECT_FALSE(ReplyDeviceId(bytes.data(), 59).has_value());
  EXPECT_TRUE(HasReplyMagic(bytes.data(), 3));
  EXPECT_FALSE(HasReplyMagic(bytes.data(), 2));
  const uint8_t request[] = {0x2E, 0x2C, 0x3A, 0x01, 0, 0};
  EXPECT_FALSE(HasReplyMagic(request, sizeof request));
}

}  // namespace
}  // namespace discovery
