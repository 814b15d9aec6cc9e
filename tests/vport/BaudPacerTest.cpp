#include <gtest/gtest.h>

#include "platform/FakeClock.h"
#include "vport/BaudPacer.h"

namespace vport {
namespace {

using platform::FakeClock;

TEST(BaudPacerTest, NoCreditRightAfterRestart) {
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(9600, 10);
  pacer.Restart();
  EXPECT_EQ(pacer.Allowance(), 0u);
}

struct RateCase {
  long baud;
  unsigned bits;
  uint32_t ms;
  size_t expected;
};

class BaudPacerRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(BaudPacerRate, AllowanceMatchesLineTime) {
  const RateCase c = GetParam();
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(c.baud, c.bits);
  pacer.Restart();
  clock.Advance(c.ms);
  EXPECT_EQ(pacer.Allowance(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, BaudPacerRate,
                         ::testing::Values(RateCase{9600, 10, 100, 96},  // 8N1
                                           RateCase{9600, 11, 100, 87},  // 8N2: 87.27
                                           RateCase{300, 10, 100, 3},    //
                                           RateCase{300, 10, 30, 0},     // less than a char
                                           RateCase{115200, 10, 1, 11},  // 11.52 per ms
                                           RateCase{115200, 10, 150, 1728},
                                           RateCase{9600, 10, 60000, 192},  // idle earns 200 ms
                                           RateCase{50, 10, 60000, 1}));    // cap is >= 1 char

TEST(BaudPacerTest, FractionsCarryOverSoLongRunsKeepTheRate) {
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(9600, 11);  // 872.7 chars per second
  pacer.Restart();
  size_t total = 0;
  for (int i = 0; i < 1000; ++i) {  // ten seconds in 10 ms steps, all taken at once
    clock.Advance(10);
    const size_t n = pacer.Allowance();
    pacer.Consume(n);
    total += n;
  }
  EXPECT_EQ(total, 8727u);  // floor(10 s * 9600 / 11)
}

TEST(BaudPacerTest, UnusedCreditIsCappedAndConsumptionSpendsIt) {
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(9600, 10);
  pacer.Restart();
  clock.Advance(1000);
  EXPECT_EQ(pacer.Allowance(), 192u);
  pacer.Consume(100);
  EXPECT_EQ(pacer.Allowance(), 92u);
  pacer.Consume(92);
  EXPECT_EQ(pacer.Allowance(), 0u);
}

TEST(BaudPacerTest, RightAcrossTickWrap) {
  FakeClock clock(0xFFFFFFF0u);
  BaudPacer pacer(clock);
  pacer.SetLine(9600, 10);
  pacer.Restart();
  clock.Advance(0x20);  // wraps past zero: 32 ms
  EXPECT_EQ(pacer.Allowance(), 30u);
}

TEST(BaudPacerTest, ZeroBaudKeepsThePreviousRate) {
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(2400, 10);
  pacer.SetLine(0, 10);
  pacer.Restart();
  clock.Advance(100);
  EXPECT_EQ(pacer.Baud(), 2400);
  EXPECT_EQ(pacer.Allowance(), 24u);
}

TEST(BaudPacerTest, SlowerLineShrinksHeldCredit) {
  FakeClock clock;
  BaudPacer pacer(clock);
  pacer.SetLine(115200, 10);
  pacer.Restart();
  clock.Advance(200);
  EXPECT_EQ(pacer.Allowance(), 2304u);
  pacer.SetLine(1200, 10);
  EXPECT_EQ(pacer.Allowance(), 24u);  // at most 200 ms of the new line
}

}  // namespace
}  // namespace vport
