#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <thread>

#include "discovery/BackgroundSearchWait.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/ScriptedNetwork.h"

namespace discovery {
namespace {

using test::CollectingWindow;
using test::MakeDevice;
using test::ScriptedNetwork;
using test::ScriptedWait;
using test::SimDevice;

constexpr int kBroadcastMs = 3000;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](unsigned a, int, unsigned, int, int) {
      reported.push_back(a);
      return 0;
    });
  }
  void TearDown() override { SetErrorReporter({}); }

  CIpDiscoveryEngine& Engine(EngineOptions options = {}) {
    auto w = std::make_unique<ScriptedWait>(net);
    wait = w.get();
    engine = std::make_unique<CIpDiscoveryEngine>(&window, std::move(options), std::move(w), &net);
    return *engine;
  }
  void AddDevices(uint32_t count) {
    for (uint32_t n = 1; n <= count; ++n) net.devices.push_back(MakeDevice(n));
  }
  std::set<std::string> PostedHw() const {
    std::set<std::string> hw;
    for (auto* r : window.records) hw.insert(r->GetColumnText(kColHwAddress));
    return hw;
  }
  static size_t IdCount(const std::vector<uint8_t>& request) {
    return request[4] | (request[5] << 8);
  }

  ScriptedNetwork net;
  CollectingWindow window;
  ScriptedWait* wait = nullptr;
  std::unique_ptr<CIpDiscoveryEngine> engine;
  std::vector<unsigned> reported;
};

TEST_F(EngineTest, BroadcastWithNoDeviceSendsOneRequestAndWaitsOnce) {
  EXPECT_EQ(Engine().BroadcastExchange("255.255.255.255", 0), 0);
  ASSERT_EQ(net.sent.size(), 1u);
  EXPECT_EQ(net.sent[0].data, (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}));
  EXPECT_EQ(wait->waits, std::vector<int>{kBroadcastMs});
  EXPECT_EQ(net.creates, 1);
  EXPECT_EQ(net.closes, 1);
  EXPECT_TRUE(net.ttls.empty());
}

TEST_F(EngineTest, SecondRequestNamesTheDevicesHeardInOrder) {
  AddDevices(2);
  EXPECT_EQ(Engine().BroadcastExchange("255.255.255.255", 0), 0);
  ASSERT_EQ(net.sent.size(), 2u);
  EXPECT_EQ(net.sent[1].data, (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x02, 0x00, 0x00, 0x00,
                                                    0x01, 0x00, 0x00, 0x02}));
  EXPECT_EQ(window.Count(WM_DEVICE_FOUND), 2u);
  EXPECT_EQ(engine->LastExchange().rounds, 2);
}

TEST_F(EngineTest, DeviceAnsweringTwiceIsPostedOnce) {
  SimDevice d = MakeDevice(7);
  d.answersTwice = true;
  net.devices.push_back(d);
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(window.Count(WM_DEVICE_FOUND), 1u);
  EXPECT_EQ(engine->LastExchange().skipped, 1);
}

TEST_F(EngineTest, KnowsItsOwnRecords) {
  net.devices.push_back(MakeDevice(7));
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(window.records.size(), 1u);
  EXPECT_TRUE(engine->MadeRecord(*window.records[0]));
  CIpDeviceRecord stranger(nullptr);
  EXPECT_FALSE(engine->MadeRecord(stranger));
}

TEST_F(EngineTest, With179DevicesTheSecondRequestCarriesAllAndNobodyAnswers) {
  AddDevices(179);
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(net.sent.size(), 2u);
  EXPECT_EQ(IdCount(net.sent[1].data), 179u);
  EXPECT_EQ(net.sent[1].data.size(), 6u + 3 * 179);
  EXPECT_EQ(PostedHw().size(), 179u);
  EXPECT_EQ(window.records.size(), 179u);
}

TEST_F(EngineTest, With180DevicesTheExchangeEndsAndListsEveryDevice) {
  AddDevices(180);
  Engine().BroadcastExchange("255.255.255.255", 0);
  // Round 2 names 179; the 180th answers again but was heard before, so nothing new: done.
  ASSERT_EQ(net.sent.size(), 2u);
  EXPECT_EQ(IdCount(net.sent[1].data), 179u);
  EXPECT_EQ(window.records.size(), 180u);
  EXPECT_EQ(PostedHw().size(), 180u);
}

TEST_F(EngineTest, AfterAFullListTheNextRequestStartsFromNone) {
  AddDevices(180);
  SimDevice late = MakeDevice(500);
  late.firstRound = 2;  // appears only after the first request
  net.devices.push_back(late);
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(net.sent.size(), 3u);
  EXPECT_EQ(IdCount(net.sent[1].data), 179u);
  // The list was emptied after the full request; it then took the 180th and the late device.
  ASSERT_EQ(IdCount(net.sent[2].data), 2u);
  EXPECT_EQ(window.records.size(), 181u);
}

TEST_F(EngineTest, ThousandDevicesEndOnTheirOwnAllListed) {
  AddDevices(1000);
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(window.records.size(), 1000u);
  EXPECT_EQ(PostedHw().size(), 1000u);
  EXPECT_LE(net.sent.size(), 3u);
}

TEST_F(EngineTest, ReplyLostInTheFirstRoundComesInTheNext) {
  AddDevices(3);
  net.devices[1].lostInRounds = {1};
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(net.sent.size(), 3u);
  EXPECT_EQ(IdCount(net.sent[1].data), 2u);
  EXPECT_EQ(IdCount(net.sent[2].data), 3u);
  EXPECT_EQ(PostedHw().size(), 3u);
}

TEST_F(EngineTest, RoundThatDroppedRepliesIsFollowedByAnotherEvenWithNothingNew) {
  AddDevices(3);
  net.devices[2].droppedInRounds = {1, 2};
  Engine().BroadcastExchange("255.255.255.255", 0);
  // Round 2 heard nobody new but the queue overflowed; round 3 hears the third device, round 4
  // nobody, without drops: the end.
  ASSERT_EQ(net.sent.size(), 4u);
  EXPECT_EQ(IdCount(net.sent[2].data), 2u);
  EXPECT_EQ(IdCount(net.sent[3].data), 3u);
  EXPECT_EQ(PostedHw().size(), 3u);
  EXPECT_EQ(engine->LastExchange().lost, 2);
  EXPECT_EQ(engine->LastExchange().lossyRounds, 2);
}

TEST_F(EngineTest, WhenTheSocketDoesNotTellItsDropsARoundWithNothingNewEnds) {
  AddDevices(3);
  net.devices[2].droppedInRounds = {1, 2};
  net.dropsUnknown = true;
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(net.sent.size(), 2u);
  EXPECT_EQ(PostedHw().size(), 2u);
  EXPECT_EQ(engine->LastExchange().lost, -1);
  EXPECT_EQ(engine->LastExchange().lossyRounds, 0);
}

TEST_F(EngineTest, RoundsResentOnlyForDropsAreBoundedByTheRetries) {
  AddDevices(2);
  for (int r = 1; r <= 100; ++r) net.devices[1].droppedInRounds.insert(r);
  EngineOptions options;
  options.lossRetries = 4;
  Engine(options).BroadcastExchange("255.255.255.255", 0);
  // Round 1 brings the first device; rounds 2-5 are the four retries, round 6 the last.
  EXPECT_EQ(net.sent.size(), 6u);
  EXPECT_EQ(PostedHw().size(), 1u);
  EXPECT_EQ(engine->LastExchange().lossyRounds, 6);
}

TEST_F(EngineTest, NewDeviceStartsTheCountOfDropRetriesAfresh) {
  AddDevices(2);
  for (int r = 1; r <= 100; ++r) net.devices[1].droppedInRounds.insert(r);
  SimDevice late = MakeDevice(3);
  late.firstRound = 4;
  net.devices.push_back(late);
  EngineOptions options;
  options.lossRetries = 2;
  Engine(options).BroadcastExchange("255.255.255.255", 0);
  // 1 new, 2-3 retries, 4 new, 5-6 retries, 7 the last.
  EXPECT_EQ(net.sent.size(), 7u);
  EXPECT_EQ(PostedHw().size(), 2u);
}

TEST_F(EngineTest, OverflowingQueueWithAnswersInChangingOrderStillListsEveryDevice) {
  AddDevices(1000);
  net.queueLimit = 150;  // less than the ID list can silence
  net.rotateBy = 389;
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(PostedHw().size(), 1000u);
  EXPECT_EQ(window.records.size(), 1000u);
  EXPECT_GT(engine->LastExchange().lost, 0);
}

TEST_F(EngineTest, OverflowingQueueWithAnswersInFixedOrderStillEnds) {
  // Every request is answered by the same devices first, so those that the ID list cannot
  // silence fill the queue every time: no round can reach the devices far down the order.
  AddDevices(1000);
  net.queueLimit = 150;
  EngineOptions options;
  options.lossRetries = 10;
  Engine(options).BroadcastExchange("255.255.255.255", 0);
  const ExchangeStats& stats = engine->LastExchange();
  // What one queue-full past the 179 silenced ones reaches, and no more.
  EXPECT_EQ(PostedHw().size(), 150u + 179u);
  EXPECT_EQ(stats.lossyRounds, stats.rounds);
  EXPECT_LE(stats.rounds, stats.devices / 150 + 2 + options.lossRetries);
}

TEST_F(EngineTest, LateReplyWithinTheTimeoutKeepsTheRoundOpen) {
  SimDevice slow = MakeDevice(9);
  slow.delayMs = 2500;
  net.devices = {MakeDevice(1), slow};
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(window.records.size(), 2u);
}

TEST_F(EngineTest, GarbageAndShortDatagramsAreIgnored) {
  Engine();
  net.Arrive({0x01, 0x02, 0x03}, "10.0.0.1", 0);
  net.Arrive({0x3A, 0x2C, 0x2E, 0x01}, "10.0.0.2", 0);  // magic, but no device ID
  EXPECT_EQ(engine->BroadcastExchange("10.0.0.255", 0), 0);
  EXPECT_TRUE(window.records.empty());
}

TEST_F(EngineTest, BadFormatReplyIsPostedAsBadFormatAndTheSearchGoesOn) {
  SimDevice bad = MakeDevice(4);
  bad.shape.format = 9;
  net.devices = {bad, MakeDevice(5)};
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(window.records.size(), 2u);
  EXPECT_STREQ(window.records[0]->GetColumnText(kColStatus), "Bad Format");
  EXPECT_FALSE(window.records[0]->IsValid());
  EXPECT_EQ(reported, std::vector<unsigned>{9042});
}

TEST_F(EngineTest, BrandTagsPostOneMoreRecordEach) {
  EngineOptions options;
  options.brandTags = {"Vantor", "Other", "Vanto"};
  net.devices = {MakeDevice(1)};  // maker field "Vanto", full width
  Engine(options).BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(window.records.size(), 3u);
}

TEST_F(EngineTest, SendFailuresRetryTwentyTimesThenReport) {
  net.failSends = 1000;
  EXPECT_EQ(Engine().BroadcastExchange("255.255.255.255", 0), 0);
  EXPECT_EQ(net.failSends, 1000 - 21);
  EXPECT_EQ(reported, std::vector<unsigned>{5005});
  EXPECT_EQ(net.closes, 1);
}

TEST_F(EngineTest, SendSucceedingOnTheLastRetryGoesOn) {
  net.failSends = 20;
  Engine().BroadcastExchange("255.255.255.255", 0);
  EXPECT_EQ(net.sent.size(), 1u);
  EXPECT_TRUE(reported.empty());
}

TEST_F(EngineTest, MulticastSendsToBothAddressesWithTheHopLimit) {
  net.devices = {MakeDevice(1)};
  SearchPlan plan;
  plan.searchLocal = false;
  plan.searchList = true;
  plan.entries = {"Multicast<7>"};
  Engine().RunSearch(plan);
  EXPECT_EQ(net.ttls, std::vector<int>{7});
  ASSERT_EQ(net.sent.size(), 4u);  // two rounds, each to 8017 and 8020
  for (const auto& s : net.sent) EXPECT_EQ(s.address, "224.0.1.55");
  EXPECT_EQ(window.records.size(), 1u);
}

TEST_F(EngineTest, SearchPostsProgressAndEndsWithDone) {
  net.devices = {MakeDevice(1)};
  SearchPlan plan;
  plan.searchList = true;
  plan.entries = {"10.0.0.255<DB>"};
  Engine().RunSearch(plan);
  EXPECT_EQ(wait->texts, (std::vector<unsigned>{6101, 6102}));
  EXPECT_EQ(wait->begins, 1);
  EXPECT_EQ(wait->ends, 1);
  ASSERT_FALSE(window.posted.empty());
  EXPECT_EQ(window.posted.back().id, WM_SEARCH_DONE);
  EXPECT_FALSE(engine->IsBusy());
  EXPECT_EQ(net.SentTo("255.255.255.255").size(), 2u);
  EXPECT_EQ(net.SentTo("10.0.0.255").size(), 2u);  // each exchange starts its own list
}

TEST_F(EngineTest, SearchOfTheListAloneDoesNotSayItSearchesTheLocalNetwork) {
  SearchPlan plan;
  plan.searchLocal = false;
  plan.searchList = true;
  plan.entries = {"10.0.0.5"};
  Engine().RunSearch(plan);
  EXPECT_EQ(wait->texts, (std::vector<unsigned>{6102}));
  EXPECT_TRUE(net.SentTo("255.255.255.255").empty());
}

TEST_F(EngineTest, CancelDuringTheBroadcastLeavesTheEntriesUnvisited) {
  SearchPlan plan;
  plan.searchList = true;
  plan.entries = {"10.0.0.255<DB>", "10.0.1.*"};
  Engine();
  wait->cancelWhen = [] { return true; };
  engine->RunSearch(plan);
  EXPECT_EQ(net.sent.size(), 1u);
  EXPECT_EQ(wait->texts, std::vector<unsigned>{6101});
  EXPECT_EQ(window.posted.back().id, WM_SEARCH_DONE);
}

TEST_F(EngineTest, SocketFailureOfADirectedBroadcastStopsTheWalk) {
  net.failCreate = 1;
  SearchPlan plan;
  plan.searchLocal = false;
  plan.searchList = true;
  plan.entries = {"10.0.0.255<DB>", "10.0.1.255<DB>"};
  Engine().RunSearch(plan);
  EXPECT_EQ(net.creates, 1);
  EXPECT_EQ(net.closes, 1);
}

TEST_F(EngineTest, SweepQueriesHostsOneTo255InGroupsOfFive) {
  EXPECT_EQ(Engine().SubnetSweep("10.0.0."), 0);
  ASSERT_EQ(net.sent.size(), 255u);
  for (size_t i = 0; i < 255; ++i) {
    EXPECT_EQ(net.sent[i].address, "10.0.0." + std::to_string(i + 1));
    EXPECT_EQ(net.sent[i].data, (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}));
  }
  // 51 group waits of 500 ms, then the last wait of 2000 ms.
  ASSERT_EQ(wait->waits.size(), 52u);
  EXPECT_EQ(std::count(wait->waits.begin(), wait->waits.end(), 500), 51);
  EXPECT_EQ(wait->waits.back(), 2000);
}

TEST_F(EngineTest, SweepNamesItsRangeAndShowsItsProgressByTenths) {
  EXPECT_EQ(Engine().SubnetSweep("10.0.0."), 0);
  std::vector<std::string> expected = {"Searching 10.0.0.1 - 10.0.0.255..."};
  for (int p = 10; p <= 100; p += 10) {
    expected.push_back("Searching 10.0.0.1 - 10.0.0.255: " + std::to_string(p) + "%");
  }
  EXPECT_EQ(wait->progress, expected);
}

TEST_F(EngineTest, SweepListsTheMakersDevicesIncludingDotTwoFiftyFive) {
  SimDevice a = MakeDevice(1);
  a.shape.ip = {10, 0, 0, 1};
  SimDevice b = MakeDevice(2);
  b.shape.ip = {10, 0, 0, 255};
  SimDevice foreign = MakeDevice(3);
  foreign.shape.ip = {10, 0, 0, 77};
  foreign.shape.maker = "Acme";
  net.devices = {a, b, foreign};
  Engine().SubnetSweep("10.0.0.");
  std::set<std::string> ips;
  for (auto* r : window.records) ips.insert(r->GetColumnText(kColIpAddress));
  EXPECT_EQ(ips, (std::set<std::string>{"10.0.0.1", "10.0.0.255"}));
}

// The maker field is five characters: a device whose text agrees with the own tag in the first
// four but not the fifth is another maker's, however close.
TEST_F(EngineTest, SweepLeavesOutAMakerTextThatDiffersInTheFifthCharacter) {
  SimDevice own = MakeDevice(1);
  own.shape.ip = {10, 0, 0, 1};
  SimDevice near = MakeDevice(2);
  near.shape.ip = {10, 0, 0, 2};
  near.shape.maker = "Vantx";
  net.devices = {own, near};
  EngineOptions options;
  options.ownMakerTag = "Vantor";
  Engine(options).SubnetSweep("10.0.0.");
  std::set<std::string> ips;
  for (auto* r : window.records) ips.insert(r->GetColumnText(kColIpAddress));
  EXPECT_EQ(ips, std::set<std::string>{"10.0.0.1"});
}

TEST_F(EngineTest, SweepKeepsTakingLateAnswersUntilSilence) {
  // Answers arrive 1500 and 3000 ms after the last group: each within 2000 ms of the one before.
  SimDevice a = MakeDevice(1);
  a.shape.ip = {10, 0, 0, 254};
  a.delayMs = 1500 + 1;
  SimDevice b = MakeDevice(2);
  b.shape.ip = {10, 0, 0, 255};
  b.delayMs = 3000;
  net.devices = {a, b};
  Engine().SubnetSweep("10.0.0.");
  // .255 is the subnet's broadcast address too: both answer it again, and the view drops those.
  EXPECT_EQ(PostedHw().size(), 2u);
  EXPECT_EQ(wait->waits.back(), 2000);
  EXPECT_GE(std::count(wait->waits.begin(), wait->waits.end(), 2000), 3);
}

TEST_F(EngineTest, SweepSocketFailureGivesCancelAndStopsTheWalk) {
  net.failCreate = 1;
  EXPECT_EQ(Engine().SubnetSweep("10.0.0."), 2);
  SearchPlan plan;
  plan.searchLocal = false;
  plan.searchList = true;
  plan.entries = {"10.0.0.*", "10.0.1.*"};
  engine->RunSearch(plan);
  EXPECT_EQ(net.creates, 2);
}

TEST_F(EngineTest, CancelInTheSweepEndsIt) {
  Engine();
  int waits = 0;
  wait->cancelWhen = [&waits] { return ++waits == 3; };
  EXPECT_EQ(engine->SubnetSweep("10.0.0."), 2);
  EXPECT_EQ(net.sent.size(), 10u);
  EXPECT_EQ(net.closes, 1);
}

TEST_F(EngineTest, RecordsRefusedByTheWindowAreDeleted) {
  AddDevices(3);
  window.refuse = true;
  Engine().BroadcastExchange("255.255.255.255", 0);  // under ASan a leak would show
  EXPECT_TRUE(window.records.empty());
}

TEST_F(EngineTest, SetAddressByHardwareSendsTheDeviceIdAndAddress) {
  EXPECT_EQ(Engine().SetAddressByHardware("00409D123456", "10.1.2.3"), 0);
  ASSERT_EQ(net.sent.size(), 1u);
  EXPECT_EQ(net.sent[0].address, "255.255.255.255");
  EXPECT_EQ(net.sent[0].data,
            (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x02, 0x12, 0x34, 0x56, 10, 1, 2, 3}));
  EXPECT_EQ(net.closes, 1);
}

TEST_F(EngineTest, SetAddressByHardwareChecksAndRetries) {
  Engine();
  EXPECT_EQ(engine->SetAddressByHardware("", "10.1.2.3"), 5000);
  EXPECT_EQ(engine->SetAddressByHardware("00409D12345G", "10.1.2.3"), 5000);
  EXPECT_EQ(engine->SetAddressByHardware("00409D123456", "10.1.2"), 5003);
  EXPECT_EQ(engine->SetAddressByHardware("00409D123456", "10.1.2.256"), 5003);
  EXPECT_TRUE(net.sent.empty());
  net.failSends = 21;
  EXPECT_EQ(engine->SetAddressByHardware("00409D123456", "10.1.2.3"), 5004);
  net.failCreate = 1;
  EXPECT_EQ(engine->SetAddressByHardware("00409D123456", "10.1.2.3"), kSetAddressSocketFailed);
}

TEST_F(EngineTest, SetAddressBySerialUsesTheLow24Bits) {
  EXPECT_EQ(Engine().SetAddressBySerial("16777217", "192.168.0.9", "192.168.0.255", false), 0);
  ASSERT_EQ(net.sent.size(), 1u);
  EXPECT_EQ(net.sent[0].address, "192.168.0.255");
  EXPECT_EQ(net.sent[0].data,
            (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x02, 0x00, 0x00, 0x01, 192, 168, 0, 9}));
  EXPECT_TRUE(net.ttls.empty());
}

TEST_F(EngineTest, SetAddressBySerialOverMulticast) {
  EXPECT_EQ(Engine().SetAddressBySerial("1193046", "10.0.0.9", "multicast", true), 0);
  EXPECT_EQ(net.ttls, std::vector<int>{64});
  ASSERT_EQ(net.sent.size(), 2u);
  EXPECT_EQ(net.SentTo("224.0.1.55").size(), 2u);
  EXPECT_EQ(net.sent[0].data[4], 0x12);
}

TEST_F(EngineTest, SetAddressBySerialRefusesBadInput) {
  Engine();
  for (const char* serial : {"", "-1", "12a", "123456789", " 12"}) {
    EXPECT_EQ(engine->SetAddressBySerial(serial, "10.0.0.9", "10.0.0.255", false),
              kSetAddressBadSerial)
        << serial;
  }
  EXPECT_EQ(engine->SetAddressBySerial("12", "10.0.0.9", "10.0.0", false), 5003);
  EXPECT_EQ(engine->SetAddressBySerial("12", "10.0.0.9.", "x", true), 5003);
  EXPECT_TRUE(net.sent.empty());
}

TEST_F(EngineTest, AddDeviceDropsDuplicatesOfValidRecordsOnly) {
  AddDevices(2);
  Engine().BroadcastExchange("255.255.255.255", 0);
  ASSERT_EQ(window.records.size(), 2u);
  auto* first = window.records[0];
  auto* second = window.records[1];
  window.records.clear();
  EXPECT_EQ(engine->AddDevice(first), 0);
  EXPECT_EQ(engine->AddDevice(second), 1);
  auto* copy = new CIpDeviceRecord(nullptr);
  const auto reply = test::BuildReply(net.devices[0].shape);
  copy->FillFromReply(reply.data(), reply.size());
  EXPECT_EQ(engine->AddDevice(copy), -1);
  // Records that never answered carry no hardware address: each is kept.
  EXPECT_EQ(engine->AddDevice(new CIpDeviceRecord(nullptr)), 2);
  EXPECT_EQ(engine->AddDevice(new CIpDeviceRecord(nullptr)), 3);
  EXPECT_EQ(engine->FindText("10.0.0.2"), 1);
  EXPECT_EQ(engine->FindText("DEV-1"), 0);
  EXPECT_EQ(engine->FindText(""), -1);
  EXPECT_EQ(engine->FindOrQuery("DEV-2"), 1);
  EXPECT_EQ(engine->FindOrQuery("not an address"), -1);
  EXPECT_EQ(engine->GetDevice(4), nullptr);
  EXPECT_EQ(engine->GetDevice(-1), nullptr);
}

TEST_F(EngineTest, AddressListIsReadLineByLineUpToTheFirstSilentAddress) {
  char dir[] = "/tmp/portolan-list.XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/list.txt";
  // No device answers on the virtual network: the first address ends the reading.
  std::ofstream(path) << "\n\r\n127.0.254.31 lab printer\r\n127.0.254.32\n";
  EXPECT_EQ(Engine().AddressListFile(path), kRecordFailed);
  std::remove(path.c_str());
  ::rmdir(dir);
  EXPECT_EQ(window.Column(kColIpAddress), std::vector<std::string>{"127.0.254.31"});
}

TEST_F(EngineTest, AddressListThatIsAFifoIsNotRead) {
  char dir[] = "/tmp/portolan-list.XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/list";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  ::signal(SIGPIPE, SIG_IGN);  // the writer below may find the reader gone
  CIpDiscoveryEngine& e = Engine();
  std::atomic<bool> done{false};
  int result = -9;
  std::thread search([&] {
    result = e.AddressListFile(path);
    done.store(true);
  });
  // Opening a FIFO to read waits for a writer: play one as soon as a reader holds it open, so
  // that the search cannot hang here, and hand it an address that it must never query.
  while (!done.load()) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      std::this_thread::yield();
      continue;
    }
    const char line[] = "127.0.254.33\n";
    (void)!::write(fd, line, sizeof line - 1);
    ::close(fd);
    break;
  }
  search.join();
  ::unlink(path.c_str());
  ::rmdir(dir);
  EXPECT_EQ(result, CIpDiscoveryEngine::kExchangeOk);
  EXPECT_TRUE(window.records.empty());
}

TEST_F(EngineTest, AddressListThatIsADeviceOrMissingIsNotRead) {
  EXPECT_EQ(Engine().AddressListFile("/dev/zero"), CIpDiscoveryEngine::kExchangeOk);
  EXPECT_EQ(engine->AddressListFile("/nonexistent/portolan/list.txt"),
            CIpDiscoveryEngine::kExchangeOk);
  EXPECT_TRUE(window.records.empty());
}

// A socket that never runs dry: junk datagrams without end (up to kCap, so that an engine that
// does not stop still ends). At kStopAt it holds the search until more than releaseAbove Cancel
// calls have been made (*cancels), that is until Stop has begun.
class FloodTransport : public DiscoveryTransport {
 public:
  static constexpr int kStopAt = 1000;
  static constexpr int kCap = 200000;

  const std::atomic<int>* cancels = nullptr;
  std::atomic<int> releaseAbove{std::numeric_limits<int>::max()};
  std::atomic<int> delivered{0};

  int Create(int* socket, SocketWatcher*) override {
    *socket = 7;
    return 0;
  }
  int SetMulticastTtl(int, int) override { return 0; }
  int Send(int, const char*, const void*, int) override { return 0; }
  int Receive(int, char* sender, size_t senderSize, void* buffer, int size) override {
    if (delivered.load() >= kCap || size < 3) return -1;
    if (delivered.load() == kStopAt) {
      while (cancels->load() <= releaseAbove.load()) std::this_thread::yield();
    }
    std::snprintf(sender, senderSize, "10.9.8.7");
    std::memcpy(buffer, "xyz", 3);
    delivered.fetch_add(1);
    return 3;
  }
  void Close(int, SocketWatcher*) override {}
};

// The engine's own background wait, with the Cancel calls counted (Stop begins with one).
class CountingCancelWait : public SearchWait {
 public:
  std::atomic<int> cancels{0};
  int Watch(int) override { return 0; }  // the flood's socket is no descriptor
  void Forget(int) override {}
  int Wait(unsigned message, int timeoutMs) override { return inner_.Wait(message, timeoutMs); }
  void SetText(unsigned) override {}
  void Begin() override { inner_.Begin(); }
  void End() override { inner_.End(); }
  void Cancel() override {
    cancels.fetch_add(1);
    inner_.Cancel();
  }

 private:
  BackgroundSearchWait inner_{nullptr};
};

// Stop during a steady stream of datagrams: the search ends within a batch of the stop, however
// the stream keeps the thread from ever blocking in a wait.
void ExpectStopEndsTheFlood(const SearchPlan& plan) {
  FloodTransport flood;
  auto wait = std::make_unique<CountingCancelWait>();
  flood.cancels = &wait->cancels;
  EngineOptions options;
  options.broadcastTimeoutMs = 60000;
  options.sweepGroupWaitMs = 0;
  options.sweepLastWaitMs = 60000;
  CollectingWindow window;
  {
    CIpDiscoveryEngine engine(&window, options, std::move(wait), &flood);
    const std::atomic<int>& cancels = *flood.cancels;
    engine.StartSearch(plan);  // itself a Stop (of no search) and so a Cancel
    flood.releaseAbove.store(cancels.load());
    while (flood.delivered.load() < FloodTransport::kStopAt) std::this_thread::yield();
    engine.Stop();
    EXPECT_FALSE(engine.IsBusy());
  }
  EXPECT_LE(flood.delivered.load(), FloodTransport::kStopAt + 4096 + 64);
  EXPECT_EQ(window.Count(WM_SEARCH_DONE), 1u);
}

TEST(EngineStopTest, StopEndsABroadcastRoundUnderAStreamOfDatagrams) {
  SearchPlan plan;
  plan.searchLocal = true;
  ExpectStopEndsTheFlood(plan);
}

TEST(EngineStopTest, StopEndsASweepUnderAStreamOfDatagrams) {
  SearchPlan plan;
  plan.searchLocal = false;
  plan.searchList = true;
  plan.entries = {"10.9.8.*"};
  ExpectStopEndsTheFlood(plan);
}

}  // namespace
}  // namespace discovery
