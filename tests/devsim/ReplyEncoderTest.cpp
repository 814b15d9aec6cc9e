// The simulator's reply encoder against the tree's reply decoder and an independent byte builder.
#include <gtest/gtest.h>

#include "ReplyEncoder.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/ReplyBuilder.h"

namespace devsim {
namespace {

DeviceConfig Sample(uint8_t format) {
  DeviceConfig d;
  d.format = format;
  d.productNumber = "EPS1";
  d.productType = "Device Server";
  d.datecode = "A1B2";
  d.maker = "Vanto";
  d.hardwareAddress = {0x00, 0x40, 0x9D, 0x12, 0x34, 0x56};
  d.serialText = "SN123";
  d.ipAddress = {10, 1, 2, 3};
  d.subnetMask = {255, 255, 255, 0};
  d.defaultGateway = {10, 1, 2, 254};
  d.systemName = "LAB-SERVER";
  d.getCommunity = "public";
  d.setCommunity = "private";
  d.generalStatus = "None";
  d.ports = {{0, 1, "Port1"}};
  return d;
}

discovery::test::ReplyFields SpecOf(const DeviceConfig& d) {
  discovery::test::ReplyFields s;
  s.format = d.format;
  s.productNumber = d.productNumber;
  s.productType = d.productType;
  s.datecode = d.datecode;
  s.maker = d.maker;
  s.hardware = d.hardwareAddress;
  s.serialText = d.serialText;
  s.ip = d.ipAddress;
  s.mask = d.subnetMask;
  s.gateway = d.defaultGateway;
  s.systemName = d.systemName;
  s.getCommunity = d.getCommunity;
  s.setCommunity = d.setCommunity;
  s.generalStatus = d.generalStatus;
  s.portCount = d.PortCountByte();
  s.ports.clear();
  for (const PortConfig& p : d.ports) s.ports.push_back({p.state, p.condition, p.name});
  return s;
}

TEST(ReplyEncoderTest, LayoutsMatchTheByteBuilderExactly) {
  for (uint8_t format : {1, 2, 3}) {
    DeviceConfig d = Sample(format);
    d.ports = {{0, 1, "Port1"}, {2, 4, "Printer two"}, {0, 9, "P3"}};
    EXPECT_EQ(EncodeReply(d), discovery::test::BuildReply(SpecOf(d))) << int{format};
  }
}

TEST(ReplyEncoderTest, FixedOffsetsOfLayoutA) {
  const auto r = EncodeReply(Sample(1));
  ASSERT_EQ(r.size(), 347u + 18u);
  EXPECT_EQ(r[0], 0x3A);
  EXPECT_EQ(r[1], 0x2C);
  EXPECT_EQ(r[2], 0x2E);
  EXPECT_EQ(r[3], 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[4]), 4), "EPS1");
  EXPECT_EQ(r[54], 0x00);
  EXPECT_EQ(r[57], 0x12);
  EXPECT_EQ(r[59], 0x56);
  EXPECT_EQ(r[60], 0);  // undescribed in layout A: left zero
  EXPECT_EQ(r[61], 0);
  EXPECT_EQ(r[62], 10);
  EXPECT_EQ(r[65], 3);
  EXPECT_EQ(r[66], 255);
  EXPECT_EQ(r[73], 254);
  EXPECT_EQ(r[74], 'L');
  EXPECT_EQ(r[266], 'N');
  EXPECT_EQ(r[346], 1);
  EXPECT_EQ(r[347], 0);
  EXPECT_EQ(r[348], 1);
  EXPECT_EQ(r[349], 'P');
}

TEST(ReplyEncoderTest, FixedOffsetsOfLayoutB) {
  const auto r = EncodeReply(Sample(3));
  ASSERT_EQ(r.size(), 357u + 18u);
  EXPECT_EQ(r[3], 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[60]), 5), "SN123");
  EXPECT_EQ(r[72], 10);
  EXPECT_EQ(r[75], 3);
  EXPECT_EQ(r[84], 'L');
  EXPECT_EQ(r[276], 'N');
  EXPECT_EQ(r[356], 1);
  EXPECT_EQ(r[359], 'P');
}

TEST(ReplyEncoderTest, RoundTripThroughTheDecoderKeepsEveryField) {
  for (uint8_t format : {1, 3}) {
    DeviceConfig d = Sample(format);
    d.ports = {{2, 1, "Off"}, {0, 4, "Paper"}};
    const auto bytes = EncodeReply(d);
    const auto parsed = discovery::ParseDiscoveryReply(bytes.data(), bytes.size());
    ASSERT_EQ(parsed.error, discovery::ReplyError::kNone);
    const auto& r = parsed.reply;
    EXPECT_EQ(r.format, format);
    EXPECT_EQ(r.productNumber, d.productNumber);
    EXPECT_EQ(r.productType, d.productType);
    EXPECT_EQ(r.datecode, d.datecode);
    EXPECT_EQ(r.makerTag, "Vanto");
    EXPECT_EQ(discovery::HardwareAddressText(r.hardwareAddress), "00409D123456");
    EXPECT_EQ(r.serialNumber, format == 3 ? "SN123" : "1193046");
    EXPECT_EQ(discovery::DottedAddress(r.ipAddress), "10.1.2.3");
    EXPECT_EQ(discovery::DottedAddress(r.subnetMask), "255.255.255.0");
    EXPECT_EQ(discovery::DottedAddress(r.defaultGateway), "10.1.2.254");
    EXPECT_EQ(r.systemName, "LAB-SERVER");
    EXPECT_EQ(r.getCommunity, "public");
    EXPECT_EQ(r.setCommunity, "private");
    EXPECT_EQ(r.generalStatus, "None");
    EXPECT_EQ(r.announcedPorts, 2u);
    ASSERT_EQ(r.ports.size(), 2u);
    EXPECT_EQ(r.ports[0].state, 2);
    EXPECT_EQ(r.ports[1].condition, 4);
    EXPECT_EQ(r.ports[1].name, "Paper");
    EXPECT_EQ(discovery::ReplyDeviceId(bytes.data(), bytes.size()), d.DeviceId());
  }
}

TEST(ReplyEncoderTest, LayoutBWithoutSerialTextSendsTheDeviceIdInDecimal) {
  DeviceConfig d = Sample(3);
  d.serialText.clear();
  const auto bytes = EncodeReply(d);
  EXPECT_EQ(discovery::ParseDiscoveryReply(bytes.data(), bytes.size()).reply.serialNumber,
            "1193046");
}

TEST(ReplyEncoderTest, OverlongTextsFillTheirFieldWithoutTerminator) {
  DeviceConfig d = Sample(1);
  d.maker = "Vantor";
  d.productNumber = "0123456789";
  d.systemName = std::string(200, 'x');
  d.ports = {{0, 1, std::string(20, 'p')}};
  const auto bytes = EncodeReply(d);
  EXPECT_EQ(bytes[53], 'o');   // "Vanto": the field's 5th byte, no terminator
  EXPECT_EQ(bytes[54], 0x00);  // the hardware address starts right after
  const auto r = discovery::ParseDiscoveryReply(bytes.data(), bytes.size()).reply;
  EXPECT_EQ(r.makerTag, "Vanto");
  EXPECT_EQ(r.productNumber, "01234567");
  EXPECT_EQ(r.systemName, std::string(128, 'x'));
  EXPECT_EQ(r.ports.at(0).name, std::string(16, 'p'));
}

TEST(ReplyEncoderTest, CommunityKeysFollowTheDeviceAddress) {
  DeviceConfig a = Sample(1);
  DeviceConfig b = Sample(1);
  b.ipAddress = {11, 1, 2, 4};
  const auto ra = EncodeReply(a);
  const auto rb = EncodeReply(b);
  // Same texts, other keys: other bytes, same descrambled names.
  EXPECT_NE(std::vector<uint8_t>(ra.begin() + 202, ra.begin() + 266),
            std::vector<uint8_t>(rb.begin() + 202, rb.begin() + 266));
  const auto parsed = discovery::ParseDiscoveryReply(rb.data(), rb.size()).reply;
  EXPECT_EQ(parsed.getCommunity, "public");
  EXPECT_EQ(parsed.setCommunity, "private");
  // A 32-character name fills its whole field.
  b.getCommunity = std::string(32, 'c');
  const auto rc = EncodeReply(b);
  EXPECT_EQ(discovery::ParseDiscoveryReply(rc.data(), rc.size()).reply.getCommunity,
            std::string(32, 'c'));
}

TEST(ReplyEncoderTest, PortCountByteMayDisagreeWithTheEntries) {
  DeviceConfig d = Sample(1);
  d.ports.assign(8, {0, 1, "P"});
  d.announcedPorts = 9;
  const auto bytes = EncodeReply(d);
  EXPECT_EQ(bytes.size(), 347u + 8 * 18u);
  EXPECT_EQ(bytes[346], 9);
  const auto r = discovery::ParseDiscoveryReply(bytes.data(), bytes.size()).reply;
  EXPECT_EQ(r.announcedPorts, 9u);
  EXPECT_EQ(r.ports.size(), 6u);

  d.ports.assign(40, {0, 1, "P"});  // more than a reply may carry: cut at 16 entries
  d.announcedPorts = -1;
  const auto capped = EncodeReply(d);
  EXPECT_EQ(capped.size(), 347u + kMaxPortEntries * 18u);
  EXPECT_EQ(capped[346], 40);
}

TEST(ReplyEncoderTest, UnknownFormatIsSentAsItIsAndRefusedByTheDecoder) {
  for (uint8_t format : {0, 4, 255}) {
    const auto bytes = EncodeReply(Sample(format));
    EXPECT_EQ(bytes[3], format);
    EXPECT_EQ(discovery::ParseDiscoveryReply(bytes.data(), bytes.size()).error,
              discovery::ReplyError::kBadFormat);
  }
}

TEST(ReplyEncoderTest, NoPortsGivesTheBareFixedPart) {
  DeviceConfig d = Sample(3);
  d.ports.clear();
  const auto bytes = EncodeReply(d);
  EXPECT_EQ(bytes.size(), 357u);
  EXPECT_EQ(bytes[356], 0);
  EXPECT_EQ(discovery::ParseDiscoveryReply(bytes.data(), bytes.size()).error,
            discovery::ReplyError::kNone);
}

}  // namespace
}  // namespace devsim
