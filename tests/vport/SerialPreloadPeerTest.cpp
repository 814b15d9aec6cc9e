// A serial application run through portolan-serial-run against a real RFC 2217 server: ser2net in
// front of a pty pair. Its calls succeed, its rate and stop bits reach the port ser2net serves
// (a pty too, so data size and parity stop there), and data still passes. Skipped when ser2net or
// socat is missing.
#include <gtest/gtest.h>

#include <memory>

#include "BridgeTestSupport.h"
#include "PreloadProbe.h"
#include "Ser2netPeer.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

class SerialPreloadPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::Ser2netPeer::Available()) GTEST_SKIP() << "ser2net or socat missing";
    platform::InstallPrompt(&prompt);
    ASSERT_TRUE(peer.Start(portDir.Path())) << "ser2net did not start";
  }
  void TearDown() override {
    port.reset();
    platform::InstallPrompt(nullptr);
  }
  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
  std::unique_ptr<CVirtualPortThread> port;
  test::Ser2netPeer peer;
};

TEST_F(SerialPreloadPeer, TheApplicationsCallsSucceedAndItsLineReachesTheServedPort) {
  port = std::make_unique<CVirtualPortThread>();
  port->SetStartValues("127.0.0.1", std::to_string(peer.TcpPort()), "COM45", PORTFLAG_RFC2217);
  port->SetObserver(&observer);
  port->SetBusy();
  ASSERT_TRUE(port->Resume());
  port->WaitWhileBusy();
  ASSERT_TRUE(port->PortExists());

  test::Probe app({portDir.Entry("COM45"), "pause", "line:7E2:1200", "dtr:0", "rts:0", "dtr:1",
                   "break", "mget", "read1"},
                  test::Preload::kWrapper, 10000);  // patient on a busy machine
  EXPECT_EQ(app.Line(), "paused");
  ASSERT_TRUE(observer.WaitFor("COM45 Open"));
  app.Continue();
  for (const char* step : {"pause", "line:7E2:1200", "dtr:0", "rts:0", "dtr:1", "break"}) {
    EXPECT_EQ(app.Line(), std::string(step) + " 0 0");
  }
  // Answered by the bridge (a pty alone would refuse TIOCMGET).
  EXPECT_EQ(app.Line().rfind("mget bits ", 0), 0u);

  // ser2net set the port it serves to the application's rate and stop bits.
  const int near = open(peer.Near().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(near, 0);
  bool applied = false;
  termios t{};
  for (int i = 0; i < 250 && !applied; ++i) {
    tcgetattr(near, &t);
    applied = cfgetospeed(&t) == B1200 && (t.c_cflag & CSTOPB);
    if (!applied) usleep(20000);
  }
  close(near);
  EXPECT_TRUE(applied) << "speed " << cfgetospeed(&t) << " cflag " << std::hex << t.c_cflag;

  // Data still passes: a byte from the device ends the probe's read.
  const int far = test::OpenAsApplication(peer.Far(), B1200);
  ASSERT_GE(far, 0);
  const uint8_t byte[] = {'d'};
  ASSERT_TRUE(test::WriteAll(far, byte, sizeof byte));
  EXPECT_EQ(app.Line(), "read1 0 0");
  EXPECT_EQ(app.Wait(), 0);
  close(far);
}

}  // namespace
}  // namespace vport
