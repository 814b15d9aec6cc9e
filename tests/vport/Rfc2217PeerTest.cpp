// RFC 2217 against a real server: ser2net with a telnet(rfc2217) accepter on 127.0.0.1, in front
// of a pty pair made by socat. Skipped when either program is missing.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "BridgeTestSupport.h"
#include "Ser2netPeer.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

using Rfc2217Peer = test::Ser2netBridgeTest;

TEST_F(Rfc2217Peer, SettingsReachTheFarPortAndDataPassesBothWays) {
  ASSERT_TRUE(StartPort("COM40"));

  // The application sets its line right after opening, while the bridge is still connecting.
  const int app = test::OpenAsApplication(portDir.Entry("COM40"), B9600, true, true);
  ASSERT_GE(app, 0);
  ASSERT_TRUE(observer.WaitFor("COM40 Open"));

  // ser2net applies the settings to the port it serves.
  termios t{};
  const bool applied = WaitForServedSettings(
      [](const termios& s) {
        return cfgetospeed(&s) == B9600 && (s.c_cflag & CSTOPB) && (s.c_cflag & CRTSCTS);
      },
      &t);
  EXPECT_TRUE(applied) << "speed " << cfgetospeed(&t) << " cflag " << std::hex << t.c_cflag;

  const int far = test::OpenAsApplication(peer.Far(), B9600);
  ASSERT_GE(far, 0);
  // Data both ways, a 255 among it (doubled on the wire, single at the far end).
  std::vector<uint8_t> up = {'u', 'p', 0xFF, 0x00, 'x', 0xFF, 0xFF};
  ASSERT_TRUE(test::WriteAll(app, up.data(), up.size()));
  EXPECT_TRUE(test::ReadExactly(far, up.size()) == up);
  std::vector<uint8_t> down = {'d', 'o', 'w', 'n', 0xFF, '!'};
  ASSERT_TRUE(test::WriteAll(far, down.data(), down.size()));
  EXPECT_TRUE(test::ReadExactly(app, down.size()) == down);
  close(far);
  close(app);
  EXPECT_TRUE(observer.WaitFor("COM40 Closed"));
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(Rfc2217Peer, AnApplicationThatOnlyReadsLeavesTheServedLineAsItWas) {
  ASSERT_TRUE(StartPort("COM45"));
  // Opened as a logger opens it: no tcsetattr. The port was primed with RTS/CTS.
  const int app = open(portDir.Entry("COM45").c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(app, 0);
  ASSERT_TRUE(observer.WaitFor("COM45 Open"));
  const int far = test::OpenAsApplication(peer.Far(), B115200);
  ASSERT_GE(far, 0);
  const std::vector<uint8_t> hello = {'h', 'i'};
  ASSERT_TRUE(test::WriteAll(far, hello.data(), hello.size()));
  EXPECT_TRUE(test::ReadExactly(app, hello.size()) == hello);
  // A byte from the application: once it is out at the far end, ser2net has taken everything
  // the bridge sent before it.
  ASSERT_EQ(write(app, "x", 1), 1);
  EXPECT_EQ(test::ReadExactly(far, 1), std::vector<uint8_t>{'x'});
  const int near = open(peer.Near().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(near, 0);
  termios t{};
  ASSERT_EQ(tcgetattr(near, &t), 0);
  close(near);
  // ser2net's own 115200n81 without flow control: the priming stayed local.
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
  close(far);
  close(app);
}

}  // namespace
}  // namespace vport
