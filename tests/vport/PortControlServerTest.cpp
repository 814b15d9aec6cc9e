// The port's control socket: served to the same user only, malformed packets refused and logged,
// the socket private and removed with the server.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "TempPortDir.h"
#include "platform/MessageLoop.h"
#include "vport/PortControlServer.h"

namespace vport {
namespace {

using Bytes = std::vector<std::uint8_t>;

int Connect(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

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

class ControlServer : public ::testing::Test {
 protected:
  ~ControlServer() override { StopLoop(); }
  void Start(uid_t allowed = geteuid()) {
    server = std::make_unique<PortControlServer>(loop, allowed);
    ASSERT_EQ(server->Start(
                  path,
                  [this](const control::Request& request) {
                    std::lock_guard lock(mutex);
                    requests.push_back(request);
                    control::Reply reply;
                    reply.op = request.op;
                    reply.lines = control::kDtr;
                    return reply;
                  },
                  [this](const std::string& text) {
                    std::lock_guard lock(mutex);
                    notices.push_back(text);
                  }),
              0);
    thread = std::thread([this] { loop.Run(); });
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
  std::unique_ptr<PortControlServer> server;
  std::thread thread;
  std::mutex mutex;
  std::vector<control::Request> requests;
  std::vector<std::string> notices;
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
  const int fd = Connect(path);
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
    const int fd = Connect(path);
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
  const int fd = Connect(path);
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

TEST_F(ControlServer, ServesOnlyABoundedNumberOfConnections) {
  Start();
  std::vector<int> fds;
  for (std::size_t i = 0; i < PortControlServer::kMaxClients; ++i) {
    fds.push_back(Connect(path));
    EXPECT_EQ(Ask(fds.back(), {'P', 'C', 1, 4, 0, 0, 0, 0}).size(), 8u);
  }
  const int extra = Connect(path);
  ASSERT_GE(extra, 0);
  EXPECT_TRUE(Ask(extra, {'P', 'C', 1, 4, 0, 0, 0, 0}).empty());
  close(extra);
  close(fds.front());  // a place comes free
  fds.erase(fds.begin());
  bool served = false;
  for (int attempt = 0; attempt < 100 && !served; ++attempt) {
    const int again = Connect(path);
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
  const int fd = Connect(path);
  EXPECT_EQ(Ask(fd, {'P', 'C', 1, 4, 0, 0, 0, 0}).size(), 8u);
  close(fd);
  StopLoop();
  EXPECT_NE(access(path.c_str(), F_OK), 0);
  EXPECT_EQ(access(dir.Entry(".pts8.ctl").c_str(), F_OK), 0);
}

}  // namespace
}  // namespace vport
