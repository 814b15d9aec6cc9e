// A port with fixed line settings (7E1) over RFC 2217: the exact bytes a capturing server gets.
#include <gtest/gtest.h>

#include <memory>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/CVirtualPortThread.h"
#include "vport/LineSettings.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kSevenEvenOne = {255, 250, 44, 4, 1, 255, 240,   // SET-STOPSIZE one
                             255, 250, 44, 3, 3, 255, 240,   // SET-PARITY even
                             255, 250, 44, 2, 7, 255, 240};  // SET-DATASIZE 7

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class FixedLineBridge : public ::testing::Test {
 protected:
  FixedLineBridge() { platform::InstallPrompt(&prompt); }
  ~FixedLineBridge() override { platform::InstallPrompt(nullptr); }
  std::unique_ptr<CVirtualPortThread> Start(uint16_t tcpPort, const std::string& line) {
    auto port = std::make_unique<CVirtualPortThread>();
    port->SetLineSettings(LineSettings::Parse(line));
    test::StartAndWait(*port, "COM43", std::to_string(tcpPort), PORTFLAG_RFC2217, &observer);
    return port;
  }
  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
};

TEST_F(FixedLineBridge, SentAfterTheOffersAndAfterEveryBaudRateInPlaceOfTheApplicationsLine) {
  test::LoopbackListener server;
  auto port = Start(server.Port(), "7E1");
  ASSERT_TRUE(port->PortExists());
  // The application writes its line and keeps the primed 115200 baud, one stop bit, RTS/CTS.
  const int app = test::OpenAsApplication(portDir.Entry("COM43"), B115200, false, false);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM43 Open"));
  const uint8_t data[] = {'x'};
  ASSERT_EQ(write(app, data, sizeof data), 1);
  const Bytes expected = Join({{255, 251, 0, 255, 251, 44},                // the option offers
                               {255, 250, 44, 1, 0, 1, 194, 0, 255, 240},  // 115200
                               kSevenEvenOne,                              // the fixed line
                               {255, 250, 44, 5, 3, 255, 240},             // hardware flow
                               {'x'}});
  EXPECT_EQ(test::ReadExactly(peer, expected.size()), expected);

  // A new rate: the fixed line follows it.
  termios t{};
  tcgetattr(app, &t);
  cfsetispeed(&t, B1200);
  cfsetospeed(&t, B1200);
  tcsetattr(app, TCSANOW, &t);
  const Bytes rate = Join(
      {{255, 250, 44, 1, 0, 0, 4, 176, 255, 240}, kSevenEvenOne, {255, 250, 44, 5, 3, 255, 240}});
  EXPECT_EQ(test::ReadExactly(peer, rate.size()), rate);

  // The application asks for two stop bits: the server keeps the user's one (each write sends
  // the whole line again).
  tcgetattr(app, &t);
  t.c_cflag |= CSTOPB;
  tcsetattr(app, TCSANOW, &t);
  EXPECT_EQ(test::ReadExactly(peer, rate.size()), rate);
  close(app);
  close(peer);
}

TEST_F(FixedLineBridge, TwoStopBitsAndSpaceParityReachTheServerWithoutAnApplicationChange) {
  test::LoopbackListener server;
  auto port = Start(server.Port(), "8S2");
  ASSERT_TRUE(port->PortExists());
  const int app = test::OpenAsApplication(portDir.Entry("COM43"), B115200, false, false);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM43 Open"));
  const Bytes expected = {255, 251, 0,   255, 251, 44,  255, 250, 44,  1,   0,  1, 194, 0,   255,
                          240, 255, 250, 44,  4,   2,   255, 240, 255, 250, 44, 3, 5,   255, 240,
                          255, 250, 44,  2,   8,   255, 240, 255, 250, 44,  5,  3, 255, 240};
  EXPECT_EQ(test::ReadExactly(peer, expected.size()), expected);
  close(app);
  close(peer);
}

}  // namespace
}  // namespace vport
