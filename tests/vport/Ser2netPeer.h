// ser2net as an RFC 2217 server on 127.0.0.1, in front of a pty pair made by socat: the bridge
// talks to ser2net, ser2net serves the "near" end, and a test plays the device at the "far" end.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BridgeTestSupport.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"

namespace vport::test {

inline bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline pid_t Spawn(const std::vector<std::string>& args) {
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

inline void StopChild(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

inline bool WaitForPath(const std::string& path, int ms = 10000) {
  for (int i = 0; i < ms / 20; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    usleep(20000);
  }
  return false;
}

class Ser2netPeer {
 public:
  static bool Available() { return HaveProgram("ser2net") && HaveProgram("socat"); }
  // Starts socat and ser2net with their files in folder; false when either did not come up.
  bool Start(const std::string& folder) {
    near_ = folder + "/near";
    far_ = folder + "/far";
    socat_ =
        Spawn({"socat", "PTY,link=" + near_ + ",raw,echo=0", "PTY,link=" + far_ + ",raw,echo=0"});
    if (!WaitForPath(near_) || !WaitForPath(far_)) return false;
    {
      LoopbackListener probe;
      tcpPort_ = probe.Port();
    }
    const std::string config = folder + "/ser2net.yaml";
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
    usleep(100000);
    return ready;
  }
  ~Ser2netPeer() {
    StopChild(ser2net_);
    StopChild(socat_);
  }
  const std::string& Near() const { return near_; }
  const std::string& Far() const { return far_; }
  std::uint16_t TcpPort() const { return tcpPort_; }

 private:
  std::string near_, far_;
  std::uint16_t tcpPort_ = 0;
  pid_t socat_ = -1, ser2net_ = -1;
};

// A test with ser2net running and an RFC 2217 port of its own, not started: StartPort makes it.
// Skipped when ser2net or socat is missing.
class Ser2netBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Ser2netPeer::Available()) GTEST_SKIP() << "ser2net or socat missing";
    platform::InstallPrompt(&prompt);
    ASSERT_TRUE(peer.Start(portDir.Path())) << "ser2net did not start";
  }
  void TearDown() override {
    port.reset();
    platform::InstallPrompt(nullptr);
  }
  // Makes comName, bound to ser2net with RFC 2217; false when it did not come up.
  bool StartPort(const std::string& comName) {
    port = std::make_unique<CVirtualPortThread>();
    return test::StartAndWait(*port, comName, std::to_string(peer.TcpPort()), PORTFLAG_RFC2217,
                              &observer) &&
           port->PortExists();
  }

  // Waits (a few seconds at most) until the port ser2net serves has settings that satisfy wanted;
  // *last gets the settings it had last.
  bool WaitForServedSettings(const std::function<bool(const termios&)>& wanted, termios* last) {
    const int near = open(peer.Near().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (near < 0) return false;
    bool applied = false;
    for (int i = 0; i < 250 && !applied; ++i) {
      tcgetattr(near, last);
      applied = wanted(*last);
      if (!applied) usleep(20000);
    }
    close(near);
    return applied;
  }

  TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  RecordingObserver observer;
  std::unique_ptr<CVirtualPortThread> port;
  Ser2netPeer peer;  // after portDir: stopped before the folder goes
};

}  // namespace vport::test
