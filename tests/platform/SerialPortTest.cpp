#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;

// A pseudo-terminal pair: the test plays the device on the master side.
class PtyFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master_, &slave, name, nullptr, nullptr), 0);
    close(slave);  // the port under test opens it by path
    path_ = name;
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
  }

  Bytes ReadMaster(size_t count) {
    Bytes out;
    while (out.size() < count) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 5000) != 1) break;
      uint8_t buffer[256];
      ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - out.size()));
      if (n <= 0) break;
      out.insert(out.end(), buffer, buffer + n);
    }
    return out;
  }
  void WriteMaster(const Bytes& data) {
    ASSERT_EQ(write(master_, data.data(), data.size()), static_cast<ssize_t>(data.size()));
  }

  static SerialSettings Settings() {
    SerialSettings s;
    s.baudRate = 57600;
    s.ctsOutputFlow = false;  // a pty has no CTS to wait for
    s.rts = SerialRts::On;
    s.timeouts.readIntervalMs = 20;
    s.timeouts.readTotalMultiplierMs = 2;
    s.timeouts.readTotalConstantMs = 50;
    s.timeouts.writeTotalConstantMs = 400;
    return s;
  }

  int master_ = -1;
  std::string path_;
};

TEST_F(PtyFixture, ConfiguresTheLine) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  SerialSettings s = Settings();
  s.ctsOutputFlow = true;
  s.rts = SerialRts::Handshake;
  ASSERT_TRUE(port->Configure(s));
  termios tio{};
  ASSERT_EQ(tcgetattr(port->Fd(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & PARENB, 0u);
  EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
  EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(tio.c_lflag & ICANON, 0u);  // raw: no line editing
  EXPECT_EQ(tio.c_lflag & ECHO, 0u);

  s.baudRate = 12345;  // no such rate
  EXPECT_FALSE(port->Configure(s));
  s.baudRate = 9600;
  s.dataBits = 9;
  EXPECT_FALSE(port->Configure(s));
  s.dataBits = 7;
  s.parity = SerialParity::Even;
  s.stopBits = SerialStopBits::Two;
  ASSERT_TRUE(port->Configure(s));
  ASSERT_EQ(tcgetattr(port->Fd(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
}

TEST_F(PtyFixture, OctetsPassBothWaysUnchanged) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(Settings()));
  // Every octet value, including the ones a cooked tty would act on.
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(port->Write(all.data(), all.size()), 256);
  EXPECT_EQ(ReadMaster(256), all);

  WriteMaster(all);
  Bytes got(256);
  EXPECT_EQ(port->Read(got.data(), got.size()), 256);
  EXPECT_EQ(got, all);
}

TEST_F(PtyFixture, ReadEndsShortWhenTheLineFallsSilent) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(Settings()));
  uint8_t buffer[6];
  EXPECT_EQ(port->Read(buffer, sizeof buffer), 0);  // nothing at all
  WriteMaster({0x2E, 0x2C, 0x3A});
  EXPECT_EQ(port->Read(buffer, sizeof buffer), 3);  // half a header, then silence
  EXPECT_EQ(buffer[2], 0x3A);
}

TEST_F(PtyFixture, PurgeDropsWaitingInput) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(Settings()));
  WriteMaster({1, 2, 3});
  // Make sure the octets reached the slave's queue before purging.
  pollfd p{port->Fd(), POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 5000), 1);
  EXPECT_TRUE(port->PurgeInput());
  WriteMaster({4});
  uint8_t buffer[4];
  ASSERT_EQ(port->Read(buffer, 1), 1);
  EXPECT_EQ(buffer[0], 4);
}

TEST_F(PtyFixture, APtyCannotReportBreaks) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  ASSERT_TRUE(port->Configure(Settings()));
  EXPECT_FALSE(port->ArmLineEvents());
  EXPECT_EQ(port->WaitLineEvent(10), SerialLineEvent::Failed);
}

TEST_F(PtyFixture, OpenIsExclusive) {
  auto first = SerialPort::Open(path_);
  ASSERT_TRUE(first);
  int error = 0;
  EXPECT_FALSE(SerialPort::Open(path_, &error));
  EXPECT_NE(error, 0);
  EXPECT_TRUE(first->Close());
  EXPECT_TRUE(SerialPort::Open(path_));
}

TEST_F(PtyFixture, ClosedPortRefusesEverything) {
  auto port = SerialPort::Open(path_);
  ASSERT_TRUE(port);
  EXPECT_TRUE(port->Close());
  uint8_t buffer[1] = {0};
  EXPECT_EQ(port->Read(buffer, 1), -1);
  EXPECT_EQ(port->Write(buffer, 1), -1);
  EXPECT_FALSE(port->Configure(Settings()));
  EXPECT_TRUE(port->Close());
}

TEST(SerialPortTest, NonTerminalsAreRefused) {
  int error = 0;
  EXPECT_FALSE(SerialPort::Open("/dev/null", &error));
  EXPECT_EQ(error, ENOTTY);
  EXPECT_FALSE(SerialPort::Open("/nonexistent/ttyS99", &error));
  EXPECT_EQ(error, ENOENT);
}

TEST(SerialPortTest, SpeedTable) {
  EXPECT_EQ(SerialSpeedConstant(57600), static_cast<unsigned>(B57600));
  EXPECT_EQ(SerialSpeedConstant(9600), static_cast<unsigned>(B9600));
  EXPECT_EQ(SerialSpeedConstant(115200), static_cast<unsigned>(B115200));
  EXPECT_EQ(SerialSpeedConstant(0), 0u);
  EXPECT_EQ(SerialSpeedConstant(57601), 0u);
}

}  // namespace
}  // namespace platform
