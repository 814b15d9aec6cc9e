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
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

bool WaitForPath(const std::string& path, int ms = 10000) {
  for (int i = 0; i < ms / 20; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    usleep(20000);
  }
  return false;
}

uint16_t FreeLoopbackPort() {
  test::LoopbackListener probe;
  return probe.Port();
}

class Rfc2217Peer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("ser2net") || !HaveProgram("socat"))
      GTEST_SKIP() << "ser2net or socat missing";
    platform::InstallPrompt(&prompt);
    near_ = portDir.Path() + "/near";
    far_ = portDir.Path() + "/far";
    socat_ =
        Spawn({"socat", "PTY,link=" + near_ + ",raw,echo=0", "PTY,link=" + far_ + ",raw,echo=0"});
    ASSERT_TRUE(WaitForPath(near_) && WaitForPath(far_));
    tcpPort_ = FreeLoopbackPort();
    const std::string config = portDir.Path() + "/ser2net.yaml";
    std::ofstream(config) << "connection: &bridge\n"
                          << "  accepter: telnet(rfc2217),tcp,127.0.0.1," << tcpPort_ << "\n"
                          << "  connector: serialdev," << near_ << ",115200n81,local\n";
    ser2net_ = Spawn({"ser2net", "-n", "-d", "-c", config});
    // Ready once it accepts.
    bool ready = false;
    for (int i = 0; i < 250 && !ready; ++i) {
      const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(tcpPort_);
      ready = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
      close(s);
      if (!ready) usleep(20000);
    }
    ASSERT_TRUE(ready) << "ser2net did not start";
    usleep(100000);
  }
  void TearDown() override {
    port.reset();
    Stop(ser2net_);
    Stop(socat_);
    platform::InstallPrompt(nullptr);
  }

  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
  std::unique_ptr<CVirtualPortThread> port;
  std::string near_, far_;
  uint16_t tcpPort_ = 0;
  pid_t socat_ = -1, ser2net_ = -1;
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
