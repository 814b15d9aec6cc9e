// What crosses the wire: the settings a server hears (only what the application wrote, at any
// rate the kernel takes), a close that loses nothing, and a slow side that holds up nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "BridgeTestSupport.h"
#include "PreloadProbe.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "platform/TcpClientSocket.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortFlags.h"
#include "vport/PortStatusSnapshot.h"

namespace vport {
namespace {

using Bytes = std::vector<uint8_t>;
using test::ReadExactly;
using test::WriteAll;

const Bytes kOffers = {255, 251, 0, 255, 251, 44};
// SET-BAUDRATE 9600, SET-STOPSIZE one, SET-CONTROL hardware flow (the application keeps the
// RTS/CTS its tcgetattr found).
const Bytes k9600 = {255, 250, 44, 1,   0,   0,   37,  128, 255, 240, 255, 250,
                     44,  4,   1,  255, 240, 255, 250, 44,  5,   3,   255, 240};

// Also keeps the log text that status snapshots carry to the window's box.
class BoxObserver : public test::RecordingObserver {
 public:
  void StatusChanged(const PortStatusSnapshot& snapshot) override {
    std::lock_guard lock(mutex_);
    box_ += snapshot.newLog;
  }
  std::string Box() {
    std::lock_guard lock(mutex_);
    return box_;
  }

 private:
  std::mutex mutex_;
  std::string box_;
};

class BridgeWire : public ::testing::Test {
 protected:
  BridgeWire() { platform::InstallPrompt(&prompt); }
  ~BridgeWire() override {
    port.reset();
    platform::InstallPrompt(nullptr);
  }
  void Start(const std::string& name, uint32_t flags) {
    comName = name;
    port = std::make_unique<CVirtualPortThread>();
    ASSERT_TRUE(test::StartAndWait(*port, name, server.PortText(), flags, &observer));
    ASSERT_TRUE(port->PortExists());
  }
  // Opens the port as a program that only reads does: no tcsetattr.
  int OpenPlain() { return open(portDir.Entry(comName).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC); }
  int Accept() {
    const int peer = server.Accept();
    EXPECT_TRUE(observer.WaitFor(comName + " Open"));
    return peer;
  }

  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  BoxObserver observer;
  test::LoopbackListener server;
  std::unique_ptr<CVirtualPortThread> port;
  std::string comName;
};

TEST_F(BridgeWire, TheServerHearsSettingsOnlyWhenTheApplicationWritesThemAndEveryTime) {
  Start("COM50", PORTFLAG_RFC2217);
  const int app = OpenPlain();
  ASSERT_GE(app, 0);
  const int peer = Accept();
  ASSERT_GE(peer, 0);
  // The priming (115200, RTS/CTS) stays local: the data follows the offers directly.
  ASSERT_EQ(write(app, "x", 1), 1);
  Bytes expected = kOffers;
  expected.push_back('x');
  EXPECT_EQ(ReadExactly(peer, expected.size()), expected);
  // 9600 8N1 twice: the same values, heard twice.
  for (int round = 0; round < 2; ++round) {
    termios t{};
    ASSERT_EQ(tcgetattr(app, &t), 0);
    cfmakeraw(&t);
    cfsetospeed(&t, B9600);
    cfsetispeed(&t, B9600);
    ASSERT_EQ(tcsetattr(app, TCSANOW, &t), 0);
    EXPECT_EQ(ReadExactly(peer, k9600.size()), k9600) << "round " << round;
  }
  close(app);
  close(peer);
  // With the preload library, data size and parity too: each of the five frames twice, and
  // nothing else.
  test::Probe probe({portDir.Entry(comName), "pause", "line:8N1:9600", "line:8N1:9600", "pause"},
                    test::Preload::kLibrary, 10000);
  EXPECT_EQ(probe.Line(), "paused");
  const int peer2 = Accept();
  ASSERT_GE(peer2, 0);
  EXPECT_EQ(ReadExactly(peer2, kOffers.size()), kOffers);
  probe.Continue();
  for (const char* line : {"pause 0 0", "line:8N1:9600 0 0", "line:8N1:9600 0 0", "paused"}) {
    EXPECT_EQ(probe.Line(), line);
  }
  const Bytes parity = {255, 250, 44, 3, 1, 255, 240};    // SET-PARITY none
  const Bytes dataSize = {255, 250, 44, 2, 8, 255, 240};  // SET-DATASIZE 8
  const size_t lineSize = k9600.size() + parity.size() + dataSize.size();
  const Bytes got = ReadExactly(peer2, 2 * lineSize);
  auto count = [&got](const Bytes& frame) {
    size_t n = 0;
    for (auto at = got.begin();
         (at = std::search(at, got.end(), frame.begin(), frame.end())) != got.end();
         at += static_cast<std::ptrdiff_t>(frame.size())) {
      ++n;
    }
    return n;
  };
  EXPECT_EQ(got.size(), 2 * lineSize);
  for (const Bytes& frame :
       {Bytes(k9600.begin(), k9600.begin() + 10), Bytes(k9600.begin() + 10, k9600.begin() + 17),
        Bytes(k9600.begin() + 17, k9600.end()), parity, dataSize}) {
    EXPECT_EQ(count(frame), 2u) << ::testing::PrintToString(frame);
  }
  probe.Continue();
  EXPECT_EQ(probe.Wait(), 0);
  close(peer2);
}

TEST_F(BridgeWire, PyserialAtARateNoSpeedCodeNamesReachesTheServerExactly) {
  if (std::system("/usr/bin/python3 -c 'import serial' 2>/dev/null") != 0)
    GTEST_SKIP() << "no pyserial";
  Start("COM51", PORTFLAG_RFC2217);
  // pyserial sets 250000 with TCSETS2 and BOTHER, then writes one byte and closes.
  const std::string script = "import serial; s = serial.Serial('" + portDir.Entry("COM51") +
                             "', 250000); s.write(b'!'); s.flush(); s.close()";
  std::thread app(
      [&] { EXPECT_EQ(std::system(("/usr/bin/python3 -c \"" + script + "\"").c_str()), 0); });
  const int peer = Accept();
  ASSERT_GE(peer, 0);
  const Bytes baud = {255, 250, 44, 1, 0, 3, 0xd0, 0x90, 255, 240};  // SET-BAUDRATE 250000
  const Bytes got = ReadExactly(peer, 256, 3000);
  app.join();
  ASSERT_FALSE(got.empty());
  EXPECT_NE(std::search(got.begin(), got.end(), baud.begin(), baud.end()), got.end())
      << ::testing::PrintToString(got);
  EXPECT_EQ(got.back(), '!');
  close(peer);
}

TEST_F(BridgeWire, EveryByteWrittenBeforeACloseArrivesWhileTheServerStreamsWithoutAReset) {
  Start("COM52", 0);
  const int app = test::OpenAsApplication(portDir.Entry("COM52"));
  ASSERT_GE(app, 0);
  const int peer = Accept();
  ASSERT_GE(peer, 0);
  std::atomic<bool> stop{false};
  std::thread stream([&] {
    const Bytes chatter = test::Pattern(4096, 9);
    while (!stop.load() && send(peer, chatter.data(), chatter.size(), MSG_NOSIGNAL) > 0) {
    }
  });
  Bytes got;
  ssize_t last = 0;
  int lastError = 0;
  std::thread reader([&] {
    uint8_t buffer[65536];
    while ((last = recv(peer, buffer, sizeof buffer, 0)) > 0) {
      got.insert(got.end(), buffer, buffer + last);
    }
    lastError = errno;
  });
  // The application writes 4 MiB, never reads, and closes at once.
  const Bytes up = test::Pattern(4u << 20, 10);
  ASSERT_TRUE(WriteAll(app, up.data(), up.size()));
  close(app);
  reader.join();
  EXPECT_EQ(last, 0) << "the read ended with " << std::strerror(lastError);
  EXPECT_EQ(got.size(), up.size());
  EXPECT_TRUE(got == up);
  stop.store(true);
  shutdown(peer, SHUT_WR);  // the bridge's lingering read sees the end
  stream.join();
  close(peer);
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(BridgeWire, APacedDeliveryHoldsUpNeitherTheApplicationsWritesNorItsClose) {
  Start("COM53", PORTFLAG_STRICTBAUD);
  const int app = test::OpenAsApplication(portDir.Entry("COM53"), B300);
  ASSERT_GE(app, 0);
  const int peer = Accept();
  ASSERT_GE(peer, 0);
  // Nine minutes of line time wait for the application.
  const Bytes down = test::Pattern(16384, 11);
  ASSERT_TRUE(WriteAll(peer, down.data(), down.size()));
  EXPECT_FALSE(ReadExactly(app, 1).empty());
  const Bytes ping = {'p', 'i', 'n', 'g'};
  ASSERT_TRUE(WriteAll(app, ping.data(), ping.size()));
  EXPECT_EQ(ReadExactly(peer, ping.size()), ping);
  close(app);
  EXPECT_TRUE(observer.WaitFor("COM53 Closed"));
  EXPECT_TRUE(ReadExactly(peer, 1).empty());  // the server sees the end
  close(peer);
  EXPECT_EQ(prompt.Count(), 0u);
}

TEST_F(BridgeWire, ReopeningWhileTheLastDataWaitsSendsItFirstOnTheNewConnection) {
  Start("COM54", 0);
  int app = test::OpenAsApplication(portDir.Entry("COM54"));
  ASSERT_GE(app, 0);
  const int first = Accept();
  ASSERT_GE(first, 0);
  // The server reads nothing: the application writes until every buffer on the way is full.
  ASSERT_EQ(fcntl(app, F_SETFL, O_NONBLOCK), 0);
  const Bytes up = test::Pattern(32u << 20, 12);
  size_t written = 0;
  for (pollfd p{app, POLLOUT, 0}; written < up.size() && poll(&p, 1, 500) > 0;) {
    const ssize_t n = write(app, up.data() + written, std::min<size_t>(4096, up.size() - written));
    if (n > 0) written += static_cast<size_t>(n);
  }
  ASSERT_LT(written, up.size());
  // It closes, and opens again while its data still waits.
  close(app);
  app = test::OpenAsApplication(portDir.Entry("COM54"));
  ASSERT_GE(app, 0);
  const int second = server.Accept();
  ASSERT_GE(second, 0);
  // The first connection carries a beginning and ends; the second one the rest, in order.
  Bytes got = ReadExactly(first, written);
  ASSERT_LT(got.size(), written);
  const Bytes rest = ReadExactly(second, written - got.size());
  got.insert(got.end(), rest.begin(), rest.end());
  EXPECT_TRUE(got == Bytes(up.begin(), up.begin() + static_cast<long>(written)))
      << got.size() << " of " << written;
  close(app);
  close(first);
  close(second);
}

TEST_F(BridgeWire, AConnectFailureWhileTheWindowIsHiddenReachesItsBox) {
  const std::string tcpPort = server.PortText();
  server.Close();  // nobody listens there now
  comName = "COM55";
  port = std::make_unique<CVirtualPortThread>();
  ASSERT_TRUE(test::StartAndWait(*port, comName, tcpPort, 0, &observer));
  // Logging on, the window shown and closed again.
  port->PostMessage(WM_VPORT_SETLOGGING, 1);
  port->PostMessage(WM_VPORT_SHOWSTATUS);
  port->PostMessage(WM_VPORT_HIDESTATUS);
  const int app = test::OpenAsApplication(portDir.Entry("COM55"));
  ASSERT_GE(app, 0);
  ASSERT_TRUE(prompt.WaitForCount(1));
  EXPECT_NE(observer.Box().find("*** Cannot connect to 127.0.0.1:" + tcpPort), std::string::npos)
      << observer.Box();
  close(app);
}

// The calling thread in a network namespace of its own, made and removed by the test (root and
// ip(8) needed); threads it starts are in it too.
class OwnNetns {
 public:
  OwnNetns() : name_("p30k" + std::to_string(getpid())) {
    if (geteuid() != 0 || access("/usr/sbin/ip", X_OK) != 0) return;
    if (!Sh("ip netns add " + name_) || !Sh("ip -n " + name_ + " link set lo up")) return;
    home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int ns = open(("/run/netns/" + name_).c_str(), O_RDONLY | O_CLOEXEC);
    ok_ = home_ >= 0 && ns >= 0 && setns(ns, CLONE_NEWNET) == 0;
    if (ns >= 0) close(ns);
  }
  ~OwnNetns() {
    if (home_ >= 0) {
      setns(home_, CLONE_NEWNET);
      close(home_);
    }
    Sh("ip netns del " + name_ + " 2>/dev/null");
  }
  bool Ok() const { return ok_; }
  // Its loopback goes down: from now on nothing arrives either way, as with a vanished peer.
  bool DropEverything() { return Sh("ip -n " + name_ + " link set lo down"); }

 private:
  static bool Sh(const std::string& command) { return std::system(command.c_str()) == 0; }
  std::string name_;
  int home_ = -1;
  bool ok_ = false;
};

TEST_F(BridgeWire, AServerThatVanishesWhileTheApplicationOnlyReadsIsReported) {
  OwnNetns netns;
  if (!netns.Ok()) GTEST_SKIP() << "needs root and ip(8)";
  test::LoopbackListener listener;  // in the namespace
  comName = "COM56";
  port = std::make_unique<CVirtualPortThread>();
  port->SetKeepAlive(platform::TcpClientSocket::KeepAlive{1, 1, 2});  // given up after 3 s
  ASSERT_TRUE(test::StartAndWait(*port, comName, listener.PortText(), 0, &observer));
  const int app = test::OpenAsApplication(portDir.Entry("COM56"));
  ASSERT_GE(app, 0);
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM56 Open"));
  ASSERT_TRUE(netns.DropEverything());
  // No traffic: only the keepalive probes can find out, and the user time-out ends it.
  ASSERT_TRUE(prompt.WaitForCount(1, 30000));
  EXPECT_EQ(prompt.Records()[0].text.rfind("Error (6e) communicating with remote server.", 0), 0u)
      << prompt.Records()[0].text;
  EXPECT_TRUE(observer.WaitFor("COM56 Closed"));
  close(app);
  close(peer);
  port.reset();  // before the namespace goes
}

}  // namespace
}  // namespace vport
