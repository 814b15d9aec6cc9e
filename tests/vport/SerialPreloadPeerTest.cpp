// A serial application run through portolan-serial-run against a real RFC 2217 server: ser2net in
// front of a pty pair. Its calls succeed, its rate and stop bits reach the port ser2net serves
// (a pty too, so data size and parity stop there), and data still passes. Skipped when ser2net or
// socat is missing.
#include <gtest/gtest.h>

#include "BridgeTestSupport.h"
#include "PreloadProbe.h"
#include "Ser2netPeer.h"

namespace vport {
namespace {

using SerialPreloadPeer = test::Ser2netBridgeTest;

TEST_F(SerialPreloadPeer, TheApplicationsCallsSucceedAndItsLineReachesTheServedPort) {
  ASSERT_TRUE(StartPort("COM45"));

  test::Probe app({portDir.Entry("COM45"), "pause", "line:7E2:1200", "dtr:0", "rts:0", "dtr:1",
                   "break", "read1", "mget"},
                  test::Preload::kWrapper, 10000);  // patient on a busy machine
  EXPECT_EQ(app.Line(), "paused");
  ASSERT_TRUE(observer.WaitFor("COM45 Open"));
  app.Continue();
  for (const char* step : {"pause", "line:7E2:1200", "dtr:0", "rts:0", "dtr:1", "break"}) {
    EXPECT_EQ(app.Line(), std::string(step) + " 0 0");
  }
  // ser2net set the port it serves to the application's rate and stop bits.
  termios t{};
  const bool applied = WaitForServedSettings(
      [](const termios& s) { return cfgetospeed(&s) == B1200 && (s.c_cflag & CSTOPB); }, &t);
  EXPECT_TRUE(applied) << "speed " << cfgetospeed(&t) << " cflag " << std::hex << t.c_cflag;

  // Data still passes: a byte from the device ends the probe's read.
  const int far = test::OpenAsApplication(peer.Far(), B1200);
  ASSERT_GE(far, 0);
  const uint8_t byte[] = {'d'};
  ASSERT_TRUE(test::WriteAll(far, byte, sizeof byte));
  EXPECT_EQ(app.Line(), "read1 0 0");
  // ser2net reports its lines when the connection starts, before any data: answered by the
  // bridge (a pty alone refuses TIOCMGET).
  EXPECT_EQ(app.Line().rfind("mget bits ", 0), 0u);
  EXPECT_EQ(app.Wait(), 0);
  close(far);
}

}  // namespace
}  // namespace vport
