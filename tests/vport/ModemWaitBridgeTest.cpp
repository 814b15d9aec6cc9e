// A port's bridge and the applications' modem waits and counters: a wait taken on the control
// socket is answered from the server's NOTIFY-MODEMSTATE when one of its lines moves (and only
// then), ends when the connection does, and goes with the port; the counters follow the reports.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BridgeTestSupport.h"
#include "ControlClient.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortControlMessage.h"
#include "vport/PortControlServer.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

using Bytes = std::vector<uint8_t>;
namespace c = control;

// NOTIFY-MODEMSTATE with the given value.
Bytes ModemState(uint8_t value) {
  return {255, 250, 44, 107, value, 255, 240};
}

constexpr uint8_t kCtsOn = 0x10, kDsrOn = 0x20, kCdOn = 0x80;
constexpr uint8_t kOutputs = c::kDtr | c::kRts;  // as an application's open leaves them

class ModemWaitBridge : public ::testing::Test {
 protected:
  ModemWaitBridge() { platform::InstallPrompt(&prompt); }
  ~ModemWaitBridge() override {
    if (app >= 0) close(app);
    if (peer >= 0) close(peer);
    port.reset();
    platform::InstallPrompt(nullptr);
  }
  void StartPort(uint32_t flags) {
    port = std::make_unique<CVirtualPortThread>();
    test::StartAndWait(*port, "COM45", server.PortText(), flags, &observer);
    ASSERT_TRUE(port->PortExists());
    char target[64] = {};
    ASSERT_GT(readlink(portDir.Entry("COM45").c_str(), target, sizeof target - 1), 0);
    socketPath = PortControlServer::SocketPath(portDir.Path(), target);
  }
  // An application opens the port and the server takes the connection.
  void OpenAndConnect() {
    app = test::OpenAsApplication(portDir.Entry("COM45"));
    ASSERT_GE(app, 0);
    peer = server.Accept();
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(observer.WaitFor("COM45 Open"));
  }
  void Report(std::initializer_list<uint8_t> values) {
    Bytes all;
    for (uint8_t v : values) {
      const Bytes one = ModemState(v);
      all.insert(all.end(), one.begin(), one.end());
    }
    ASSERT_TRUE(test::WriteAll(peer, all.data(), all.size()));
  }
  int Connect() const { return test::ConnectControl(socketPath); }
  // The next reply on fd; status kRefused with op kSetLine stands for "none": the connection
  // ended, or nothing came for 20 s.
  static c::Reply Next(int fd) {
    c::Reply reply;
    reply.op = c::Op::kSetLine;
    reply.status = c::Status::kRefused;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20000) <= 0) return reply;
    uint8_t packet[16];
    const ssize_t n = recv(fd, packet, sizeof packet, 0);
    if (n <= 0 || c::DecodeReply(std::span<const uint8_t>(packet, static_cast<size_t>(n)),
                                 &reply) != c::DecodeError::kNone) {
      reply.op = c::Op::kSetLine;
      reply.status = c::Status::kRefused;
    }
    return reply;
  }
  static c::Reply Ask(int fd, const c::Request& request) {
    const c::Message m = c::EncodeRequest(request);
    if (send(fd, m.data(), m.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(m.size())) return {};
    return Next(fd);
  }
  static c::Request Wait(uint8_t lines) {
    c::Request r;
    r.op = c::Op::kWaitModem;
    r.mask = lines;
    return r;
  }
  // A connection with a wait on lines that the bridge took.
  int Waiting(uint8_t lines) {
    const int fd = Connect();
    const c::Reply ack = Ask(fd, Wait(lines));
    EXPECT_EQ(ack.status, c::Status::kOk);
    EXPECT_TRUE(ack.waiting);
    return fd;
  }
  // The counter as a reader of the halves gets it.
  uint32_t Count(uint8_t counter) {
    const int fd = Connect();
    c::Request r;
    r.op = c::Op::kGetCount;
    r.counter = counter;
    r.highHalf = true;
    const uint32_t high = Ask(fd, r).count;
    r.highHalf = false;
    const uint32_t low = Ask(fd, r).count;
    close(fd);
    return high << 16 | low;
  }

  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
  test::LoopbackListener server;
  std::unique_ptr<CVirtualPortThread> port;
  std::string socketPath;
  int app = -1, peer = -1;
};

TEST_F(ModemWaitBridge, AWaitIsAnsweredByTheReportThatMovesItsLineNotByOthers) {
  StartPort(PORTFLAG_RFC2217);
  port->PostMessage(WM_VPORT_SETLOGGING, 1);
  port->PostMessage(WM_VPORT_SHOWSTATUS);
  OpenAndConnect();
  const int cts = Waiting(c::kCts);
  const int dsr = Waiting(c::kDsr);
  EXPECT_TRUE(observer.WaitForLog("COM45", "Application waits for modem lines (CTS)"));
  // The first report of the connection is where the lines stand (no transition); then DSR comes
  // on, then CTS: the CTS wait's answer shows both, so the DSR report did not end it.
  Report({0, kDsrOn, kDsrOn | kCtsOn});
  const c::Reply first = Next(dsr);
  EXPECT_EQ(first.op, c::Op::kWaitModem);
  EXPECT_EQ(first.status, c::Status::kOk);
  EXPECT_FALSE(first.waiting);
  EXPECT_EQ(first.lines, kOutputs | c::kDsr);
  const c::Reply second = Next(cts);
  EXPECT_EQ(second.status, c::Status::kOk);
  EXPECT_EQ(second.lines, kOutputs | c::kDsr | c::kCts);
  EXPECT_TRUE(second.linesKnown);
  close(cts);
  close(dsr);
}

TEST_F(ModemWaitBridge, CountersFollowEveryReportAcrossWaits) {
  StartPort(PORTFLAG_RFC2217);
  OpenAndConnect();
  int cd = Waiting(c::kCarrier);
  // CTS on and off twice, DSR once, then CD: once CD's wait is answered, all were taken.
  Report({0, kCtsOn, 0, kCtsOn, 0, kDsrOn, kDsrOn | kCdOn});
  EXPECT_EQ(Next(cd).status, c::Status::kOk);
  close(cd);
  EXPECT_EQ(Count(c::kCountCts), 4u);
  EXPECT_EQ(Count(c::kCountDsr), 1u);
  EXPECT_EQ(Count(c::kCountRing), 0u);
  EXPECT_EQ(Count(c::kCountCarrier), 1u);
  // CD went off and on again between two reports: only the delta bit tells.
  cd = Waiting(c::kCarrier);
  Report({kDsrOn | kCdOn | 0x08});
  EXPECT_EQ(Next(cd).status, c::Status::kOk);
  close(cd);
  EXPECT_EQ(Count(c::kCountCarrier), 2u);
  EXPECT_EQ(Count(c::kCountCts), 4u);
}

TEST_F(ModemWaitBridge, TheEndOfTheConnectionEndsEveryWait) {
  StartPort(PORTFLAG_RFC2217);
  OpenAndConnect();
  const int a = Waiting(c::kCts);
  const int b = Waiting(0);
  close(peer);  // the server goes
  peer = -1;
  for (int fd : {a, b}) {
    const c::Reply end = Next(fd);
    EXPECT_EQ(end.op, c::Op::kWaitModem);
    EXPECT_EQ(end.status, c::Status::kNoConnection);
    close(fd);
  }
  // No connection now: a new wait ends at once.
  const int late = Connect();
  EXPECT_EQ(Ask(late, Wait(c::kCts)).status, c::Status::kNoConnection);
  close(late);
}

TEST_F(ModemWaitBridge, APortWithoutConnectionOrLinesDoesNotTakeWaits) {
  StartPort(PORTFLAG_RFC2217);
  int fd = Connect();
  EXPECT_EQ(Ask(fd, Wait(c::kCts)).status, c::Status::kNoConnection);  // nobody opened it
  close(fd);
  port.reset();
  StartPort(0);  // raw TCP: no lines, no counters
  fd = Connect();
  EXPECT_EQ(Ask(fd, Wait(c::kCts)).status, c::Status::kNotSupported);
  c::Request count;
  count.op = c::Op::kGetCount;
  EXPECT_EQ(Ask(fd, count).status, c::Status::kNotSupported);
  close(fd);
}

TEST_F(ModemWaitBridge, RemovingThePortWithWaitsPendingEndsTheirConnections) {
  StartPort(PORTFLAG_RFC2217);
  OpenAndConnect();
  std::vector<int> fds;
  for (uint8_t lines : {c::kCts, c::kDsr, c::kInputLines}) fds.push_back(Waiting(lines));
  const int leaver = Waiting(c::kRing);
  close(leaver);  // one client leaves while waiting
  port->AbortSends();
  port.reset();
  for (int fd : fds) {
    EXPECT_EQ(Next(fd).status, c::Status::kRefused);  // the connection ended, with no answer
    close(fd);
  }
}

}  // namespace
}  // namespace vport
