// libportolan-serial.so in a thread that the application cancels in the middle of an intercepted
// call: the call ends as a whole (its connection to the bridge closed, a timed break ended) and
// the cancel is taken after it. And a break length that does not fit is not passed on.
//
// The bridge here is a stand-in at the pty's control socket, so that the test decides when it
// answers; the application is the preload tests' probe (SerialAppProbe.cpp).
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PreloadProbe.h"
#include "TempPortDir.h"
#include "vport/PortControlMessage.h"
#include "vport/PortControlServer.h"

namespace vport {
namespace {

using test::Preload;
using test::Probe;

// Listens at the control socket of a pty; answers each request at once, or (holding) keeps the
// connection unanswered until Release.
class StandInBridge {
 public:
  StandInBridge(const std::string& path, bool holding) : holding_(holding) {
    listener_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ok_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
          listen(listener_, 8) == 0;
    thread_ = std::thread([this] { Serve(); });
  }
  ~StandInBridge() {
    stop_ = true;
    thread_.join();
    Release();
    close(listener_);
  }
  bool Ok() const { return ok_; }
  // Waits until n requests came.
  bool WaitForRequests(std::size_t n) {
    std::unique_lock lock(mutex_);
    return heard_.wait_for(lock, std::chrono::seconds(20), [&] { return requests_.size() >= n; });
  }
  std::vector<control::Request> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // Closes the connections kept unanswered.
  void Release() {
    std::lock_guard lock(mutex_);
    for (const int fd : held_) close(fd);
    held_.clear();
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::uint8_t packet[control::kMessageSize];
      control::Request request;
      if (poll(&(p = pollfd{fd, POLLIN, 0}), 1, 5000) != 1 ||
          recv(fd, packet, sizeof packet, 0) != sizeof packet ||
          control::DecodeRequest(packet, &request) != control::DecodeError::kNone) {
        close(fd);
        continue;
      }
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
      heard_.notify_all();
      if (holding_) {
        held_.push_back(fd);
        continue;
      }
      control::Reply reply;
      reply.op = request.op;
      const control::Message out = control::EncodeReply(reply);
      send(fd, out.data(), out.size(), MSG_NOSIGNAL);
      close(fd);
    }
  }

  const bool holding_;
  int listener_ = -1;
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable heard_;
  std::vector<control::Request> requests_;
  std::vector<int> held_;
};

class SerialPreloadCancel : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[64] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    slavePath = name;
  }
  void TearDown() override {
    close(master);
    close(slave);
  }
  std::string ControlPath() const { return PortControlServer::SocketPath(dir.Path(), slavePath); }

  test::TempPortDir dir;
  int master = -1, slave = -1;
  std::string slavePath;
};

TEST_F(SerialPreloadCancel, ACallCancelledWhileTheBridgeIsSilentClosesItsConnection) {
  StandInBridge bridge(ControlPath(), true);
  ASSERT_TRUE(bridge.Ok());
  Probe app({slavePath, "cancel:line:7E1:1200"}, Preload::kLibrary, 20000);
  ASSERT_TRUE(bridge.WaitForRequests(1));  // the call waits for the answer now
  app.Continue();
  EXPECT_EQ(app.Line(), "cancel sent");
  bridge.Release();  // the call ends without an answer, as with a bridge that is gone
  EXPECT_EQ(app.Line(), "cancel:line:7E1:1200 fds 0");
}

TEST_F(SerialPreloadCancel, ABreakCancelledDuringItsLengthIsStillEnded) {
  StandInBridge bridge(ControlPath(), false);
  ASSERT_TRUE(bridge.Ok());
  Probe app({slavePath, "cancel:brkp:5"}, Preload::kLibrary, 20000);
  ASSERT_TRUE(bridge.WaitForRequests(1));  // BREAK is on, for half a second
  app.Continue();
  EXPECT_EQ(app.Line(), "cancel sent");
  EXPECT_EQ(app.Line(), "cancel:brkp:5 fds 0");
  const auto requests = bridge.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].op == control::Op::kBreak && requests[0].breakOn);
  EXPECT_TRUE(requests[1].op == control::Op::kBreak && !requests[1].breakOn);
}

// TCSBRKP counts tenths of seconds: a count whose milliseconds do not fit an int (or any beyond
// a minute) is the application's fault and reaches only the pty; a minute still reaches the bridge.
TEST_F(SerialPreloadCancel, ABreakLengthBeyondTheBoundIsNotPassedOn) {
  StandInBridge bridge(ControlPath(), false);
  ASSERT_TRUE(bridge.Ok());
  Probe app({slavePath, "brkp:21474837", "brkp:601", "sbrk"}, Preload::kLibrary, 20000);
  EXPECT_EQ(app.Line(), "brkp:21474837 0 0");
  EXPECT_EQ(app.Line(), "brkp:601 0 0");
  EXPECT_EQ(app.Line(), "sbrk 0 0");
  const auto requests = bridge.Requests();
  ASSERT_EQ(requests.size(), 1u);  // only TIOCSBRK's
  EXPECT_TRUE(requests[0].op == control::Op::kBreak && requests[0].breakOn);
}

}  // namespace
}  // namespace vport
