#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/FakeDatagramSockets.h"
#include "snmp/SnmpDatagramTransport.h"
#include "snmp/SnmpUdpTransport.h"

namespace snmp {
namespace {

using Bytes = std::vector<uint8_t>;

// A UDP socket on 127.0.0.1 with an ephemeral port, standing for the agent.
class Peer {
 public:
  Peer() {
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t size = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &size);
    port_ = ntohs(addr.sin_port);
  }
  ~Peer() { close(fd_); }
  uint16_t port() const { return port_; }

  // Blocks until one datagram arrives; records where from.
  Bytes Receive() {
    uint8_t buffer[2048];
    socklen_t size = sizeof from_;
    ssize_t n = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from_), &size);
    return n < 0 ? Bytes{} : Bytes(buffer, buffer + n);
  }
  void ReplyTo(const sockaddr_in& to, const Bytes& data) {
    sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  void Reply(const Bytes& data) { ReplyTo(from_, data); }
  const sockaddr_in& from() const { return from_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
  sockaddr_in from_{};
};

// Waits until fd is readable, as the application's wait loop does.
bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 5000) == 1;
}

sockaddr_in LocalAddress(int fd) {
  sockaddr_in addr{};
  socklen_t size = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return addr;
}

uint16_t FreeUdpPort() {
  Peer probe;
  return probe.port();
}

class UdpTransportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    config_.udpAgentPort = agent_.port();
    session_.config = &config_;
    ASSERT_EQ(UdpTransportStrToEntity("127.0.0.1", &agent127_), 1);
  }
  void TearDown() override { UdpTransportClose(&session_); }

  Peer agent_;
  SnmpTransportConfig config_;
  SnmpTransportSession session_;
  SnmpTransportEntity agent127_;
};

TEST_F(UdpTransportFixture, SendOpensAndDelivers) {
  EXPECT_FALSE(session_.udpOpen);
  const Bytes message = {0x30, 0x03, 0x02, 0x01, 0x00};
  ASSERT_EQ(UdpTransportSend(&session_, &agent127_, message.data(), message.size()), 1);
  EXPECT_TRUE(session_.udpOpen);
  EXPECT_GE(session_.requestSocket, 0);
  EXPECT_EQ(session_.trapSocket, -1);
  EXPECT_EQ(agent_.Receive(), message);

  agent_.Reply({0xAA, 0xBB, 0xCC});
  ASSERT_TRUE(Readable(session_.requestSocket));
  uint8_t buffer[1408];
  size_t length = sizeof buffer;
  SnmpTransportEntity src;
  SnmpTransportEntity dst;
  dst.ipv4 = 0xFFFFFFFF;
  ASSERT_EQ(UdpTransportReceive(&session_, &src, &dst, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(src.kind, SNMP_TRANSPORT_UDP);
  EXPECT_EQ(src.ipv4, htonl(INADDR_LOOPBACK));
  EXPECT_EQ(dst.kind, SNMP_TRANSPORT_UDP);
  EXPECT_EQ(dst.ipv4, 0u);
}

TEST_F(UdpTransportFixture, LateRepliesAreDroppedBeforeTheNextSend) {
  const Bytes first = {1};
  ASSERT_EQ(UdpTransportSend(&session_, &agent127_, first.data(), first.size()), 1);
  ASSERT_EQ(agent_.Receive(), first);
  // Two late answers to the first request arrive before the second goes out.
  agent_.Reply({0x11});
  agent_.Reply({0x12});
  ASSERT_TRUE(Readable(session_.requestSocket));
  // Both are queued locally by now (loopback delivers synchronously).
  const Bytes second = {2};
  ASSERT_EQ(UdpTransportSend(&session_, &agent127_, second.data(), second.size()), 1);
  ASSERT_EQ(agent_.Receive(), second);
  agent_.Reply({0x22});
  ASSERT_TRUE(Readable(session_.requestSocket));
  uint8_t buffer[64];
  size_t length = sizeof buffer;
  ASSERT_EQ(UdpTransportReceive(&session_, nullptr, nullptr, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{0x22}));
  length = sizeof buffer;
  EXPECT_EQ(UdpTransportReceive(&session_, nullptr, nullptr, buffer, &length), kTransportIoFailed);
}

TEST_F(UdpTransportFixture, ReceiveWithNothingWaitingFails) {
  ASSERT_EQ(UdpTransportOpen(&session_), 1);
  uint8_t buffer[64];
  size_t length = sizeof buffer;
  EXPECT_EQ(UdpTransportReceive(&session_, nullptr, nullptr, buffer, &length), kTransportIoFailed);
  EXPECT_EQ(length, sizeof buffer);
}

TEST_F(UdpTransportFixture, OversizedDatagramIsRefusedNotCut) {
  const Bytes message = {1};
  ASSERT_EQ(UdpTransportSend(&session_, &agent127_, message.data(), message.size()), 1);
  agent_.Receive();
  agent_.Reply(Bytes(100, 0x5A));
  ASSERT_TRUE(Readable(session_.requestSocket));
  uint8_t buffer[64];
  size_t length = sizeof buffer;
  EXPECT_EQ(UdpTransportReceive(&session_, nullptr, nullptr, buffer, &length), kTransportIoFailed);
}

TEST_F(UdpTransportFixture, TrapSocketRegistration) {
  config_.udpTrapPort = FreeUdpPort();
  ASSERT_EQ(UdpTransportRegister(&session_, 1), 1);
  EXPECT_TRUE(session_.udpOpen);
  ASSERT_GE(session_.trapSocket, 0);
  int trap = session_.trapSocket;
  EXPECT_EQ(UdpTransportRegister(&session_, 1), 1);
  EXPECT_EQ(session_.trapSocket, trap);  // one trap socket only

  // A trap arrives on the trap port; the request socket has nothing, so receive falls back.
  Peer agent;
  sockaddr_in to = LocalAddress(session_.trapSocket);
  agent.ReplyTo(to, {0xA7, 0x00});
  ASSERT_TRUE(Readable(session_.trapSocket));
  uint8_t buffer[64];
  size_t length = sizeof buffer;
  SnmpTransportEntity src;
  SnmpTransportEntity dst;
  ASSERT_EQ(UdpTransportReceive(&session_, &src, &dst, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{0xA7, 0x00}));
  EXPECT_EQ(src.ipv4, htonl(INADDR_LOOPBACK));

  EXPECT_EQ(UdpTransportRegister(&session_, 0), 1);
  EXPECT_EQ(session_.trapSocket, -1);
  EXPECT_TRUE(session_.udpOpen);
}

TEST_F(UdpTransportFixture, TrapPortInUseIsNotAvailable) {
  Peer holder;  // already bound to the port
  config_.udpTrapPort = holder.port();
  EXPECT_EQ(UdpTransportRegister(&session_, 1), kTransportNotAvailable);
  EXPECT_EQ(session_.trapSocket, -1);
  EXPECT_TRUE(session_.udpOpen);
}

TEST_F(UdpTransportFixture, OtherStatesOpenOnly) {
  EXPECT_EQ(UdpTransportRegister(&session_, 7), 1);
  EXPECT_TRUE(session_.udpOpen);
  EXPECT_EQ(session_.trapSocket, -1);
}

TEST_F(UdpTransportFixture, CloseReleasesBothSockets) {
  config_.udpTrapPort = FreeUdpPort();
  ASSERT_EQ(UdpTransportRegister(&session_, 1), 1);
  EXPECT_EQ(UdpTransportClose(&session_), 1);
  EXPECT_FALSE(session_.udpOpen);
  EXPECT_EQ(session_.requestSocket, -1);
  EXPECT_EQ(session_.trapSocket, -1);
  // The trap port is free again.
  EXPECT_EQ(UdpTransportRegister(&session_, 1), 1);
}

TEST(UdpTextFormsTest, TextToEntity) {
  struct Case {
    const char* text;
    int32_t result;
    const char* back;
  } cases[] = {
      {"192.168.1.20", 1, "192.168.1.20"},
      {"127.0.0.1", 1, "127.0.0.1"},
      {"10.1", 1, "10.0.0.1"},  // the short forms of the classic address parser
      {"255.255.255.255", 1, "255.255.255.255"},
      {"localhost", 1, "127.0.0.1"},
      {"300.1.1.1", 6, nullptr},
      {"", 6, nullptr},
      {"no-such-host.invalid", 6, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SnmpTransportEntity entity;
    ASSERT_EQ(UdpTransportStrToEntity(c.text, &entity), c.result);
    if (c.back != nullptr) {
      char text[16];
      ASSERT_EQ(UdpTransportEntityToStr(&entity, sizeof text, text), 1);
      EXPECT_STREQ(text, c.back);
    }
  }
}

TEST(UdpTextFormsTest, EntityToTextLimits) {
  SnmpTransportEntity entity;
  ASSERT_EQ(UdpTransportStrToEntity("192.168.100.200", &entity), 1);
  char text[16];
  EXPECT_EQ(UdpTransportEntityToStr(&entity, 15, text), kTransportOutputTruncated);
  EXPECT_EQ(UdpTransportEntityToStr(&entity, 16, text), 1);
  EXPECT_STREQ(text, "192.168.100.200");
  ASSERT_EQ(UdpTransportStrToEntity("0.0.0.0", &entity), 1);
  EXPECT_EQ(UdpTransportEntityToStr(&entity, sizeof text, text), kTransportEntityUnknown);
}

// The transport over sockets that the test scripts: interruptions, refusals, full queues.
class UdpTransportCallsTest : public ::testing::Test {
 protected:
  using Call = platform::FakeDatagramSockets::Call;
  void SetUp() override {
    config_.udpAgentPort = 1161;
    config_.udpTrapPort = 1162;
    session_.config = &config_;
    session_.sockets = &sockets_;
    ASSERT_EQ(UdpTransportStrToEntity("127.0.0.1", &agent_), 1);
  }
  void TearDown() override { UdpTransportClose(&session_); }

  platform::FakeDatagramSockets sockets_;
  SnmpTransportConfig config_;
  SnmpTransportSession session_;
  SnmpTransportEntity agent_;
};

TEST_F(UdpTransportCallsTest, InterruptedSendAndReceiveAreRepeated) {
  sockets_.FailNext(Call::kSendTo, EINTR);
  const Bytes message = {0x30, 0x00};
  ASSERT_EQ(UdpTransportSend(&session_, &agent_, message.data(), message.size()), 1);
  const auto sent = sockets_.Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].bytes, message);
  EXPECT_EQ(platform::FakeDatagramSockets::PeerAddress(sent[0]), "127.0.0.1");
  EXPECT_EQ(platform::FakeDatagramSockets::PeerPort(sent[0]), 1161);
  EXPECT_TRUE(sockets_.NonBlocking(session_.requestSocket));
  EXPECT_EQ(sockets_.BoundPort(session_.requestSocket), 0);

  sockets_.Deliver(session_.requestSocket, "127.0.0.1", 1161, {0xAB});
  sockets_.FailNext(Call::kReceive, EINTR);
  uint8_t buffer[16];
  size_t length = sizeof buffer;
  SnmpTransportEntity src;
  ASSERT_EQ(UdpTransportReceive(&session_, &src, nullptr, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), Bytes{0xAB});
  EXPECT_EQ(src.ipv4, htonl(INADDR_LOOPBACK));
}

TEST_F(UdpTransportCallsTest, SendFailureIsAnIoFailure) {
  ASSERT_EQ(UdpTransportOpen(&session_), 1);
  sockets_.FailNext(Call::kSendTo, EHOSTUNREACH);
  const Bytes message = {1};
  EXPECT_EQ(UdpTransportSend(&session_, &agent_, message.data(), message.size()),
            kTransportIoFailed);
  EXPECT_TRUE(sockets_.Sent().empty());
}

TEST_F(UdpTransportCallsTest, StaleRepliesAreDroppedUpToTheLimitBeforeASend) {
  ASSERT_EQ(UdpTransportOpen(&session_), 1);
  const int fd = session_.requestSocket;
  for (int i = 0; i < kDatagramStaleLimit + 10; ++i) {
    sockets_.Deliver(fd, "127.0.0.1", 1161, {static_cast<uint8_t>(i)});
  }
  const Bytes message = {2};
  ASSERT_EQ(UdpTransportSend(&session_, &agent_, message.data(), message.size()), 1);
  // A flood is not drained for ever: what is left is the next receive's to refuse or take.
  EXPECT_EQ(sockets_.Waiting(fd), 10u);
}

TEST_F(UdpTransportCallsTest, OpenThatCannotBindLeavesNoSocket) {
  sockets_.FailNext(Call::kBind, EADDRINUSE);
  EXPECT_EQ(UdpTransportOpen(&session_), kTransportNotInitialized);
  EXPECT_FALSE(session_.udpOpen);
  EXPECT_EQ(session_.requestSocket, -1);
  EXPECT_EQ(sockets_.OpenCount(), 0u);
}

TEST_F(UdpTransportCallsTest, TrapSocketListensOnTheTrapPortAndIsReadSecond) {
  ASSERT_EQ(UdpTransportRegister(&session_, 1), 1);  // opens the request socket too
  ASSERT_GE(session_.trapSocket, 0);
  EXPECT_EQ(sockets_.BoundPort(session_.trapSocket), 1162);
  EXPECT_EQ(sockets_.OpenCount(), 2u);

  sockets_.Deliver(session_.trapSocket, "127.0.0.5", 40000, {0xA7});
  sockets_.Deliver(session_.requestSocket, "127.0.0.1", 1161, {0xA2});
  uint8_t buffer[16];
  size_t length = sizeof buffer;
  ASSERT_EQ(UdpTransportReceive(&session_, nullptr, nullptr, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), Bytes{0xA2});
  length = sizeof buffer;
  SnmpTransportEntity src;
  ASSERT_EQ(UdpTransportReceive(&session_, &src, nullptr, buffer, &length), 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), Bytes{0xA7});
  EXPECT_EQ(src.ipv4, htonl(0x7F000005));

  ASSERT_EQ(UdpTransportRegister(&session_, 0), 1);
  EXPECT_EQ(session_.trapSocket, -1);
  EXPECT_EQ(sockets_.OpenCount(), 1u);
}

TEST_F(UdpTransportCallsTest, TrapPortTakenIsNotAvailableAndLeavesNothingOpen) {
  ASSERT_EQ(UdpTransportOpen(&session_), 1);
  sockets_.FailNext(Call::kBind, EADDRINUSE);
  EXPECT_EQ(UdpTransportRegister(&session_, 1), kTransportNotAvailable);
  EXPECT_EQ(session_.trapSocket, -1);
  EXPECT_EQ(sockets_.OpenCount(), 1u);
  UdpTransportClose(&session_);
  EXPECT_EQ(sockets_.OpenCount(), 0u);
}

}  // namespace
}  // namespace snmp
