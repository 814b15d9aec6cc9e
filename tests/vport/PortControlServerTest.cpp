// The port's control socket: served to the same user only, malformed packets refused and logged,
// the socket private and removed with the server.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "ControlClient.h"
#include "TempPortDir.h"
#include "platform/FakeSeqpacketSockets.h"
#include "platform/MessageLoop.h"
#include "vport/PortControlServer.h"

namespace vport {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::ConnectControl;

// The next packet (empty when the server closed the connection or nothing came in time).
Bytes Receive(int fd) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, 20000) <= 0) return {};
  std::uint8_t buffer[64];
  const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
  return n > 0 ? Bytes(buffer, buffer + n) : Bytes{};
}

Bytes Ask(int fd, const Bytes& packet) {
  if (send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(packet.size()))
    return {};
  return Receive(fd);
}

const Bytes kGetModem = {'P', 'C', 1, 4, 0, 0, 0, 0};
const Bytes kModemReply = {'P', 'C', 1, 4, 0, 1, 0, 0};

class ControlServer : public ::testing::Test {
 protected:
  ~ControlServer() override { StopLoop(); }
  void Start(uid_t allowed = geteuid(),
             platform::SeqpacketSockets& sockets = platform::SystemSeqpacketSockets::Instance()) {
    server = std::make_unique<PortControlServer>(loop, allowed, sockets);
    server->SetIdleLimit(idleMs);
    ASSERT_EQ(server->Start(
                  path,
                  [this](const control::Request& request) {
                    std::lock_guard lock(mutex);
                    requests.push_back(request);
                    control::Reply reply;
                    reply.op = request.op;
                    reply.lines = control::kDtr;
                    if (request.op == control::Op::kWaitModem) {
                      if (waitsSupported) {
                        reply.waiting = true;
                      } else {
                        reply.status = control::Status::kNotSupported;
                      }
                    }
                    return reply;
                  },
                  [this](const std::string& text) {
                    std::lock_guard lock(mutex);
                    notices.push_back(text);
                  }),
              0);
    loop.SetHandler([this](const platform::Message& m) { OnLoop(m); });
    thread = std::thread([this] { loop.Run(); });
  }
  // Starts over faulty sockets whose next call of call fails with error.
  void StartFailing(platform::FakeSeqpacketSockets::Call call, int error) {
    faulty.FailNext(call, error);
    Start(geteuid(), faulty);
  }
  // A new connection's request is answered.
  bool AnswersANewClient() {
    const int fd = ConnectControl(path);
    const bool answered = Ask(fd, kGetModem) == kModemReply;
    close(fd);
    return answered;
  }
  // The loop thread's side of the wait tests: the server is used there only.
  static constexpr std::uint32_t kAnswer = 0x9001, kAnswerAll = 0x9002, kStop = 0x9003,
                                 kCountWaits = 0x9004;
  void OnLoop(const platform::Message& m) {
    control::Reply reply;
    reply.op = control::Op::kWaitModem;
    reply.linesKnown = true;
    reply.lines = static_cast<std::uint8_t>(m.lParam);
    switch (m.id) {
      case kAnswer:
        server->AnswerWaits(static_cast<std::uint8_t>(m.wParam), reply);
        break;
      case kAnswerAll:
        reply.status = control::Status::kNoConnection;
        reply.linesKnown = false;
        server->AnswerAllWaits(reply);
        break;
      case kStop:
        server->Stop();
        break;
      case kCountWaits: {
        std::lock_guard lock(mutex);
        waitsSeen = static_cast<int>(server->Waits());
        ++turns;
        turned.notify_all();
        break;
      }
      default:
        break;
    }
  }
  // The server's pending waits, as the loop sees them after what was posted before.
  int Waits() {
    std::unique_lock lock(mutex);
    const int turn = turns;
    loop.PostMessage(kCountWaits);
    turned.wait_for(lock, std::chrono::seconds(20), [&] { return turns > turn; });
    return waitsSeen;
  }
  // Waits until the loop has seen the server's pending waits come to n (a closed connection
  // comes as an event of its own, after the posts).
  bool WaitsBecome(int n) {
    for (int turn = 0; turn < 2000; ++turn) {
      if (Waits() == n) return true;
    }
    return false;
  }
  void StopLoop() {
    if (!thread.joinable()) return;
    loop.Quit();
    thread.join();
    server.reset();
  }
  std::vector<std::string> Notices() {
    std::lock_guard lock(mutex);
    return notices;
  }

  test::TempPortDir dir;
  std::string path = dir.Entry(".pts7.ctl");
  platform::MessageLoop loop;
  platform::FakeSeqpacketSockets faulty;
  std::unique_ptr<PortControlServer> server;
  std::thread thread;
  std::mutex mutex;
  std::vector<control::Request> requests;
  std::vector<std::string> notices;
  bool waitsSupported = true;
  // Long enough that no connection of a test that is not about the idle drop is dropped.
  std::uint32_t idleMs = 600000;
  std::condition_variable turned;
  int turns = 0;
  int waitsSeen = -1;
};

TEST(PortControlServerPath, IsNamedAfterThePtyBesideTheLinks) {
  EXPECT_EQ(PortControlServer::SocketPath("/run/user/1/portolan", "/dev/pts/7"),
            "/run/user/1/portolan/.pts7.ctl");
  EXPECT_EQ(PortControlServer::SocketPath("/f", "/dev/pts/"), "");
  EXPECT_EQ(PortControlServer::SocketPath("/f", "/dev/pts/7/../x"), "");
  EXPECT_EQ(PortControlServer::SocketPath("/f", "/dev/ttyS0"), "");
}

TEST_F(ControlServer, AnswersEachRequestOfTheSameUser) {
  Start();
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const int fd = ConnectControl(path);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, {'P', 'C', 1, 3, 1, 0, 0, 0}), (Bytes{'P', 'C', 1, 3, 0, 1, 0, 0}));
  EXPECT_EQ(Ask(fd, {'P', 'C', 1, 4, 0, 0, 0, 0}), (Bytes{'P', 'C', 1, 4, 0, 1, 0, 0}));
  close(fd);
  StopLoop();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].op == control::Op::kBreak && requests[0].breakOn);
  EXPECT_TRUE(Notices().empty());
}

TEST_F(ControlServer, RefusesMalformedPacketsLogsThemAndClosesTheConnection) {
  Start();
  const std::vector<Bytes> bad = {
      Bytes(200, 'P'),               // oversize
      {'P', 'C', 1, 4, 0, 0, 0},     // truncated
      {'P', 'C', 7, 4, 0, 0, 0, 0},  // another version
      {'P', 'C', 1, 1, 9, 0, 0, 0},  // 9 data bits
  };
  for (const Bytes& packet : bad) {
    const int fd = ConnectControl(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Ask(fd, packet), (Bytes{'P', 'C', 1, 4, 2, 0, 0, 0}));
    EXPECT_TRUE(Receive(fd).empty());  // closed
    close(fd);
  }
  StopLoop();
  EXPECT_TRUE(requests.empty());
  const auto logged = Notices();
  ASSERT_EQ(logged.size(), 4u);
  EXPECT_EQ(logged[0], "Control message refused (oversize, 200 bytes)");
  EXPECT_EQ(logged[1], "Control message refused (truncated, 7 bytes)");
  EXPECT_EQ(logged[2], "Control message refused (unknown version, 8 bytes)");
  EXPECT_EQ(logged[3], "Control message refused (value out of range, 8 bytes)");
}

TEST_F(ControlServer, RefusesAnotherUser) {
  Start(geteuid() + 1);  // the server belongs to someone else: we are the stranger
  const int fd = ConnectControl(path);
  ASSERT_GE(fd, 0);
  send(fd, "PC\x01\x04\0\0\0\0", 8, MSG_NOSIGNAL);
  EXPECT_TRUE(Receive(fd).empty());
  close(fd);
  StopLoop();
  EXPECT_TRUE(requests.empty());
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0], "Control connection refused: user " + std::to_string(geteuid()) +
                              " is not the port's user");
}

using Fault = platform::FakeSeqpacketSockets::Call;

TEST_F(ControlServer, RefusesAPeerOfAnotherUser) {
  faulty.SetPeerUid(geteuid() + 1);
  Start(geteuid(), faulty);
  EXPECT_FALSE(AnswersANewClient());
  StopLoop();
  EXPECT_TRUE(requests.empty());
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0], "Control connection refused: user " + std::to_string(geteuid() + 1) +
                              " is not the port's user");
}

TEST_F(ControlServer, RefusesAPeerWhoseCredentialsCannotBeRead) {
  StartFailing(Fault::kPeerUid, ENOTCONN);
  EXPECT_FALSE(AnswersANewClient());
  EXPECT_TRUE(AnswersANewClient());  // only that one peer was unknown
  StopLoop();
  EXPECT_EQ(requests.size(), 1u);
  ASSERT_EQ(Notices().size(), 1u);
  // Not "user 0": an unknown peer is not named as root.
  EXPECT_EQ(Notices()[0], "Control connection refused: the peer's user cannot be read");
}

TEST_F(ControlServer, AFailedListenIsReturnedAndAFailedAcceptIsRetried) {
  faulty.FailNext(Fault::kListen, EADDRINUSE);
  PortControlServer refused(loop, geteuid(), faulty);
  EXPECT_EQ(refused.Start(path, {}, {}), EADDRINUSE);
  EXPECT_FALSE(refused.Running());
  // The connection waits in the backlog until an accept succeeds.
  StartFailing(Fault::kAccept, EMFILE);
  EXPECT_TRUE(AnswersANewClient());
  StopLoop();
  EXPECT_GE(faulty.Calls(Fault::kAccept), 2);
}

TEST_F(ControlServer, AReplyThatCannotBeSentEndsItsConnection) {
  StartFailing(Fault::kSend, EAGAIN);
  const int fd = ConnectControl(path);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(Ask(fd, kGetModem).empty());
  EXPECT_TRUE(Ask(fd, kGetModem).empty());  // closed, not merely unanswered
  close(fd);
  EXPECT_TRUE(AnswersANewClient());
  StopLoop();
  EXPECT_EQ(requests.size(), 2u);
}

TEST_F(ControlServer, AnInterruptedReceiveKeepsTheConnection) {
  StartFailing(Fault::kReceive, EINTR);
  EXPECT_TRUE(AnswersANewClient());
  StopLoop();
  EXPECT_GE(faulty.Calls(Fault::kReceive), 2);
}

TEST_F(ControlServer, ServesOnlyABoundedNumberOfConnections) {
  Start();
  std::vector<int> fds;
  for (std::size_t i = 0; i < PortControlServer::kMaxClients; ++i) {
    fds.push_back(ConnectControl(path));
    EXPECT_EQ(Ask(fds.back(), {'P', 'C', 1, 4, 0, 0, 0, 0}).size(), 8u);
  }
  const int extra = ConnectControl(path);
  ASSERT_GE(extra, 0);
  EXPECT_TRUE(Ask(extra, {'P', 'C', 1, 4, 0, 0, 0, 0}).empty());
  close(extra);
  close(fds.front());  // a place comes free
  fds.erase(fds.begin());
  bool served = false;
  for (int attempt = 0; attempt < 100 && !served; ++attempt) {
    const int again = ConnectControl(path);
    served = Ask(again, {'P', 'C', 1, 4, 0, 0, 0, 0}).size() == 8u;
    close(again);
    if (!served) usleep(10000);
  }
  EXPECT_TRUE(served);
  for (int fd : fds) close(fd);
}

TEST_F(ControlServer, ReplacesAStaleSocketLeavesOtherFilesAndRemovesItsOwn) {
  { std::ofstream(dir.Entry(".pts8.ctl")) << "not a socket"; }
  PortControlServer other(loop);
  EXPECT_EQ(other.Start(dir.Entry(".pts8.ctl"), {}, {}), EEXIST);

  // A socket nobody listens on any more, as a crashed run leaves it.
  const int stale = socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(stale);
  Start();
  const int fd = ConnectControl(path);
  EXPECT_EQ(Ask(fd, {'P', 'C', 1, 4, 0, 0, 0, 0}).size(), 8u);
  close(fd);
  StopLoop();
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  EXPECT_EQ(access(dir.Entry(".pts8.ctl").c_str(), F_OK), 0);
}

Bytes WaitFor(std::uint8_t lines) {
  return {'P', 'C', 1, 5, lines, 0, 0, 0};
}

// The acknowledgement of a wait: DTR as the test's handler reports it, the waiting flag.
const Bytes kWaitTaken = {'P', 'C', 1, 5, 0, control::kDtr, 2, 0};

// The answer OnLoop sends for lines.
Bytes Answered(std::uint8_t lines) {
  return {'P', 'C', 1, 5, 0, lines, 1, 0};
}

// True when the next packet on fd answers a fresh request of its own: nothing else came before.
bool NothingElseCame(int fd) {
  return Ask(fd, kGetModem) == kModemReply;
}

TEST_F(ControlServer, AWaitIsAnsweredOnceWhenOneOfItsLinesMovesAndNotForOthers) {
  Start();
  const int fd = ConnectControl(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(Ask(fd, WaitFor(control::kCts | control::kRing)), kWaitTaken);
  loop.PostMessage(kAnswer, control::kDsr | control::kCarrier, control::kDsr);
  loop.PostMessage(kAnswer, control::kRing, control::kCts);
  loop.PostMessage(kAnswer, control::kCts, control::kCarrier);  // the wait is over by then
  EXPECT_EQ(Receive(fd), Answered(control::kCts));
  EXPECT_EQ(Waits(), 0);
  EXPECT_TRUE(NothingElseCame(fd));
  close(fd);
}

TEST_F(ControlServer, SeveralClientsWaitAndEachIsAnsweredForItsOwnLines) {
  Start();
  const std::uint8_t masks[] = {control::kCts, control::kDsr, control::kCts | control::kDsr,
                                control::kCarrier};
  std::vector<int> fds;
  for (std::uint8_t mask : masks) {
    fds.push_back(ConnectControl(path));
    ASSERT_EQ(Ask(fds.back(), WaitFor(mask)), kWaitTaken);
  }
  EXPECT_EQ(Waits(), 4);
  loop.PostMessage(kAnswer, control::kCts, control::kCts);
  EXPECT_EQ(Receive(fds[0]), Answered(control::kCts));
  EXPECT_EQ(Receive(fds[2]), Answered(control::kCts));
  EXPECT_EQ(Waits(), 2);
  loop.PostMessage(kAnswer, control::kDsr, control::kDsr);
  EXPECT_EQ(Receive(fds[1]), Answered(control::kDsr));
  EXPECT_EQ(Waits(), 1);
  // The end of the connection to the server ends the waits left: with their own status.
  loop.PostMessage(kAnswerAll);
  EXPECT_EQ(Receive(fds[3]), (Bytes{'P', 'C', 1, 5, 3, 0, 0, 0}));
  for (int fd : fds) {
    EXPECT_TRUE(NothingElseCame(fd));
    close(fd);
  }
}

TEST_F(ControlServer, AWaitOnNoLineEndsOnlyWithTheConnectionAndANewRequestEndsAWait) {
  Start();
  const int none = ConnectControl(path);
  ASSERT_EQ(Ask(none, WaitFor(0)), kWaitTaken);
  const int other = ConnectControl(path);
  ASSERT_EQ(Ask(other, WaitFor(control::kCts)), kWaitTaken);
  // The second client asks something else: its wait is gone, and the CTS answer skips it.
  EXPECT_EQ(Ask(other, kGetModem), kModemReply);
  loop.PostMessage(kAnswer, control::kInputLines, control::kCts);
  EXPECT_EQ(Waits(), 1);
  EXPECT_TRUE(NothingElseCame(other));
  loop.PostMessage(kAnswerAll);
  EXPECT_EQ(Receive(none), (Bytes{'P', 'C', 1, 5, 3, 0, 0, 0}));
  close(none);
  close(other);
}

TEST_F(ControlServer, AWaitThatIsNotTakenIsNotKept) {
  waitsSupported = false;
  Start();
  const int fd = ConnectControl(path);
  EXPECT_EQ(Ask(fd, WaitFor(control::kCts)), (Bytes{'P', 'C', 1, 5, 1, control::kDtr, 0, 0}));
  EXPECT_EQ(Waits(), 0);
  loop.PostMessage(kAnswer, control::kCts, control::kCts);
  EXPECT_TRUE(NothingElseCame(fd));
  close(fd);
}

TEST_F(ControlServer, AClientThatLeavesWhileWaitingIsForgotten) {
  Start();
  const int gone = ConnectControl(path);
  ASSERT_EQ(Ask(gone, WaitFor(control::kCts)), kWaitTaken);
  close(gone);
  ASSERT_TRUE(WaitsBecome(0));
  // Its descriptor may serve the next client: that one must not get the old wait's answer.
  const int next = ConnectControl(path);
  EXPECT_EQ(Ask(next, kGetModem), kModemReply);
  loop.PostMessage(kAnswer, control::kCts, control::kCts);
  loop.PostMessage(kAnswerAll);
  EXPECT_TRUE(NothingElseCame(next));
  close(next);
}

TEST_F(ControlServer, StoppingWithWaitsPendingClosesEveryWaitingConnection) {
  Start();
  std::vector<int> fds;
  for (int i = 0; i < 3; ++i) {
    fds.push_back(ConnectControl(path));
    ASSERT_EQ(Ask(fds.back(), WaitFor(control::kCarrier)), kWaitTaken);
  }
  loop.PostMessage(kStop);
  for (int fd : fds) {
    EXPECT_TRUE(Receive(fd).empty());  // the end of the connection, nothing before it
    close(fd);
  }
  EXPECT_EQ(Waits(), 0);
  // Answers after the stop find nobody.
  loop.PostMessage(kAnswer, control::kCarrier, control::kCarrier);
  EXPECT_EQ(Waits(), 0);
  EXPECT_NE(access(path.c_str(), F_OK), 0);
}

}  // namespace
}  // namespace vport

namespace vport {
namespace {

// True when the server closed every one of fds within 20 s.
bool ClosedByServer(const std::vector<int>& fds) {
  std::vector<pollfd> open;
  for (const int fd : fds) open.push_back({fd, POLLIN, 0});
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!open.empty() && std::chrono::steady_clock::now() < end) {
    if (poll(open.data(), open.size(), 1000) < 0) return false;
    for (auto it = open.begin(); it != open.end();) {
      char byte = 0;
      if (it->revents == 0) {
        ++it;
      } else if (recv(it->fd, &byte, 1, MSG_DONTWAIT) == 0) {
        it = open.erase(it);
      } else {
        return false;  // something came that is no close
      }
    }
  }
  return open.empty();
}

// A client that stopped half-way (its thread cancelled before its request) would hold a place for
// good: every place taken so, no application could reach the port's control.
TEST_F(ControlServer, ConnectionsThatSendNothingAreDroppedButAWaitIsKept) {
  idleMs = PortControlServer::kIdleMs;
  Start();
  const int waiting = ConnectControl(path);
  EXPECT_EQ(Ask(waiting, {'P', 'C', 1, 5, control::kCts, 0, 0, 0}).size(), 8u);
  std::vector<int> silent;
  for (std::size_t i = 1; i < PortControlServer::kMaxClients; ++i) {
    silent.push_back(ConnectControl(path));
  }
  EXPECT_TRUE(ClosedByServer(silent));
  EXPECT_TRUE(AnswersANewClient());
  EXPECT_EQ(Waits(), 1);
  const auto notices = Notices();
  EXPECT_EQ(std::count(notices.begin(), notices.end(),
                       "Control connection dropped: no request within 1000 ms"),
            static_cast<long>(silent.size()));
  for (const int fd : silent) close(fd);
  close(waiting);
}

}  // namespace
}  // namespace vport
