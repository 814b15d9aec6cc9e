#include <gtest/gtest.h>

#include "vport/PortSettings.h"

namespace vport {
namespace {

struct termios RawTermios() {
  struct termios t {};
  cfmakeraw(&t);
  cfsetospeed(&t, B9600);
  cfsetispeed(&t, B9600);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VEOF] = 4;
  t.c_cc[VSTART] = 0x11;
  t.c_cc[VSTOP] = 0x13;
  return t;
}

TEST(PortSettingsTest, BaudTable) {
  EXPECT_EQ(PortSettings::BaudFromSpeed(B300), 300);
  EXPECT_EQ(PortSettings::BaudFromSpeed(B9600), 9600);
  EXPECT_EQ(PortSettings::BaudFromSpeed(B115200), 115200);
  EXPECT_EQ(PortSettings::BaudFromSpeed(B921600), 921600);
  EXPECT_EQ(PortSettings::BaudFromSpeed(B0), 0);
  EXPECT_EQ(PortSettings::BaudFromSpeed(static_cast<speed_t>(0x7777)), 0);
}

TEST(PortSettingsTest, PlainLine) {
  const PortSettings s = PortSettings::FromTermios(RawTermios());
  EXPECT_EQ(s.baud, 9600);
  EXPECT_EQ(s.stopBits, 0);
  EXPECT_EQ(s.BitsPerChar(), 10u);
  EXPECT_EQ(s.handFlow.controlHandShake, SERIAL_DTR_CONTROL);
  EXPECT_EQ(s.handFlow.flowReplace, SERIAL_RTS_CONTROL);
  EXPECT_EQ(s.specialChars.eofChar, 4);
  EXPECT_EQ(s.specialChars.xonChar, 0x11);
  EXPECT_EQ(s.specialChars.xoffChar, 0x13);
  EXPECT_EQ(s.specialChars.errorChar, 0);
  EXPECT_EQ(s.timeouts, CommTimeouts{});  // VMIN 1, VTIME 0: a read waits for data, no time-out
}

TEST(PortSettingsTest, TwoStopBits) {
  struct termios t = RawTermios();
  t.c_cflag |= CSTOPB;
  const PortSettings s = PortSettings::FromTermios(t);
  EXPECT_EQ(s.stopBits, 2);
  EXPECT_EQ(s.BitsPerChar(), 11u);
}

struct FlowCase {
  tcflag_t cflag;
  tcflag_t iflag;
  uint32_t controlHandShake;
  uint32_t flowReplace;
};

class PortSettingsFlow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(PortSettingsFlow, HandFlowBits) {
  const FlowCase c = GetParam();
  struct termios t = RawTermios();
  t.c_cflag |= c.cflag;
  t.c_iflag |= c.iflag;
  const HandFlow flow = PortSettings::FromTermios(t).handFlow;
  EXPECT_EQ(flow.controlHandShake, c.controlHandShake);
  EXPECT_EQ(flow.flowReplace, c.flowReplace);
  EXPECT_EQ(flow.xonLimit, 0u);
  EXPECT_EQ(flow.xoffLimit, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Flows, PortSettingsFlow,
    ::testing::Values(FlowCase{0, 0, 0x01, 0x40}, FlowCase{CRTSCTS, 0, 0x01 | 0x08, 0x80},
                      FlowCase{0, IXON, 0x01, 0x40 | 0x01}, FlowCase{0, IXOFF, 0x01, 0x40 | 0x02},
                      FlowCase{CRTSCTS, IXON | IXOFF, 0x01 | 0x08, 0x80 | 0x01 | 0x02}));

TEST(PortSettingsTest, HungUpLineDropsDtr) {
  struct termios t = RawTermios();
  cfsetospeed(&t, B0);
  const PortSettings s = PortSettings::FromTermios(t);
  EXPECT_EQ(s.baud, 0);
  EXPECT_EQ(s.handFlow.controlHandShake & SERIAL_DTR_CONTROL, 0u);
}

struct TimeoutCase {
  cc_t vmin;
  cc_t vtime;
  CommTimeouts expected;
};

class PortSettingsTimeouts : public ::testing::TestWithParam<TimeoutCase> {};

TEST_P(PortSettingsTimeouts, VminVtimeAsReadTimeouts) {
  const TimeoutCase c = GetParam();
  struct termios t = RawTermios();
  t.c_cc[VMIN] = c.vmin;
  t.c_cc[VTIME] = c.vtime;
  EXPECT_EQ(PortSettings::FromTermios(t).timeouts, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Reads, PortSettingsTimeouts,
                         ::testing::Values(TimeoutCase{0, 0, {kMaxDword, 0, 0, 0, 0}},
                                           TimeoutCase{0, 5, {kMaxDword, kMaxDword, 500, 0, 0}},
                                           TimeoutCase{0, 255, {kMaxDword, kMaxDword, 25500, 0, 0}},
                                           TimeoutCase{1, 0, {0, 0, 0, 0, 0}},
                                           TimeoutCase{10, 2, {200, 0, 0, 0, 0}}));

}  // namespace
}  // namespace vport
