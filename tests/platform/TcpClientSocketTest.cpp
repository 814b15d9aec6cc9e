// The bridge's client socket against a listener on 127.0.0.1: the receive that does not wait, as
// a loop that watches the socket uses it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/TcpClientSocket.h"

namespace platform {
namespace {

class TcpClientSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener_, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener_, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    auto state = client_.StartConnect("127.0.0.1", ntohs(address.sin_port));
    if (state == TcpClientSocket::ConnectState::kInProgress) {
      pollfd p{client_.Fd(), POLLOUT, 0};
      ASSERT_EQ(poll(&p, 1, 10000), 1);
      ASSERT_EQ(client_.FinishConnect(), 0);
      state = TcpClientSocket::ConnectState::kConnected;
    }
    ASSERT_EQ(state, TcpClientSocket::ConnectState::kConnected);
    peer_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(peer_, 0);
  }
  void TearDown() override {
    if (peer_ >= 0) close(peer_);
    if (listener_ >= 0) close(listener_);
  }
  // Waits until the client's socket is readable.
  bool Readable() {
    pollfd p{client_.Fd(), POLLIN, 0};
    return poll(&p, 1, 10000) == 1;
  }

  int listener_ = -1;
  int peer_ = -1;
  TcpClientSocket client_;
  uint8_t buffer_[64] = {};
};

TEST_F(TcpClientSocketTest, ANonWaitingReceiveWithNothingThereSaysSoAtOnce) {
  const auto received = client_.Receive(buffer_, sizeof buffer_, false);
  EXPECT_TRUE(received.wouldBlock);
  EXPECT_EQ(received.count, 0);
  EXPECT_EQ(received.error, 0);
}

TEST_F(TcpClientSocketTest, ANonWaitingReceiveTakesWhatArrived) {
  ASSERT_EQ(write(peer_, "abc", 3), 3);
  ASSERT_TRUE(Readable());
  const auto received = client_.Receive(buffer_, sizeof buffer_, false);
  EXPECT_FALSE(received.wouldBlock);
  ASSERT_EQ(received.count, 3);
  EXPECT_EQ(std::memcmp(buffer_, "abc", 3), 0);
  // Taken: the next one finds nothing and does not wait.
  EXPECT_TRUE(client_.Receive(buffer_, sizeof buffer_, false).wouldBlock);
}

TEST_F(TcpClientSocketTest, ANonWaitingReceiveTellsAnOrderlyCloseFromNothingYet) {
  close(peer_);
  peer_ = -1;
  ASSERT_TRUE(Readable());
  const auto received = client_.Receive(buffer_, sizeof buffer_, false);
  EXPECT_FALSE(received.wouldBlock);
  EXPECT_EQ(received.count, 0);
}

TEST_F(TcpClientSocketTest, ANonWaitingReceiveReportsAResetAsAFailure) {
  linger reset{1, 0};  // closing with a zero linger sends a reset
  ASSERT_EQ(setsockopt(peer_, SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
  close(peer_);
  peer_ = -1;
  ASSERT_TRUE(Readable());
  const auto received = client_.Receive(buffer_, sizeof buffer_, false);
  EXPECT_FALSE(received.wouldBlock);
  EXPECT_EQ(received.count, -1);
  EXPECT_EQ(received.error, ECONNRESET);
}

}  // namespace
}  // namespace platform
