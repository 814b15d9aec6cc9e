// RFC 2217 against a real server: ser2net with a telnet(rfc2217) accepter on 127.0.0.1, in front
// of a pty pair made by socat. Skipped when either program is missing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
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

class Rfc2217Peer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::Ser2netPeer::Available()) GTEST_SKIP() << "ser2net or socat missing";
    platform::InstallPrompt(&prompt);
    ASSERT_TRUE(peer.Start(portDir.Path())) << "ser2net did not start";
    near_ = peer.Near();
    far_ = peer.Far();
    tcpPort_ = peer.TcpPort();
  }
  void TearDown() override {
    port.reset();
    platform::InstallPrompt(nullptr);
  }

  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
  std::unique_ptr<CVirtualPortThread> port;
  std::string near_, far_;
  uint16_t tcpPort_ = 0;
  test::Ser2netPeer peer;  // after portDir: stopped before the folder goes
};

TEST_F(Rfc2217Peer, SettingsReachTheFarPortAndDataPassesBothWays) {
  port = std::make_unique<CVirtualPortThread>();
  port->SetStartValues("127.0.0.1", std::to_string(tcpPort_), "COM40", PORTFLAG_RFC2217);
  port->SetObserver(&observer);
  port->SetBusy();
  ASSERT_TRUE(port->Resume());
  port->WaitWhileBusy();
  ASSERT_TRUE(port->PortExists());

  // The application sets its line right after opening, while the bridge is still connecting.
  const int app = test::OpenAsApplication(portDir.Entry("COM40"), B9600, true, true);
  ASSERT_GE(app, 0);
  ASSERT_TRUE(observer.WaitFor("COM40 Open"));

  // ser2net applies the settings to the port it serves.
  const int near = open(near_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(near, 0);
  bool applied = false;
  termios t{};
  for (int i = 0; i < 250 && !applied; ++i) {
    tcgetattr(near, &t);
    applied = cfgetospeed(&t) == B9600 && (t.c_cflag & CSTOPB) && (t.c_cflag & CRTSCTS);
    if (!applied) usleep(20000);
  }
  close(near);
  EXPECT_TRUE(applied) << "speed " << cfgetospeed(&t) << " cflag " << std::hex << t.c_cflag;

  const int far = test::OpenAsApplication(far_, B9600);
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

}  // namespace
}  // namespace vport
