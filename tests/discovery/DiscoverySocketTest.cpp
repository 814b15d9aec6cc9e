#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <vector>

#include "discovery/DatagramBatch.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/DiscoveryTransport.h"
#include "discovery/LoopbackWait.h"
#include "platform/FakeDatagramSockets.h"

namespace discovery {
namespace {

using test::LoopbackPeer;
using test::LoopbackWait;

int LocalPort(int fd) {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
  return ntohs(local.sin_port);
}

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 2000) == 1;
}

class DiscoverySocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](unsigned a, int ca, unsigned b, int cb, int show) {
      reported.push_back({a, static_cast<unsigned>(ca), b, static_cast<unsigned>(cb),
                          static_cast<unsigned>(show)});
      return 1;
    });
  }
  void TearDown() override {
    SetErrorReporter({});
    SetDiscoveryPort(kDefaultDiscoveryPort);
    SetDiscoveryReceiveBuffer(kDefaultDiscoveryReceiveBuffer);
  }
  std::vector<std::vector<unsigned>> reported;
};

TEST_F(DiscoverySocketTest, CreatesNonBlockingBroadcastSocketOnEphemeralPort) {
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  ASSERT_GE(fd, 0);
  EXPECT_NE(LocalPort(fd), 0);
  EXPECT_TRUE(::fcntl(fd, F_GETFL) & O_NONBLOCK);
  int broadcast = 0;
  socklen_t size = sizeof broadcast;
  ASSERT_EQ(::getsockopt(fd, SOL_SOCKET, SO_BROADCAST, &broadcast, &size), 0);
  EXPECT_EQ(broadcast, 1);
  char sender[16];
  uint8_t buffer[16];
  EXPECT_EQ(ReceiveDatagramFrom(fd, sender, sizeof sender, buffer, sizeof buffer), -1);
  CloseDiscoverySocket(fd);
  EXPECT_TRUE(reported.empty());
}

TEST_F(DiscoverySocketTest, RoundTripWithLoopbackPeer) {
  LoopbackPeer peer;
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  const std::vector<uint8_t> request = {0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00};
  ASSERT_EQ(SendDatagramTo(fd, "127.0.0.1", peer.port(), request.data(), 6), 0);

  ASSERT_TRUE(Readable(peer.fd()));
  std::vector<uint8_t> got;
  sockaddr_in from{};
  ASSERT_TRUE(peer.Receive(&got, &from));
  EXPECT_EQ(got, request);
  EXPECT_EQ(ntohs(from.sin_port), LocalPort(fd));

  const std::vector<uint8_t> reply = {0x3A, 0x2C, 0x2E, 0x03, 0xAA, 0xBB};
  peer.SendTo(from, reply);
  ASSERT_TRUE(Readable(fd));
  char sender[16] = "garbage";
  uint8_t buffer[64] = {};
  ASSERT_EQ(ReceiveDatagramFrom(fd, sender, sizeof sender, buffer, sizeof buffer), 6);
  EXPECT_STREQ(sender, "127.0.0.1");
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 6), reply);
  EXPECT_EQ(ReceiveDatagramFrom(fd, sender, sizeof sender, buffer, sizeof buffer), -1);
  CloseDiscoverySocket(fd);
}

TEST_F(DiscoverySocketTest, ReceiveStaysInsideItsBuffers) {
  LoopbackPeer peer("127.0.0.2");
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  peer.SendTo(LocalPort(fd), std::vector<uint8_t>(600, 0x55));
  ASSERT_TRUE(Readable(fd));
  uint8_t buffer[10] = {};
  char sender[8];
  // The datagram is cut at the buffer; the sender text at its buffer, terminated.
  EXPECT_EQ(ReceiveDatagramFrom(fd, sender, sizeof sender, buffer, 4), 4);
  EXPECT_EQ(buffer[3], 0x55);
  EXPECT_EQ(buffer[4], 0);
  EXPECT_STREQ(sender, "127.0.0");
  CloseDiscoverySocket(fd);
}

TEST_F(DiscoverySocketTest, SendRefusesWhatCannotBeSent) {
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  const uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(SendDatagramTo(fd, "127.0.0.1", 9, data, -1), 0);  // nothing to send
  EXPECT_EQ(SendDatagramTo(fd, "not an address", 9, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(fd, "127.1", 9, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(fd, "127.0.0.256", 9, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(fd, nullptr, 9, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(fd, "127.0.0.1", 0, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(fd, "127.0.0.1", 65536, data, 3), 1);
  EXPECT_EQ(SendDatagramTo(kInvalidSocket, "127.0.0.1", 9, data, 3), 1);
  CloseDiscoverySocket(fd);
  EXPECT_TRUE(reported.empty());  // send failures are the caller's to report
}

TEST_F(DiscoverySocketTest, DiscoveryDatagramGoesToTheSetPort) {
  LoopbackPeer peer;
  EXPECT_FALSE(SetDiscoveryPort(0));
  EXPECT_FALSE(SetDiscoveryPort(65536));
  EXPECT_EQ(DiscoveryPort(), kDefaultDiscoveryPort);
  ASSERT_TRUE(SetDiscoveryPort(peer.port()));
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  const uint8_t data[] = {0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00};
  ASSERT_EQ(SendDiscoveryDatagram(fd, "127.0.0.1", data, sizeof data), 0);
  ASSERT_TRUE(Readable(peer.fd()));
  std::vector<uint8_t> got;
  sockaddr_in from{};
  EXPECT_TRUE(peer.Receive(&got, &from));
  EXPECT_EQ(got.size(), sizeof data);
  CloseDiscoverySocket(fd);
}

TEST_F(DiscoverySocketTest, WatcherSeesTheSocketFromCreateToClose) {
  LoopbackWait wait;
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd, &wait), 0);
  EXPECT_EQ(wait.watched.count(fd), 1u);
  CloseDiscoverySocket(fd, &wait);
  EXPECT_TRUE(wait.watched.empty());
  EXPECT_EQ(wait.forgetCalls, 1);
}

TEST_F(DiscoverySocketTest, WatcherFailureIsReportedAndTheSocketHandedBack) {
  LoopbackWait wait;
  wait.failWatch = EMFILE;
  int fd = kInvalidSocket;
  EXPECT_EQ(CreateDiscoverySocket(&fd, &wait), 1);
  EXPECT_GE(fd, 0);  // the caller closes it
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], (std::vector<unsigned>{kMsgCannotSetAsync, 1, EMFILE, 3, 1}));
  CloseDiscoverySocket(fd, &wait);
}

TEST_F(DiscoverySocketTest, CloseDiscardsQueuedDatagramsAndIgnoresInvalidHandles) {
  CloseDiscoverySocket(kInvalidSocket);
  CloseDiscoverySocket(-42);
  LoopbackPeer peer;
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  for (int i = 0; i < 5; ++i) peer.SendTo(LocalPort(fd), std::vector<uint8_t>(1500, 1));
  ASSERT_TRUE(Readable(fd));
  CloseDiscoverySocket(fd);
  EXPECT_EQ(::fcntl(fd, F_GETFD), -1);  // really closed
  EXPECT_TRUE(reported.empty());
}

TEST_F(DiscoverySocketTest, BatchTakesEveryWaitingDatagramWithItsSender) {
  LoopbackPeer peer("127.0.0.3");
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  for (int i = 0; i < 150; ++i) {
    peer.SendTo(LocalPort(fd), std::vector<uint8_t>(static_cast<size_t>(i + 1), uint8_t(i)));
  }
  peer.SendTo(LocalPort(fd), std::vector<uint8_t>(600, 0xEE));  // longer than a slot
  ASSERT_TRUE(Readable(fd));
  DatagramBatch batch(1000);
  ASSERT_EQ(ReceiveDatagramBatch(fd, batch, 1000), 151);
  ASSERT_EQ(batch.Size(), 151u);
  for (size_t i = 0; i < 150; ++i) {
    ASSERT_EQ(batch.Length(i), i + 1);
    EXPECT_EQ(batch.Data(i)[0], uint8_t(i));
    EXPECT_EQ(batch.Data(i)[i], uint8_t(i));
    EXPECT_STREQ(batch.Sender(i), "127.0.0.3");
  }
  EXPECT_EQ(batch.Length(150), DatagramBatch::kSlotSize);
  EXPECT_EQ(batch.Data(150)[DatagramBatch::kSlotSize - 1], 0xEE);
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 1000), 0);  // nothing left
  EXPECT_EQ(batch.Size(), 151u);
  CloseDiscoverySocket(fd);
}

TEST_F(DiscoverySocketTest, BatchTakesNoMoreThanAskedOrThanItHasRoomFor) {
  LoopbackPeer peer;
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  for (int i = 0; i < 20; ++i) peer.SendTo(LocalPort(fd), {uint8_t(i)});
  ASSERT_TRUE(Readable(fd));
  DatagramBatch batch(10);
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 3), 3);
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 100), 7);
  EXPECT_EQ(batch.Room(), 0u);
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 100), 0);
  batch.Clear();
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 100), 10);
  EXPECT_EQ(batch.Data(9)[0], 19);  // in the order sent
  EXPECT_EQ(ReceiveDatagramBatch(kInvalidSocket, batch, 100), 0);
  CloseDiscoverySocket(fd);
}

TEST_F(DiscoverySocketTest, ReceiveQueueIsTheOneAskedFor) {
  EXPECT_FALSE(SetDiscoveryReceiveBuffer(-1));
  EXPECT_EQ(DiscoveryReceiveBuffer(), kDefaultDiscoveryReceiveBuffer);
  // What a socket gets when nobody asks.
  const int plain = ::socket(AF_INET, SOCK_DGRAM, 0);
  const int systemDefault = DiscoveryReceiveBufferSize(plain);
  ::close(plain);
  ASSERT_GT(systemDefault, 0);

  ASSERT_TRUE(SetDiscoveryReceiveBuffer(0));
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  EXPECT_EQ(DiscoveryReceiveBufferSize(fd), systemDefault);
  CloseDiscoverySocket(fd);

  // Below every system's limit, so granted with or without the right to exceed it; the kernel
  // counts twice the bytes asked for.
  ASSERT_TRUE(SetDiscoveryReceiveBuffer(48 * 1024));
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  EXPECT_EQ(DiscoveryReceiveBufferSize(fd), 96 * 1024);
  CloseDiscoverySocket(fd);

  if (::geteuid() == 0) {  // past the system's limit
    ASSERT_TRUE(SetDiscoveryReceiveBuffer(kDefaultDiscoveryReceiveBuffer));
    ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
    EXPECT_EQ(DiscoveryReceiveBufferSize(fd), 2 * kDefaultDiscoveryReceiveBuffer);
    CloseDiscoverySocket(fd);
  }
  EXPECT_EQ(DiscoveryReceiveBufferSize(kInvalidSocket), -1);
  EXPECT_TRUE(reported.empty());
}

TEST_F(DiscoverySocketTest, DatagramsThatFindTheQueueFullAreCounted) {
  ASSERT_TRUE(SetDiscoveryReceiveBuffer(4096));
  LoopbackPeer peer;
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd), 0);
  EXPECT_EQ(DiscoveryDroppedDatagrams(fd), 0);
  constexpr int kSent = 50;
  for (int i = 0; i < kSent; ++i) peer.SendTo(LocalPort(fd), std::vector<uint8_t>(500, 7));
  ASSERT_TRUE(Readable(fd));
  DatagramBatch batch(kSent);
  const int received = ReceiveDatagramBatch(fd, batch, kSent);
  const long long dropped = DiscoveryDroppedDatagrams(fd);
  EXPECT_GT(received, 0);
  EXPECT_GT(dropped, 0);
  EXPECT_EQ(received + dropped, kSent);  // loopback hands each one over before sendto returns
  EXPECT_EQ(DiscoveryDroppedDatagrams(kInvalidSocket), -1);
  CloseDiscoverySocket(fd);
}

// The same functions over sockets whose failures the test chooses.
class DiscoverySocketCallsTest : public DiscoverySocketTest {
 protected:
  using Call = platform::FakeDatagramSockets::Call;
  platform::FakeDatagramSockets sockets;
};

TEST_F(DiscoverySocketCallsTest, BindFailureIsReportedAndTheSocketHandedBackForClosing) {
  sockets.FailNext(Call::kBind, EADDRINUSE);
  int fd = kInvalidSocket;
  EXPECT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 1);
  ASSERT_TRUE(sockets.IsOpen(fd));
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], (std::vector<unsigned>{kMsgCannotBindSocket, 1, EADDRINUSE, 3, 1}));
  CloseDiscoverySocket(fd, nullptr, sockets);
  EXPECT_EQ(sockets.OpenCount(), 0u);
}

TEST_F(DiscoverySocketCallsTest, EachCreationStepReportsItsOwnMessage) {
  int fd = kInvalidSocket;
  sockets.FailNext(Call::kOpen, EMFILE);
  EXPECT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 1);
  EXPECT_EQ(fd, -1);
  sockets.FailNext(Call::kSetOption, EACCES);  // SO_BROADCAST is the first option set
  EXPECT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 1);
  CloseDiscoverySocket(fd, nullptr, sockets);
  sockets.FailNext(Call::kSetNonBlocking, EBADF);
  EXPECT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 1);
  CloseDiscoverySocket(fd, nullptr, sockets);
  EXPECT_EQ(reported, (std::vector<std::vector<unsigned>>{
                          {kMsgCannotCreateSocket, 1, EMFILE, 3, 1},
                          {kMsgCannotSetBroadcast, 1, EACCES, 3, 1},
                          {kMsgCannotSetAsync, 1, EBADF, 3, 1},
                      }));
  EXPECT_EQ(sockets.OpenCount(), 0u);
}

TEST_F(DiscoverySocketCallsTest, WithoutTheRightToExceedTheLimitTheQueueIsAskedForPlainly) {
  ASSERT_TRUE(SetDiscoveryReceiveBuffer(1 << 20));
  sockets.RefuseOption(SOL_SOCKET, SO_RCVBUFFORCE, EPERM);
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 0);
  EXPECT_EQ(sockets.IntOption(fd, SOL_SOCKET, SO_BROADCAST), 1);
  EXPECT_FALSE(sockets.IntOption(fd, SOL_SOCKET, SO_RCVBUFFORCE).has_value());
  EXPECT_EQ(sockets.IntOption(fd, SOL_SOCKET, SO_RCVBUF), 1 << 20);
  EXPECT_TRUE(sockets.NonBlocking(fd));
  EXPECT_EQ(sockets.BoundPort(fd), 0);
  CloseDiscoverySocket(fd, nullptr, sockets);

  // Where the process has the right, the plain request is not made at all.
  platform::FakeDatagramSockets privileged;
  ASSERT_EQ(CreateDiscoverySocket(&fd, nullptr, privileged), 0);
  EXPECT_EQ(privileged.IntOption(fd, SOL_SOCKET, SO_RCVBUFFORCE), 1 << 20);
  EXPECT_FALSE(privileged.IntOption(fd, SOL_SOCKET, SO_RCVBUF).has_value());
  CloseDiscoverySocket(fd, nullptr, privileged);
  EXPECT_TRUE(reported.empty());
}

TEST_F(DiscoverySocketCallsTest, CloseStopsDrainingAPeerThatKeepsSending) {
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 0);
  for (int i = 0; i < 300; ++i) sockets.Deliver(fd, "127.0.0.2", 4201, {1, 2, 3});
  const int receivesBefore = sockets.Calls(Call::kReceive);
  sockets.FailNext(Call::kClose, EIO);
  CloseDiscoverySocket(fd, nullptr, sockets);
  EXPECT_EQ(sockets.Calls(Call::kReceive) - receivesBefore, 256);
  EXPECT_EQ(sockets.Calls(Call::kShutdown), 1);
  // A failed close is not tried again: the descriptor is gone all the same.
  EXPECT_EQ(sockets.Calls(Call::kClose), 1);
  EXPECT_FALSE(sockets.IsOpen(fd));
}

TEST_F(DiscoverySocketCallsTest, BatchAsksTheKernelInBlocksAndKeepsTheSenders) {
  int fd = kInvalidSocket;
  ASSERT_EQ(CreateDiscoverySocket(&fd, nullptr, sockets), 0);
  for (uint8_t i = 0; i < 70; ++i) sockets.Deliver(fd, "127.0.0.9", 4201, {i});
  DatagramBatch batch(100);
  EXPECT_EQ(ReceiveDatagramBatch(fd, batch, 100, sockets), 70);
  ASSERT_EQ(batch.Size(), 70u);
  EXPECT_EQ(batch.Data(69)[0], 69);
  EXPECT_STREQ(batch.Sender(0), "127.0.0.9");
  EXPECT_EQ(sockets.Waiting(fd), 0u);
  CloseDiscoverySocket(fd, nullptr, sockets);
}

TEST_F(DiscoverySocketCallsTest, TransportSetsTheMulticastHopsOnItsSockets) {
  const auto transport = MakeDiscoveryTransport(sockets);
  int fd = kInvalidSocket;
  ASSERT_EQ(transport->Create(&fd, nullptr), 0);
  EXPECT_EQ(transport->SetMulticastTtl(fd, 4), 0);
  EXPECT_EQ(sockets.IntOption(fd, IPPROTO_IP, IP_MULTICAST_TTL), 4);
  sockets.FailNext(Call::kSetOption, ENOPROTOOPT);
  EXPECT_EQ(transport->SetMulticastTtl(fd, 8), ENOPROTOOPT);
  ASSERT_EQ(transport->Send(fd, "127.0.0.3", "\x2E", 1), 0);
  const auto sent = sockets.Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(platform::FakeDatagramSockets::PeerAddress(sent[0]), "127.0.0.3");
  EXPECT_EQ(platform::FakeDatagramSockets::PeerPort(sent[0]), DiscoveryPort());
  transport->Close(fd, nullptr);
  EXPECT_EQ(sockets.OpenCount(), 0u);
}

}  // namespace
}  // namespace discovery
