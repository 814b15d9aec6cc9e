// Who answers which datagram, from where, and who takes a new address.
#include <gtest/gtest.h>

#include "DeviceResponder.h"
#include "SimOptions.h"
#include "discovery/DiscoveryReply.h"

namespace devsim {
namespace {

uint32_t Ip(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return AddressValue({a, b, c, d});
}

// Five devices at 10.0.0.10 ... .14 (/24), IDs 1 ... 5.
DeviceTable FiveDevices() {
  DeviceSeries series;
  series.first.ipAddress = {10, 0, 0, 10};
  series.first.hardwareAddress = {0x02, 0x50, 0x4F, 0x00, 0x00, 0x01};
  series.count = 5;
  std::vector<DeviceConfig> devices;
  EXPECT_TRUE(AppendSeries(series, &devices));
  return DeviceTable(std::move(devices));
}

std::vector<uint32_t> Senders(const Response& r) {
  std::vector<uint32_t> from;
  for (const auto& reply : r.replies) from.push_back(reply.from);
  return from;
}

Response Ask(DeviceResponder& responder, const std::vector<uint8_t>& request, uint32_t to) {
  return responder.Handle(request.data(), request.size(), to, Ip(10, 9, 9, 9));
}

TEST(DeviceResponderTest, BroadcastAndMulticastReachEveryDevice) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  const std::vector<uint32_t> all = {Ip(10, 0, 0, 10), Ip(10, 0, 0, 11), Ip(10, 0, 0, 12),
                                     Ip(10, 0, 0, 13), Ip(10, 0, 0, 14)};
  for (uint32_t to : {Ip(255, 255, 255, 255), Ip(224, 0, 1, 55), Ip(10, 0, 0, 255)}) {
    const Response r = Ask(responder, EncodeDiscoveryRequest({}), to);
    EXPECT_EQ(Senders(r), all) << to;
  }
  // Another subnet's directed broadcast reaches none of them.
  EXPECT_TRUE(Ask(responder, EncodeDiscoveryRequest({}), Ip(10, 0, 1, 255)).replies.empty());
}

TEST(DeviceResponderTest, DevicesNamedInTheIdListStaySilent) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  const Response r =
      Ask(responder, EncodeDiscoveryRequest({2, 4, 0x999999}), Ip(255, 255, 255, 255));
  EXPECT_EQ(Senders(r),
            (std::vector<uint32_t>{Ip(10, 0, 0, 10), Ip(10, 0, 0, 12), Ip(10, 0, 0, 14)}));
  // Each reply is the device's own, carrying its ID at offsets 57-59.
  for (const auto& reply : r.replies) {
    EXPECT_EQ(discovery::ReplyDeviceId(reply.bytes.data(), reply.bytes.size()),
              table.Device(reply.device).DeviceId());
  }
}

TEST(DeviceResponderTest, SingleQueryIsAnsweredFromTheQueriedAddressOnly) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  const Response r = Ask(responder, EncodeDiscoveryRequest({}), Ip(10, 0, 0, 12));
  ASSERT_EQ(r.replies.size(), 1u);
  EXPECT_EQ(r.replies[0].from, Ip(10, 0, 0, 12));
  const auto parsed =
      discovery::ParseDiscoveryReply(r.replies[0].bytes.data(), r.replies[0].bytes.size());
  EXPECT_EQ(discovery::DottedAddress(parsed.reply.ipAddress), "10.0.0.12");
  EXPECT_EQ(parsed.reply.systemName, "DEVSIM-0003");
  EXPECT_TRUE(Ask(responder, EncodeDiscoveryRequest({}), Ip(10, 0, 0, 99)).replies.empty());
}

TEST(DeviceResponderTest, SetAddressByHardwareIdMovesTheDevice) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  const Response r =
      Ask(responder, EncodeSetAddressRequest(3, {10, 0, 0, 50}), Ip(255, 255, 255, 255));
  EXPECT_TRUE(r.replies.empty());
  ASSERT_EQ(r.changes.size(), 1u);
  EXPECT_EQ(r.changes[0].device, 2u);
  EXPECT_EQ(r.changes[0].from, Ip(10, 0, 0, 12));
  EXPECT_EQ(r.changes[0].to, Ip(10, 0, 0, 50));
  EXPECT_TRUE(Ask(responder, EncodeDiscoveryRequest({}), Ip(10, 0, 0, 12)).replies.empty());
  const Response moved = Ask(responder, EncodeDiscoveryRequest({}), Ip(10, 0, 0, 50));
  ASSERT_EQ(moved.replies.size(), 1u);
  EXPECT_EQ(moved.replies[0].from, Ip(10, 0, 0, 50));
  const auto parsed =
      discovery::ParseDiscoveryReply(moved.replies[0].bytes.data(), moved.replies[0].bytes.size());
  EXPECT_EQ(discovery::DottedAddress(parsed.reply.ipAddress), "10.0.0.50");
  // Keys follow the new address: the names still descramble.
  EXPECT_EQ(parsed.reply.getCommunity, "public");
  EXPECT_EQ(parsed.reply.setCommunity, "private");
}

TEST(DeviceResponderTest, SetAddressBySerialNumberAtAnAddressOrByMulticast) {
  DeviceSeries series;
  series.first.format = 3;
  series.first.serialText = "20000001";   // low 24 bits: 0x312D01
  series.first.ipAddress = {0, 0, 0, 0};  // unconfigured
  std::vector<DeviceConfig> devices;
  ASSERT_TRUE(AppendSeries(series, &devices));
  series.first.serialText = "77";
  series.first.ipAddress = {10, 0, 0, 20};
  series.first.hardwareAddress[5] = 9;
  ASSERT_TRUE(AppendSeries(series, &devices));
  DeviceTable table(std::move(devices));
  DeviceResponder responder(table);

  Response r = Ask(responder, EncodeSetAddressRequest(20000001 & 0xFFFFFF, {10, 0, 0, 30}),
                   Ip(224, 0, 1, 55));
  ASSERT_EQ(r.changes.size(), 1u);
  EXPECT_EQ(r.changes[0].device, 0u);
  EXPECT_EQ(AddressValue(table.Device(0).ipAddress), Ip(10, 0, 0, 30));

  // Sent to the device's own address.
  r = Ask(responder, EncodeSetAddressRequest(77, {10, 0, 0, 31}), Ip(10, 0, 0, 20));
  ASSERT_EQ(r.changes.size(), 1u);
  EXPECT_EQ(r.changes[0].device, 1u);
  // Sent to another device's address: the ID does not match there, nothing moves.
  r = Ask(responder, EncodeSetAddressRequest(77, {10, 0, 0, 32}), Ip(10, 0, 0, 30));
  EXPECT_TRUE(r.changes.empty());
}

TEST(DeviceResponderTest, UnknownIdAndUnusableAddressesChangeNothing) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  EXPECT_TRUE(
      Ask(responder, EncodeSetAddressRequest(0x777777, {10, 0, 0, 50}), Ip(255, 255, 255, 255))
          .changes.empty());
  for (std::array<uint8_t, 4> bad :
       {std::array<uint8_t, 4>{255, 255, 255, 255}, std::array<uint8_t, 4>{224, 0, 1, 55}}) {
    EXPECT_TRUE(
        Ask(responder, EncodeSetAddressRequest(1, bad), Ip(255, 255, 255, 255)).changes.empty());
  }
  EXPECT_EQ(AddressValue(table.Device(0).ipAddress), Ip(10, 0, 0, 10));
}

TEST(DeviceResponderTest, GarbageIsIgnored) {
  DeviceTable table = FiveDevices();
  DeviceResponder responder(table);
  const std::vector<uint8_t> junk[] = {{}, {0x3A, 0x2C, 0x2E, 1}, {0x2E, 0x2C, 0x3A, 0x01, 5, 0}};
  for (const auto& j : junk) {
    const Response r = responder.Handle(j.data(), j.size(), Ip(255, 255, 255, 255), 0);
    EXPECT_NE(r.error, RequestError::kNone);
    EXPECT_TRUE(r.replies.empty());
    EXPECT_TRUE(r.changes.empty());
  }
}

TEST(DeviceResponderTest, LoopbackDevicesHearOnlyLoopbackSenders) {
  DeviceSeries series;
  series.first.ipAddress = {127, 0, 0, 10};
  series.count = 2;
  std::vector<DeviceConfig> devices;
  ASSERT_TRUE(AppendSeries(series, &devices));
  series.first.ipAddress = {10, 0, 0, 10};
  series.first.hardwareAddress[5] = 9;
  series.count = 1;
  ASSERT_TRUE(AppendSeries(series, &devices));
  DeviceTable table(std::move(devices));
  DeviceResponder responder(table);
  const auto query = EncodeDiscoveryRequest({});
  const uint32_t all = Ip(255, 255, 255, 255);
  EXPECT_EQ(Senders(responder.Handle(query.data(), query.size(), all, Ip(127, 0, 0, 1))),
            (std::vector<uint32_t>{Ip(127, 0, 0, 10), Ip(127, 0, 0, 11)}));
  EXPECT_EQ(Senders(responder.Handle(query.data(), query.size(), all, Ip(192, 168, 1, 5))),
            std::vector<uint32_t>{Ip(10, 0, 0, 10)});
  // A request from the real network neither reaches nor moves a loopback device.
  EXPECT_TRUE(responder.Handle(query.data(), query.size(), Ip(127, 0, 0, 10), Ip(192, 168, 1, 5))
                  .replies.empty());
  const auto move = EncodeSetAddressRequest(1, {127, 0, 0, 60});
  EXPECT_TRUE(responder.Handle(move.data(), move.size(), all, Ip(192, 168, 1, 5)).changes.empty());
  EXPECT_EQ(responder.Handle(move.data(), move.size(), all, Ip(127, 0, 0, 1)).changes.size(), 1u);
}

TEST(DeviceResponderTest, SharedAddressesAndMatchRules) {
  DeviceConfig d;
  d.hardwareAddress = {0, 0, 0, 0x12, 0x34, 0x56};
  EXPECT_TRUE(MatchesSetAddressId(d, 0x123456));
  d.format = 3;
  d.serialText = "16777217";  // 2^24 + 1: low 24 bits are 1
  EXPECT_TRUE(MatchesSetAddressId(d, 1));
  d.serialText = "12a";
  EXPECT_FALSE(MatchesSetAddressId(d, 12));

  DeviceConfig a;
  a.ipAddress = {0, 0, 0, 0};
  DeviceConfig b = a;
  b.hardwareAddress[5] = 2;
  DeviceTable table({a, b});
  EXPECT_EQ(table.AtAddress(0).size(), 2u);
  table.SetAddress(0, {10, 0, 0, 1});
  EXPECT_EQ(table.AtAddress(0), std::vector<size_t>{1});
  EXPECT_EQ(table.AtAddress(Ip(10, 0, 0, 1)), std::vector<size_t>{0});
}

}  // namespace
}  // namespace devsim
