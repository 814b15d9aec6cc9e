// The broadcast exchange against a thousand simulated devices that all answer at the same
// instant, inside two network namespaces that the test makes and removes (skipped when not
// root). The engine runs in this process on a thread moved into the asking namespace, so the
// exchange's own figures (rounds, drops, receive queue) can be checked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <set>
#include <string>
#include <thread>

#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/ScriptedNetwork.h"

namespace discovery {
namespace {

constexpr int kDevices = 1000;
constexpr int kPort = 4201;

struct SearchOutcome {
  bool enteredNamespace = false;
  ExchangeStats stats;
  std::set<std::string> hw;
  size_t records = 0;
  size_t done = 0;
};

class ExchangeNetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
      GTEST_SKIP() << "build portolan-devsim first";
    }
    if (!net_.Ok()) GTEST_SKIP() << "needs root and network namespaces";
    ASSERT_TRUE(net_.AddDeviceAddresses(1, kDevices));
    SetDiscoveryPort(kPort);
  }
  void TearDown() override {
    SetDiscoveryPort(kDefaultDiscoveryPort);
    SetDiscoveryReceiveBuffer(kDefaultDiscoveryReceiveBuffer);
  }

  // The simulator sends every reply back to back, in the same order for every request.
  void StartUnpacedDevices() {
    sim_ = std::make_unique<DevSimProcess>(
        std::vector<std::string>{"--count", std::to_string(kDevices), "--base-ip", "10.0.0.1",
                                 "--mask", "255.255.0.0", "--udp-port", std::to_string(kPort),
                                 "--no-tcp", "--no-multicast", "--burst", "100000",
                                 "--burst-gap-ms", "0"},
        net_.B());
    ASSERT_TRUE(sim_->Ready());
  }

  // One local-network search, run to its end on a thread inside the asking namespace.
  SearchOutcome Search(EngineOptions options) {
    SearchOutcome outcome;
    test::CollectingWindow window;
    const std::string path = "/var/run/netns/" + net_.A();
    std::thread searcher([&] {
      const int ns = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (ns < 0) return;
      // Only this thread moves; its sockets then belong to the asking namespace.
      outcome.enteredNamespace = ::setns(ns, CLONE_NEWNET) == 0;
      ::close(ns);
      if (!outcome.enteredNamespace) return;
      CIpDiscoveryEngine engine(&window, options);
      SearchPlan plan;
      plan.searchLocal = true;
      engine.RunSearch(plan);
      outcome.stats = engine.LastExchange();
    });
    searcher.join();
    outcome.records = window.records.size();
    for (CDeviceRecord* record : window.records) {
      outcome.hw.insert(record->GetColumnText(kColHwAddress));
    }
    outcome.done = window.Count(WM_SEARCH_DONE);
    return outcome;
  }

  static EngineOptions Options() {
    EngineOptions options;
    options.broadcastTimeoutMs = 1000;
    return options;
  }

  NetnsPair net_;
  std::unique_ptr<DevSimProcess> sim_;
};

TEST_F(ExchangeNetnsTest, ThousandUnpacedDevicesAreAllListedAndTheExchangeEnds) {
  StartUnpacedDevices();
  const SearchOutcome outcome = Search(Options());
  ASSERT_TRUE(outcome.enteredNamespace);
  EXPECT_EQ(outcome.done, 1u);
  EXPECT_EQ(outcome.hw.size(), static_cast<size_t>(kDevices));
  EXPECT_EQ(outcome.records, static_cast<size_t>(kDevices));  // each device posted once
  EXPECT_EQ(outcome.stats.devices, kDevices);
  // Root may go past the system's limit: the whole queue asked for was granted, and nothing
  // was dropped on the way in.
  EXPECT_GE(outcome.stats.receiveBuffer, kDefaultDiscoveryReceiveBuffer);
  EXPECT_EQ(outcome.stats.lost, 0);
  // The second request names 179 of them; the others repeat themselves and the round brings
  // nothing new.
  EXPECT_EQ(outcome.stats.rounds, 2);
}

TEST_F(ExchangeNetnsTest, WithASmallReceiveQueueLossyRoundsAreRepeatedAndTheExchangeStillEnds) {
  StartUnpacedDevices();
  // Room for a few dozen replies: a thousand arriving at once overflow it however quickly the
  // engine reads (a queue of a few hundred replies was sometimes drained in time on an idle
  // machine, and then nothing was lost).
  ASSERT_TRUE(SetDiscoveryReceiveBuffer(32 * 1024));
  EngineOptions options = Options();
  options.lossRetries = 3;
  const SearchOutcome outcome = Search(options);
  ASSERT_TRUE(outcome.enteredNamespace);
  EXPECT_EQ(outcome.done, 1u);
  EXPECT_LT(outcome.stats.receiveBuffer, 1024 * 1024);
  ASSERT_GT(outcome.stats.lost, 0);
  EXPECT_GT(outcome.stats.lossyRounds, 0);
  EXPECT_EQ(outcome.hw.size(), outcome.records);
  EXPECT_EQ(outcome.stats.devices, static_cast<int>(outcome.hw.size()));
  EXPECT_GE(outcome.stats.rounds, 2);
  std::printf("small queue (%d bytes): %zu of %d listed in %d rounds, %lld dropped in %d rounds\n",
              outcome.stats.receiveBuffer, outcome.hw.size(), kDevices, outcome.stats.rounds,
              outcome.stats.lost, outcome.stats.lossyRounds);
}

}  // namespace
}  // namespace discovery
