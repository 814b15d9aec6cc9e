#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/FakeClock.h"
#include "platform/SystemClock.h"

namespace platform {
namespace {

TEST(ClockTest, ElapsedAllowsForOneWrap) {
  EXPECT_EQ(Clock::Elapsed(100, 350), 250u);
  EXPECT_EQ(Clock::Elapsed(0xFFFFFF00u, 0x10u), 0x110u);
  EXPECT_EQ(Clock::Elapsed(5, 5), 0u);
}

TEST(ClockTest, FakeSleepAndIdlePollAdvanceAtOnce) {
  FakeClock clock(0xFFFFFFFEu);
  clock.Sleep(3);
  EXPECT_EQ(clock.TickCount(), 1u);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pollfd p{fds[0], POLLIN, 0};
  EXPECT_EQ(clock.Poll(&p, 1, 40), 0);
  EXPECT_EQ(clock.TickCount(), 41u);
  EXPECT_EQ(clock.Poll(&p, 1, 0), 0);
  EXPECT_EQ(clock.TickCount(), 41u);
  // Something ready: no time passes.
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_EQ(clock.Poll(&p, 1, 40), 1);
  EXPECT_TRUE(p.revents & POLLIN);
  EXPECT_EQ(clock.TickCount(), 41u);
  close(fds[0]);
  close(fds[1]);
}

TEST(ClockTest, ManualSleepWaitsForAdvance) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  std::atomic<bool> done{false};
  std::thread sleeper([&] {
    clock.Sleep(30);
    done = true;
  });
  ASSERT_TRUE(clock.WaitForBlocked());
  uint64_t blocks = clock.Blocks();
  clock.Advance(29);
  ASSERT_TRUE(clock.WaitForNewBlock(blocks));
  EXPECT_FALSE(done.load());
  clock.Advance(1);
  sleeper.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(clock.Blocked(), 0);
}

TEST(ClockTest, ManualPollWakesForItsFdAndForItsDeadline) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::atomic<int> result{-2};
  std::thread poller([&] {
    pollfd p{fds[0], POLLIN, 0};
    result = clock.Poll(&p, 1, -1);
  });
  ASSERT_TRUE(clock.WaitForBlocked());
  clock.Advance(100000);  // no deadline: time alone does not end it
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  poller.join();
  EXPECT_EQ(result.load(), 1);

  char c;
  ASSERT_EQ(read(fds[0], &c, 1), 1);
  std::thread timed([&] {
    pollfd p{fds[0], POLLIN, 0};
    result = clock.Poll(&p, 1, 50);
  });
  ASSERT_TRUE(clock.WaitForBlocked());
  clock.Advance(50);
  timed.join();
  EXPECT_EQ(result.load(), 0);
  close(fds[0]);
  close(fds[1]);
}

TEST(ClockTest, SystemClockTicksForward) {
  SystemClock& clock = SystemClock::Instance();
  const uint32_t start = clock.TickCount();
  clock.Sleep(20);
  EXPECT_GE(Clock::Elapsed(start, clock.TickCount()), 20u);
  EXPECT_EQ(clock.Poll(nullptr, 0, 0), 0);
}

}  // namespace
}  // namespace platform
