// Many ports at once, and the exact bytes an RFC 2217 port sends to a capturing server.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

using Bytes = std::vector<uint8_t>;

class BridgeLoad : public ::testing::Test {
 protected:
  BridgeLoad() { platform::InstallPrompt(&prompt); }
  ~BridgeLoad() override { platform::InstallPrompt(nullptr); }
  std::unique_ptr<CVirtualPortThread> Start(const std::string& comName, uint16_t tcpPort,
                                            uint32_t flags) {
    auto port = std::make_unique<CVirtualPortThread>();
    test::StartAndWait(*port, comName, std::to_string(tcpPort), flags, &observer);
    return port;
  }
  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
};

TEST_F(BridgeLoad, ThirtyTwoPortsCarryTrafficBothWaysWithNothingLostOrReordered) {
  constexpr int kPorts = 32;
  constexpr size_t kBytes = 96 * 1024;
  std::vector<std::unique_ptr<test::LoopbackListener>> servers;
  std::vector<std::unique_ptr<CVirtualPortThread>> ports;
  for (int i = 0; i < kPorts; ++i) {
    servers.push_back(std::make_unique<test::LoopbackListener>());
    ports.push_back(Start("COM" + std::to_string(100 + i), servers.back()->Port(), 0));
    ASSERT_TRUE(ports.back()->PortExists());
  }
  std::vector<int> apps(kPorts), peers(kPorts);
  for (int i = 0; i < kPorts; ++i) {
    apps[i] = test::OpenAsApplication(portDir.Entry("COM" + std::to_string(100 + i)));
    ASSERT_GE(apps[i], 0);
    peers[i] = servers[i]->Accept();
    ASSERT_GE(peers[i], 0);
  }
  std::vector<Bytes> gotUp(kPorts), gotDown(kPorts);
  std::vector<std::thread> threads;
  for (int i = 0; i < kPorts; ++i) {
    const Bytes up = test::Pattern(kBytes, 1000 + i);
    const Bytes down = test::Pattern(kBytes, 2000 + i);
    threads.emplace_back([&, i, up] { test::WriteAll(apps[i], up.data(), up.size()); });
    threads.emplace_back([&, i, down] { test::WriteAll(peers[i], down.data(), down.size()); });
    threads.emplace_back([&, i] { gotUp[i] = test::ReadExactly(peers[i], kBytes); });
    threads.emplace_back([&, i] { gotDown[i] = test::ReadExactly(apps[i], kBytes); });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < kPorts; ++i) {
    EXPECT_TRUE(gotUp[i] == test::Pattern(kBytes, 1000 + i)) << "port " << i << " up";
    EXPECT_TRUE(gotDown[i] == test::Pattern(kBytes, 2000 + i)) << "port " << i << " down";
    close(apps[i]);
    close(peers[i]);
  }
  ports.clear();
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(BridgeLoad, Rfc2217PortSendsOffersTheApplicationsSettingsAndEscapedDataByteExact) {
  test::LoopbackListener server;
  auto port = Start("COM41", server.Port(), PORTFLAG_RFC2217);
  ASSERT_TRUE(port->PortExists());
  // The application sets 115200 baud, one stop bit and RTS/CTS right after opening, before the
  // connection exists: the server hears them once it does. (An application that sets nothing
  // sends only the offers: the priming stays local.)
  const int app = test::OpenAsApplication(portDir.Entry("COM41"), B115200, false, true);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM41 Open"));
  const uint8_t data[] = {1, 0xFF, 2};
  ASSERT_EQ(write(app, data, sizeof data), 3);
  const Bytes expected = {255, 251, 0,   255, 251, 44,                     // the option offers
                          255, 250, 44,  1,   0,   1,   194, 0, 255, 240,  // SET-BAUDRATE 115200
                          255, 250, 44,  4,   1,   255, 240,               // SET-STOPSIZE one
                          255, 250, 44,  5,   3,   255, 240,               // SET-CONTROL hardware
                          1,   255, 255, 2};                               // data, the 255 doubled
  const Bytes got = test::ReadExactly(peer, expected.size());
  EXPECT_EQ(got, expected);

  // A change while connected: two stop bits, flow control off; the write's rate comes along.
  termios t{};
  tcgetattr(app, &t);
  t.c_cflag |= CSTOPB;
  t.c_cflag &= ~CRTSCTS;
  tcsetattr(app, TCSANOW, &t);
  const Bytes change = {255, 250, 44, 1,   0,   1,   194, 0,  255, 240, 255, 250,
                        44,  4,   2,  255, 240, 255, 250, 44, 5,   1,   255, 240};
  EXPECT_EQ(test::ReadExactly(peer, change.size()), change);

  // From the server: WILL ECHO is dropped, 255 255 arrives as one 255.
  const uint8_t fromServer[] = {255, 251, 1, 'a', 255, 255, 'b'};
  ASSERT_TRUE(test::WriteAll(peer, fromServer, sizeof fromServer));
  EXPECT_EQ(test::ReadExactly(app, 3), (Bytes{'a', 255, 'b'}));
  close(app);
  close(peer);
}

}  // namespace
}  // namespace vport
