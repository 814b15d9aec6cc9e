// The bounds of a search: at most maxDevices devices (then the search stops, keeps what it found
// and says so in its end, its status text and the error log), and rounds that end after a
// wall-clock limit even while replies keep coming.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/ScriptedNetwork.h"
#include "platform/Clock.h"

namespace discovery {
namespace {

using test::CollectingWindow;
using test::MakeDevice;
using test::ScriptedNetwork;
using test::ScriptedWait;

// A host that answers without end: every receive gives its reply again.
class EndlessReplies : public ScriptedNetwork {
 public:
  int Receive(int socket, char* sender, size_t senderSize, void* buffer, int size) override {
    if (!flooding) return ScriptedNetwork::Receive(socket, sender, senderSize, buffer, size);
    const std::vector<uint8_t> reply = test::BuildReply(MakeDevice(7).shape);
    std::memcpy(buffer, reply.data(), std::min(reply.size(), static_cast<size_t>(size)));
    std::snprintf(sender, senderSize, "10.0.0.7");
    ++given;
    return static_cast<int>(reply.size());
  }
  bool flooding = true;
  long long given = 0;
};

// Every look at the clock finds it 50 ms later.
class StepClock : public platform::Clock {
 public:
  uint32_t TickCount() override { return now += 50; }
  void Sleep(uint32_t ms) override { now += ms; }
  int Poll(pollfd*, size_t, int) override { return 0; }
  uint32_t now = 0;
};

class SearchBoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](unsigned a, int, unsigned, int, int show) {
      logged.push_back({a, show});
      return 0;
    });
  }
  void TearDown() override { SetErrorReporter({}); }

  std::vector<std::pair<unsigned, int>> logged;
};

TEST_F(SearchBoundsTest, AFloodOfDistinctRepliesStopsAtTheBound) {
  struct Case {
    int bound;
    uint32_t devices;
    size_t listed;
    bool stopped;
  };
  for (const Case& c : {Case{10, 9, 9, false}, Case{10, 10, 10, false}, Case{10, 11, 10, true},
                        Case{10, 300, 10, true}, Case{4096, 5000, 4096, true}}) {
    logged.clear();
    ScriptedNetwork net;
    for (uint32_t n = 1; n <= c.devices; ++n) net.devices.push_back(MakeDevice(n));
    CollectingWindow window;
    auto wait = std::make_unique<ScriptedWait>(net);
    ScriptedWait* texts = wait.get();
    EngineOptions options;
    options.maxDevices = c.bound;
    CIpDiscoveryEngine engine(&window, options, std::move(wait), &net);
    SearchPlan plan;
    plan.searchLocal = true;
    plan.searchList = true;
    plan.entries = {"10.0.0.255<DB>"};  // not visited once the bound has stopped the search
    engine.RunSearch(plan);

    std::set<std::string> hw;
    for (auto* r : window.records) hw.insert(r->GetColumnText(kColHwAddress));
    // The directed broadcast hears every device again (the view drops the repeats); a device
    // heard before does not count twice.
    EXPECT_EQ(window.records.size(), c.stopped ? c.listed : 2 * c.listed) << c.devices;
    EXPECT_EQ(net.SentTo("10.0.0.255").empty(), c.stopped) << c.devices;
    EXPECT_EQ(hw.size(), c.listed) << c.devices;
    ASSERT_FALSE(window.posted.empty());
    const auto& done = window.posted.back();
    EXPECT_EQ(done.id, WM_SEARCH_DONE);
    EXPECT_EQ(done.lParam, c.stopped ? kSearchStoppedAtBound : 0) << c.devices;
    EXPECT_EQ(engine.StoppedAtBound(), c.stopped);
    const bool said = std::count(texts->texts.begin(), texts->texts.end(), kMsgDeviceBound) == 1;
    EXPECT_EQ(said, c.stopped) << c.devices;
    // Logged without a box: the search goes on to its end by itself.
    using Logged = std::vector<std::pair<unsigned, int>>;
    const Logged expected = c.stopped ? Logged{{kMsgDeviceBound, 0}} : Logged{};
    EXPECT_EQ(logged, expected) << c.devices;
  }
}

TEST_F(SearchBoundsTest, AHostThatNeverFallsSilentEndsTheRoundAtItsLimit) {
  EndlessReplies net;
  CollectingWindow window;
  StepClock clock;
  EngineOptions options;
  options.roundLimitMs = 2000;
  options.clock = &clock;
  CIpDiscoveryEngine engine(&window, options, std::make_unique<ScriptedWait>(net), &net);
  EXPECT_EQ(engine.BroadcastExchange("255.255.255.255", 0), CIpDiscoveryEngine::kExchangeOk);
  // Heard once; the second round names it, its replies are skipped, and that round is cut too.
  EXPECT_EQ(window.records.size(), 1u);
  EXPECT_EQ(engine.LastExchange().rounds, 2);
  EXPECT_EQ(engine.LastExchange().cutRounds, 2);
  EXPECT_EQ(engine.LastExchange().devices, 1);
  EXPECT_GT(net.given, 0);
}

TEST_F(SearchBoundsTest, WithoutALimitOnlySilenceEndsARound) {
  ScriptedNetwork net;
  for (uint32_t n = 1; n <= 3; ++n) net.devices.push_back(MakeDevice(n));
  CollectingWindow window;
  EngineOptions options;
  options.roundLimitMs = 0;
  CIpDiscoveryEngine engine(&window, options, std::make_unique<ScriptedWait>(net), &net);
  EXPECT_EQ(engine.BroadcastExchange("255.255.255.255", 0), CIpDiscoveryEngine::kExchangeOk);
  EXPECT_EQ(window.records.size(), 3u);
  EXPECT_EQ(engine.LastExchange().cutRounds, 0);
}

}  // namespace
}  // namespace discovery
