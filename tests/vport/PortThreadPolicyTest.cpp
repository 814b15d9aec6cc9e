// How a port thread picks its scheduling policy: the monitor's windows over scripted CPU
// counters, its sharing among threads, and the policy's changes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/FakeCpuTimes.h"
#include "platform/RecordingThreadScheduling.h"
#include "vport/IdleCpuMonitor.h"
#include "vport/PortThreadPolicy.h"

namespace vport {
namespace {

using platform::CpuTime;

// Two CPUs whose counters moved by 100 ticks each since `base`, idle for the given ticks.
std::vector<CpuTime> After(const std::vector<CpuTime>& base, uint64_t idle0, uint64_t idle1) {
  return {{base[0].idle + idle0, base[0].total + 100}, {base[1].idle + idle1, base[1].total + 100}};
}

const std::vector<CpuTime> kStart = {{1000, 5000}, {2000, 5000}};

TEST(IdleCpuMonitorTest, JudgesEachWindowByItsLeastIdleCpu) {
  struct Case {
    const char* name;
    uint64_t idle0, idle1;
    bool room;
  };
  const Case cases[] = {
      {"both mostly idle", 80, 60, true},
      {"exactly the least share", IdleCpuMonitor::kIdlePercent, 90, true},
      {"one CPU just under it", IdleCpuMonitor::kIdlePercent - 1, 90, false},
      {"one CPU fully busy", 90, 0, false},
      {"both busy", 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::FakeCpuTimes times;
    times.Push(kStart);
    times.Push(After(kStart, c.idle0, c.idle1));
    IdleCpuMonitor monitor(times);
    EXPECT_FALSE(monitor.CpusHaveRoom(0));  // the first sample only starts a window
    EXPECT_EQ(monitor.CpusHaveRoom(IdleCpuMonitor::kSampleMs), c.room);
  }
}

TEST(IdleCpuMonitorTest, SamplesOncePerWindowAndNotAfterALongSilence) {
  platform::FakeCpuTimes times;
  times.Push(kStart);
  const std::vector<CpuTime> second = After(kStart, 50, 50);
  times.Push(second);
  times.Push(After(second, 50, 50));  // read after a silence: starts a new window only
  const std::vector<CpuTime> fourth = After(After(second, 50, 50), 50, 50);
  times.Push(fourth);
  IdleCpuMonitor monitor(times);
  EXPECT_FALSE(monitor.CpusHaveRoom(1000));
  EXPECT_FALSE(monitor.CpusHaveRoom(1099));  // within the window: the last answer, no read
  EXPECT_EQ(times.Reads(), 1);
  EXPECT_TRUE(monitor.CpusHaveRoom(1100));
  EXPECT_TRUE(monitor.CpusHaveRoom(1150));
  EXPECT_EQ(times.Reads(), 2);
  // A port that was silent longer than kStaleMs: the window says nothing about now.
  EXPECT_FALSE(monitor.CpusHaveRoom(1100 + IdleCpuMonitor::kStaleMs + 1));
  EXPECT_TRUE(monitor.CpusHaveRoom(1100 + IdleCpuMonitor::kStaleMs + 1 + 100));
  EXPECT_EQ(times.Reads(), 4);
}

TEST(IdleCpuMonitorTest, CountersThatFailChangeShapeOrGoBackGiveNoRoom) {
  platform::FakeCpuTimes times;
  times.Push(kStart);
  times.PushFailure();         // unreadable: no room
  times.Push(kStart);          // a new window after the failure
  times.Push({{1050, 5100}});  // a CPU went offline
  times.Push({{1000, 5000}, {2000, 5000}});
  times.Push({{1000, 5000}, {2050, 5100}});  // CPU 0's counters stood still
  times.Push({{1100, 5100}, {2000, 5200}});  // CPU 1's idle time went back
  IdleCpuMonitor monitor(times);
  uint32_t now = 0;
  for (int i = 0; i < 7; ++i, now += IdleCpuMonitor::kSampleMs) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(monitor.CpusHaveRoom(now));
  }
  EXPECT_EQ(times.Reads(), 7);
}

TEST(IdleCpuMonitorTest, HandlesTheTickCountWrapping) {
  platform::FakeCpuTimes times;
  times.Push(kStart);
  times.Push(After(kStart, 50, 50));
  IdleCpuMonitor monitor(times);
  EXPECT_FALSE(monitor.CpusHaveRoom(0xFFFFFFF0u));
  EXPECT_FALSE(monitor.CpusHaveRoom(0x20u));  // 48 ms later: still the first window
  EXPECT_TRUE(monitor.CpusHaveRoom(0x60u));   // 112 ms later
}

TEST(IdleCpuMonitorTest, ThreadsAskingTogetherReadTheCountersOncePerWindow) {
  platform::FakeCpuTimes times;
  std::vector<CpuTime> sample = kStart;
  for (int i = 0; i < 50; ++i) {
    times.Push(sample);
    sample = After(sample, 60, 60);
  }
  IdleCpuMonitor monitor(times);
  std::atomic<uint32_t> now{0};
  std::atomic<int> rooms{0};
  std::vector<std::thread> ports;
  for (int t = 0; t < 8; ++t) {
    ports.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        if (monitor.CpusHaveRoom(now.load())) rooms.fetch_add(1);
        if (i % 50 == 0) now.fetch_add(10);
      }
    });
  }
  for (std::thread& port : ports) port.join();
  // 8 threads x 40 steps of 10 ms: 3200 ms, so about 32 windows, never more than one read each.
  EXPECT_LE(times.Reads(), static_cast<int>(now.load() / IdleCpuMonitor::kSampleMs) + 1);
  EXPECT_GT(rooms.load(), 0);
}

TEST(PortThreadPolicyTest, FollowsTheMonitorAndCallsOnlyOnChanges) {
  platform::FakeCpuTimes times;
  std::vector<CpuTime> sample = kStart;
  times.Push(sample);
  for (const uint64_t idle : {50, 50, 0, 0, 70}) {
    sample = After(sample, idle, idle);
    times.Push(sample);
  }
  IdleCpuMonitor monitor(times);
  platform::RecordingThreadScheduling scheduling;
  PortThreadPolicy policy(monitor, scheduling, true);
  std::vector<bool> seen;
  for (uint32_t now = 0; now <= 500; now += 50) {
    policy.OnWake(now);
    seen.push_back(policy.Batch());
  }
  EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, true, true, false, false, false,
                                     false, true}));
  EXPECT_EQ(scheduling.calls, (std::vector<bool>{true, false, true}));
}

TEST(PortThreadPolicyTest, DisabledOrRefusedItLeavesThePolicyAlone) {
  platform::FakeCpuTimes times;
  times.Push(kStart);
  times.Push(After(kStart, 50, 50));
  times.Push(After(After(kStart, 50, 50), 50, 50));
  IdleCpuMonitor monitor(times);
  platform::RecordingThreadScheduling scheduling;
  PortThreadPolicy disabled(monitor, scheduling, false);
  disabled.OnWake(0);
  disabled.OnWake(100);
  EXPECT_TRUE(scheduling.calls.empty());
  EXPECT_EQ(times.Reads(), 0);  // a disabled policy costs nothing

  scheduling.error = EPERM;
  PortThreadPolicy refused(monitor, scheduling, true);
  refused.OnWake(0);
  refused.OnWake(100);  // room: asks for batch, refused
  refused.OnWake(200);
  EXPECT_EQ(scheduling.calls, (std::vector<bool>{true}));
  EXPECT_FALSE(refused.Batch());
}

TEST(PortThreadPolicyTest, TheEnvironmentCanKeepTheNormalPolicy) {
  unsetenv("PORTOLAN_PORT_SCHEDULING");
  EXPECT_TRUE(PortThreadPolicy::EnabledByEnvironment());
  setenv("PORTOLAN_PORT_SCHEDULING", "normal", 1);
  EXPECT_FALSE(PortThreadPolicy::EnabledByEnvironment());
  setenv("PORTOLAN_PORT_SCHEDULING", "adaptive", 1);
  EXPECT_TRUE(PortThreadPolicy::EnabledByEnvironment());
  unsetenv("PORTOLAN_PORT_SCHEDULING");
}

}  // namespace
}  // namespace vport
