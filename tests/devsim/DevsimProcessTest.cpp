// The simulator program on loopback: real sockets, the tree's discovery sockets as the client.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "DiscoveryRequest.h"
#include "SimProcess.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/DiscoverySocket.h"

namespace devsim {
namespace {

// The "/dev/pts/N" that follows label in the simulator's output, or "" when there is none.
std::string PtyPathAfter(const std::string& output, const std::string& label) {
  const size_t at = output.find(label + "/dev/pts/");
  if (at == std::string::npos) return "";
  const size_t start = at + label.size();
  size_t end = start + 9;  // past "/dev/pts/"
  while (end < output.size() && output[end] >= '0' && output[end] <= '9') ++end;
  return end > start + 9 ? output.substr(start, end - start) : "";
}

using Bytes = std::vector<uint8_t>;

struct Received {
  std::string sender;
  Bytes bytes;
};

// A discovery socket of the tree, aimed at the simulator's port.
class Client {
 public:
  explicit Client(int port) {
    discovery::SetDiscoveryPort(port);
    ok_ = discovery::CreateDiscoverySocket(&fd_) == 0;
  }
  ~Client() { discovery::CloseDiscoverySocket(fd_); }
  bool ok() const { return ok_; }

  bool Send(const char* to, const Bytes& request) {
    return discovery::SendDiscoveryDatagram(fd_, to, request.data(),
                                            static_cast<int>(request.size())) == 0;
  }
  // The next datagram; empty sender when none came within 5 s (a failure, not a measurement).
  Received Next() {
    Received r;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) return r;
    uint8_t buffer[discovery::kReplyBufferSize];
    char sender[16] = {};
    const int n = discovery::ReceiveDatagramFrom(fd_, sender, sizeof sender, buffer, sizeof buffer);
    if (n < 0) return r;
    r.sender = sender;
    r.bytes.assign(buffer, buffer + n);
    return r;
  }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

discovery::DiscoveryReply Decode(const Received& r) {
  const auto parsed = discovery::ParseDiscoveryReply(r.bytes.data(), r.bytes.size());
  EXPECT_EQ(parsed.error, discovery::ReplyError::kNone);
  return parsed.reply;
}

// TCP base ports for this process: other test programs may run at the same time. attempt picks
// another block when one of these ports turned out to be taken.
int RawBase(int attempt = 0) {
  return 20000 + static_cast<int>((::getpid() + 1009 * attempt) % 3000) * 12;
}

std::vector<std::string> Args(std::vector<std::string> extra, int rawBase = RawBase()) {
  std::vector<std::string> args = {"--udp-port",     "0",
                                   "--raw-base",     std::to_string(rawBase),
                                   "--rfc2217-base", std::to_string(rawBase + 6),
                                   "--no-multicast"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

int Connect(const char* address, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, address, &to.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  timeval timeout{5, 0};  // a failing test must not hang
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  return fd;
}

// Reads until want bytes arrived, the peer closed, or 5 s passed without data.
Bytes ReadBytes(int fd, size_t want) {
  Bytes got;
  uint8_t buffer[4096];
  while (got.size() < want) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    got.insert(got.end(), buffer, buffer + n);
  }
  return got;
}

class DevsimProcessTest : public ::testing::Test {
 protected:
  // Starts the simulator on the first block of TCP ports that is free: a port of the block may
  // be held by another program (an ephemeral port of some connection, or another test's block).
  void StartSim(const std::vector<std::string>& extra) {
    bool started = false;
    for (int attempt = 0; attempt < 8 && !started; ++attempt) {
      rawBase_ = RawBase(attempt);
      started = sim_.Start(Args(extra, rawBase_));
      if (!started && sim_.Output().find("cannot open TCP port") == std::string::npos) break;
    }
    ASSERT_TRUE(started) << sim_.Output();
    port_ = sim_.ReadyValue("udp");
    ASSERT_GT(port_, 0);
  }
  void TearDown() override {
    const int status = sim_.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << sim_.Output();
  }

  test::SimProcess sim_;
  int port_ = 0;
  int rawBase_ = 0;
};

TEST_F(DevsimProcessTest, SingleQueryIsAnsweredFromTheQueriedAddress) {
  StartSim({"--count", "3", "--base-ip", "127.0.0.10"});
  Client client(port_);
  ASSERT_TRUE(client.ok());
  // Nobody is at .30: the first answer to arrive is the one from .12.
  ASSERT_TRUE(client.Send("127.0.0.30", EncodeDiscoveryRequest({})));
  ASSERT_TRUE(client.Send("127.0.0.12", EncodeDiscoveryRequest({})));
  const Received r = client.Next();
  EXPECT_EQ(r.sender, "127.0.0.12");
  const auto reply = Decode(r);
  EXPECT_EQ(discovery::DottedAddress(reply.ipAddress), "127.0.0.12");
  EXPECT_EQ(reply.systemName, "DEVSIM-0003");
  EXPECT_EQ(discovery::HardwareAddressText(reply.hardwareAddress), "02504F000003");
}

TEST_F(DevsimProcessTest, SubnetBroadcastHonoursTheIdList) {
  StartSim({"--count", "3", "--base-ip", "127.0.0.10"});
  Client client(port_);
  ASSERT_TRUE(client.Send("127.0.0.255", EncodeDiscoveryRequest({})));
  std::vector<std::string> senders;
  for (int i = 0; i < 3; ++i) senders.push_back(client.Next().sender);
  EXPECT_EQ(senders, (std::vector<std::string>{"127.0.0.10", "127.0.0.11", "127.0.0.12"}));
  // Devices 1 and 3 already heard: only device 2 answers, then the query of .10 comes through.
  ASSERT_TRUE(client.Send("127.0.0.255", EncodeDiscoveryRequest({1, 3})));
  ASSERT_TRUE(client.Send("127.0.0.10", EncodeDiscoveryRequest({})));
  EXPECT_EQ(client.Next().sender, "127.0.0.11");
  EXPECT_EQ(client.Next().sender, "127.0.0.10");
}

TEST_F(DevsimProcessTest, SetAddressMovesTheDevice) {
  StartSim({"--count", "3", "--base-ip", "127.0.0.10"});
  Client client(port_);
  ASSERT_TRUE(client.Send("127.0.0.11", EncodeSetAddressRequest(2, {127, 0, 0, 50})));
  ASSERT_TRUE(client.Send("127.0.0.11", EncodeDiscoveryRequest({})));
  ASSERT_TRUE(client.Send("127.0.0.50", EncodeDiscoveryRequest({})));
  const Received r = client.Next();
  EXPECT_EQ(r.sender, "127.0.0.50");
  const auto reply = Decode(r);
  EXPECT_EQ(discovery::DottedAddress(reply.ipAddress), "127.0.0.50");
  EXPECT_EQ(reply.getCommunity, "public");
  EXPECT_NE(sim_.Output().find("device 2: address 127.0.0.11 -> 127.0.0.50"), std::string::npos);
}

TEST_F(DevsimProcessTest, ConfigFileGivesEveryField) {
  const std::string path = sim_.OutputPath() + ".ini";
  std::ofstream(path) << "[device]\nip = 127.0.0.70\nhw = 00409D123456\nlayout = B\n"
                         "serial = SN-77\nname = \"Front desk\"\nmaker = Vantor\n"
                         "product_type = Print Server\nproduct_number = PS7\ndatecode = 9Z\n"
                         "get_community = g3t\nset_community = s3t\nstatus = Download Mode\n"
                         "mask = 255.255.0.0\ngateway = 127.0.0.1\n"
                         "port = 2,1,Left\nport = 0,5,Right\nport_count = 2\n";
  StartSim({"--config", path});
  std::remove(path.c_str());
  Client client(port_);
  ASSERT_TRUE(client.Send("127.0.0.70", EncodeDiscoveryRequest({})));
  const auto r = Decode(client.Next());
  EXPECT_EQ(r.format, 3);
  EXPECT_EQ(r.serialNumber, "SN-77");
  EXPECT_EQ(r.systemName, "Front desk");
  EXPECT_EQ(r.makerTag, "Vanto");
  EXPECT_EQ(r.productType, "Print Server");
  EXPECT_EQ(r.productNumber, "PS7");
  EXPECT_EQ(r.datecode, "9Z");
  EXPECT_EQ(r.getCommunity, "g3t");
  EXPECT_EQ(r.setCommunity, "s3t");
  EXPECT_EQ(r.generalStatus, "Download Mode");
  EXPECT_EQ(discovery::DottedAddress(r.subnetMask), "255.255.0.0");
  EXPECT_EQ(discovery::DottedAddress(r.defaultGateway), "127.0.0.1");
  ASSERT_EQ(r.ports.size(), 2u);
  EXPECT_EQ(r.ports[0].state, 2);
  EXPECT_EQ(r.ports[1].condition, 5);
  EXPECT_EQ(r.ports[1].name, "Right");
}

TEST_F(DevsimProcessTest, RawPortEchoesAndUnknownAddressesAreRefused) {
  StartSim({"--count", "2", "--base-ip", "127.0.0.10", "--ports", "1"});
  const int fd = Connect("127.0.0.10", rawBase_);
  ASSERT_GE(fd, 0);
  const Bytes data = {'h', 'i', 0, 255, '\n'};
  ASSERT_EQ(::send(fd, data.data(), data.size(), 0), 5);
  EXPECT_EQ(ReadBytes(fd, data.size()), data);
  ::close(fd);
  // No device at .99; device 2 has no port index 1: both closed at once.
  for (const auto& [address, port] :
       {std::pair{"127.0.0.99", rawBase_}, std::pair{"127.0.0.11", rawBase_ + 1}}) {
    const int refused = Connect(address, port);
    if (refused < 0) continue;  // no listener at all is a refusal too
    EXPECT_TRUE(ReadBytes(refused, 1).empty()) << address;
    ::close(refused);
  }
}

TEST_F(DevsimProcessTest, Rfc2217PortNegotiatesAndEchoesEscaped) {
  StartSim({"--count", "1", "--base-ip", "127.0.0.10"});
  const int fd = Connect("127.0.0.10", rawBase_ + 6);
  ASSERT_GE(fd, 0);
  const Bytes hello = {255, 251, 0,    255, 251, 44,  255, 250, 44, 1,
                       0,   0,   0x4B, 0,   255, 240, 'a', 255, 255};
  ASSERT_EQ(::send(fd, hello.data(), hello.size(), 0), static_cast<ssize_t>(hello.size()));
  const Bytes expected = {255, 253, 0,    255, 253, 44,  255, 250, 44, 101,
                          0,   0,   0x4B, 0,   255, 240, 'a', 255, 255};
  EXPECT_EQ(ReadBytes(fd, expected.size()), expected);
  ::close(fd);
}

TEST_F(DevsimProcessTest, PtyBridgeCarriesBothWays) {
  StartSim({"--count", "1", "--base-ip", "127.0.0.10", "--pty"});
  const std::string output = sim_.Output();
  const std::string path = PtyPathAfter(output, "pty1 ");
  ASSERT_FALSE(path.empty()) << output;
  const int pty = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(pty, 0);
  const int fd = Connect("127.0.0.10", rawBase_);
  ASSERT_GE(fd, 0);
  // A second client of a bridged port is turned away.
  const int second = Connect("127.0.0.10", rawBase_);
  if (second >= 0) {
    EXPECT_TRUE(ReadBytes(second, 1).empty());
    ::close(second);
  }
  ASSERT_EQ(::send(fd, "to-line", 7, 0), 7);
  std::string line;
  char buffer[64];
  while (line.size() < 7) {
    pollfd p{pty, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) break;
    const ssize_t n = ::read(pty, buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<size_t>(n));
  }
  EXPECT_EQ(line, "to-line");
  ASSERT_EQ(::write(pty, "to-net", 6), 6);
  const Bytes back = ReadBytes(fd, 6);
  EXPECT_EQ(std::string(back.begin(), back.end()), "to-net");
  ::close(fd);
  ::close(pty);
}

TEST(DevsimProgramTest, HelpBadOptionsAndSigint) {
  std::string output;
  int status = test::RunToEnd({"--help"}, &output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(output.find("--base-ip"), std::string::npos);
  output.clear();
  status = test::RunToEnd({"--count", "many"}, &output);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
  EXPECT_NE(output.find("out of range"), std::string::npos);

  test::SimProcess sim;
  ASSERT_TRUE(sim.Start(Args({"--count", "2", "--base-ip", "127.0.0.10", "--no-tcp"})));
  status = sim.Stop(SIGINT);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(sim.Output().find("device 2: 127.0.0.11 hw 02504F000002"), std::string::npos);
}

}  // namespace
}  // namespace devsim
