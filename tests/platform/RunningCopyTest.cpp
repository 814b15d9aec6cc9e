#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/RunningCopyClient.h"
#include "platform/RunningCopyProtocol.h"
#include "platform/RunningCopyServer.h"
#include "platform/UnixStream.h"

namespace platform {
namespace {

using Protocol = RunningCopyProtocol;

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/portolan-copy-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() {
    unlink(Socket().c_str());
    rmdir(path_.c_str());
  }
  std::string Socket() const { return path_ + "/portolan.sock"; }

 private:
  std::string path_;
};

// A listening socket that the test serves by hand, to play a peer that misbehaves.
int Listen(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, path.c_str());
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_EQ(listen(fd, 4), 0);
  return fd;
}

// --- wire format ---

TEST(RunningCopyTest, RequestBytesAreExact) {
  Protocol::Request request;
  request.op = Protocol::kSendMessage;
  request.id = 0x8013;
  request.wParam = 0;
  request.lParam = -1;
  const auto bytes = Protocol::EncodeRequest(request);
  const std::vector<uint8_t> expected = {'P',  'L',  'R',  'Q',  0x01, 0x00, 0x01, 0x00, 0x13, 0x80,
                                         0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
  Protocol::Request back;
  ASSERT_EQ(Protocol::DecodeRequest(bytes.data(), bytes.size(), &back),
            Protocol::DecodeError::None);
  EXPECT_EQ(back.op, request.op);
  EXPECT_EQ(back.id, request.id);
  EXPECT_EQ(back.wParam, 0);
  EXPECT_EQ(back.lParam, -1);
}

TEST(RunningCopyTest, ReplyBytesAreExact) {
  Protocol::Reply reply;
  reply.result = 123456789;  // 0x075BCD15
  const auto bytes = Protocol::EncodeReply(reply);
  const std::vector<uint8_t> expected = {'P',  'L',  'R',  'A',  0x01, 0x00, 0x00, 0x00,
                                         0x15, 0xCD, 0x5B, 0x07, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(RunningCopyTest, BadRequestsAreRefusedWithWhereTheyFailed) {
  const auto good = Protocol::EncodeRequest(Protocol::Request{});
  struct Case {
    size_t size;
    size_t patchAt;
    uint8_t patch;
    Protocol::DecodeError error;
    size_t at;
  };
  const Case cases[] = {
      {0, 0, 'P', Protocol::DecodeError::Short, 0},
      {27, 0, 'P', Protocol::DecodeError::Short, 27},
      {28, 0, 'X', Protocol::DecodeError::BadMagic, 0},
      {28, 3, 'A', Protocol::DecodeError::BadMagic, 0},  // a reply is no request
      {28, 4, 0x02, Protocol::DecodeError::BadVersion, 4},
      {28, 6, 0x00, Protocol::DecodeError::BadOp, 6},
      {28, 6, 0x05, Protocol::DecodeError::BadOp, 6},
      {28, 7, 0x01, Protocol::DecodeError::BadOp, 6},
  };
  for (const Case& c : cases) {
    auto bytes = good;
    bytes[c.patchAt] = c.patch;
    Protocol::Request out;
    size_t at = 999;
    EXPECT_EQ(Protocol::DecodeRequest(bytes.data(), c.size, &out, &at), c.error) << c.patchAt;
    EXPECT_EQ(at, c.at) << c.patchAt;
  }
  Protocol::Reply reply;
  auto bytes = Protocol::EncodeReply(Protocol::Reply{});
  bytes[6] = 7;
  EXPECT_EQ(Protocol::DecodeReply(bytes.data(), bytes.size(), &reply),
            Protocol::DecodeError::BadStatus);
  EXPECT_EQ(Protocol::DecodeReply(bytes.data(), 15, &reply), Protocol::DecodeError::Short);
}

// --- server and client ---

TEST(RunningCopyTest, RunningServerAnswersTheQueryAndRaises) {
  TempDir dir;
  std::atomic<int> raised{0};
  RunningCopyServer server([&] { ++raised; }, dir.Socket());
  ASSERT_TRUE(server.Start());
  struct stat st {};
  ASSERT_EQ(lstat(dir.Socket().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
  EXPECT_TRUE(RunningCopyClient::RaiseRunningCopy(2000, dir.Socket()));
  EXPECT_EQ(raised.load(), 1);

  Protocol::Request other;
  other.id = 0x8012;
  const auto reply = RunningCopyClient::Exchange(other, 2000, dir.Socket());
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->result, 0);
  EXPECT_EQ(server.Served(), 3u);

  server.Stop();
  EXPECT_NE(lstat(dir.Socket().c_str(), &st), 0);  // removed with the server
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(200, dir.Socket()));
}

TEST(RunningCopyTest, OpenViewRequestsReachTheCallbackWithTheWholeName) {
  TempDir dir;
  std::atomic<int> raised{0};
  std::vector<std::string> opened;  // written on the server thread, read after each reply
  RunningCopyServer server([&] { ++raised; }, dir.Socket());
  server.SetOpenViewCallback([&](const std::string& name) { opened.push_back(name); });
  ASSERT_TRUE(server.Start());
  const std::string name = "Lab \"east\" wing; rm -rf ~";
  EXPECT_TRUE(RunningCopyClient::OpenViewInRunningCopy(name, 2000, dir.Socket()));
  EXPECT_TRUE(RunningCopyClient::HandOver({"/new", "/v", "Second view"}, 2000, dir.Socket()));
  EXPECT_TRUE(RunningCopyClient::HandOver({"/new"}, 2000, dir.Socket()));
  EXPECT_EQ(opened, (std::vector<std::string>{name, "Second view"}));
  EXPECT_EQ(raised.load(), 1);

  // Names out of bounds are refused, by the client and by the server.
  EXPECT_FALSE(RunningCopyClient::OpenViewInRunningCopy("", 2000, dir.Socket()));
  EXPECT_FALSE(
      RunningCopyClient::OpenViewInRunningCopy(std::string(1025, 'v'), 2000, dir.Socket()));
  Protocol::Request tooLong;
  tooLong.op = Protocol::kOpenView;
  tooLong.wParam = 1 << 20;
  auto reply = RunningCopyClient::Exchange(tooLong, 2000, dir.Socket(), "abc");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->status, Protocol::kBadRequest);
  Protocol::Request withNul;
  withNul.op = Protocol::kOpenView;
  withNul.wParam = 3;
  reply = RunningCopyClient::Exchange(withNul, 2000, dir.Socket(), std::string("a\0b", 3));
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->status, Protocol::kBadRequest);
  EXPECT_EQ(opened.size(), 2u);
}

TEST(RunningCopyTest, WithoutAnOpenViewHandlerTheRequestIsRefused) {
  TempDir dir;
  RunningCopyServer server([] {}, dir.Socket());
  ASSERT_TRUE(server.Start());
  EXPECT_FALSE(RunningCopyClient::OpenViewInRunningCopy("view", 2000, dir.Socket()));
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
}

TEST(RunningCopyTest, NoSocketOrNobodyListeningMeansNoCopy) {
  TempDir dir;
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(200, dir.Socket()));
  EXPECT_FALSE(RunningCopyClient::RaiseRunningCopy(200, dir.Socket()));
  const int fd = Listen(dir.Socket());
  close(fd);  // the file stays, nobody accepts
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(200, dir.Socket()));
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(200, ""));
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(200, "/tmp/" + std::string(200, 'x')));
}

// Serves one connection with the given reply bytes (after reading the request).
void ServeOnce(int listenFd, std::vector<uint8_t> reply) {
  const int fd = accept(listenFd, nullptr, nullptr);
  ASSERT_GE(fd, 0);
  uint8_t request[Protocol::kRequestSize];
  ASSERT_EQ(recv(fd, request, sizeof request, MSG_WAITALL), static_cast<ssize_t>(sizeof request));
  if (!reply.empty()) {
    ASSERT_EQ(send(fd, reply.data(), reply.size(), MSG_NOSIGNAL), ssize_t(reply.size()));
  }
  close(fd);
}

TEST(RunningCopyTest, WrongOrMalformedAnswerMeansNoCopy) {
  TempDir dir;
  const int listenFd = Listen(dir.Socket());
  Protocol::Reply wrong;
  wrong.result = 123456788;
  const auto wrongBytes = Protocol::EncodeReply(wrong);
  Protocol::Reply refused;
  refused.status = Protocol::kBadRequest;
  refused.result = 123456789;
  const auto refusedBytes = Protocol::EncodeReply(refused);
  auto badMagic = Protocol::EncodeReply(Protocol::Reply{0, 123456789});
  badMagic[0] = 'X';
  const std::vector<std::vector<uint8_t>> replies = {
      {wrongBytes.begin(), wrongBytes.end()},
      {refusedBytes.begin(), refusedBytes.end()},
      {badMagic.begin(), badMagic.end()},
      {'P', 'L', 'R', 'A', 1, 0, 0, 0},  // cut short
      {},                                // closed without a word
  };
  for (const auto& reply : replies) {
    std::thread peer(ServeOnce, listenFd, reply);
    EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
    peer.join();
  }
  // The same peer answering right is believed: the failures above came from the answers.
  const auto right = Protocol::EncodeReply(Protocol::Reply{0, 123456789});
  std::thread peer(ServeOnce, listenFd, std::vector<uint8_t>(right.begin(), right.end()));
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
  peer.join();
  close(listenFd);
}

TEST(RunningCopyTest, PortStatusCarriesTheReportAndItsAbsenceIsTold) {
  TempDir dir;
  using Outcome = RunningCopyClient::StatusOutcome;
  EXPECT_EQ(RunningCopyClient::AskPortStatus(1, 200, dir.Socket()).outcome, Outcome::kNotRunning);
  RunningCopyServer server(nullptr, dir.Socket());
  std::atomic<int64_t> asked{0};
  // A report larger than the socket's buffer, so that it must be read as it comes.
  std::vector<uint8_t> report(200 * 1024);
  for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<uint8_t>(i * 7);
  server.SetPortStatusCallback([&](int64_t version) -> std::optional<std::vector<uint8_t>> {
    asked = version;
    if (version == 2) return std::vector<uint8_t>(Protocol::kMaxStatusPayload + 1);
    return report;
  });
  ASSERT_TRUE(server.Start());
  auto result = RunningCopyClient::AskPortStatus(1, 2000, dir.Socket());
  EXPECT_EQ(result.outcome, Outcome::kReport);
  EXPECT_EQ(result.report, report);
  EXPECT_EQ(asked.load(), 1);
  // A report past the bound is not sent; a version below 1 is not asked for.
  EXPECT_EQ(RunningCopyClient::AskPortStatus(2, 2000, dir.Socket()).outcome, Outcome::kRefused);
  EXPECT_EQ(RunningCopyClient::AskPortStatus(0, 2000, dir.Socket()).outcome, Outcome::kRefused);
  EXPECT_EQ(asked.load(), 2);
  server.Stop();
  // Without a source of reports (the desktop program before its ports exist) it is refused.
  RunningCopyServer plain(nullptr, dir.Socket());
  ASSERT_TRUE(plain.Start());
  EXPECT_EQ(RunningCopyClient::AskPortStatus(1, 2000, dir.Socket()).outcome, Outcome::kRefused);
}

TEST(RunningCopyTest, AReportLengthPastTheBoundOrCutShortIsNoAnswer) {
  TempDir dir;
  const int listenFd = Listen(dir.Socket());
  const auto tooLong = Protocol::EncodeReply(
      Protocol::Reply{0, static_cast<int64_t>(Protocol::kMaxStatusPayload) + 1});
  auto cut = Protocol::EncodeReply(Protocol::Reply{0, 10});
  std::vector<uint8_t> cutShort(cut.begin(), cut.end());
  cutShort.insert(cutShort.end(), {1, 2, 3});
  for (const auto& reply : {std::vector<uint8_t>(tooLong.begin(), tooLong.end()), cutShort}) {
    std::thread peer(ServeOnce, listenFd, reply);
    EXPECT_EQ(RunningCopyClient::AskPortStatus(1, 2000, dir.Socket()).outcome,
              RunningCopyClient::StatusOutcome::kNoAnswer);
    peer.join();
  }
  close(listenFd);
}

TEST(RunningCopyTest, SilentPeerTimesOut) {
  TempDir dir;
  const int listenFd = Listen(dir.Socket());  // accepts in the backlog, never answers
  EXPECT_FALSE(RunningCopyClient::QueryRunningCopy(100, dir.Socket()));
  close(listenFd);
}

TEST(RunningCopyTest, StaleSocketFileIsReplacedButALiveServerIsNot) {
  TempDir dir;
  close(Listen(dir.Socket()));  // stale: left by a copy that died
  RunningCopyServer first(nullptr, dir.Socket());
  ASSERT_TRUE(first.Start());
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
  RunningCopyServer second(nullptr, dir.Socket());
  EXPECT_FALSE(second.Start());
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
}

TEST(RunningCopyTest, ServerSurvivesGarbageAndSilentClients) {
  TempDir dir;
  RunningCopyServer server(nullptr, dir.Socket());
  ASSERT_TRUE(server.Start());
  // Garbage: answered with a refusal, the server goes on.
  int fd = UnixStream::Connect(dir.Socket());
  ASSERT_GE(fd, 0);
  std::vector<uint8_t> garbage(Protocol::kRequestSize, 0xAB);
  ASSERT_TRUE(UnixStream::WriteAll(fd, garbage.data(), garbage.size(), 2000));
  uint8_t reply[Protocol::kReplySize];
  ASSERT_TRUE(UnixStream::ReadExact(fd, reply, sizeof reply, 2000));
  Protocol::Reply decoded;
  ASSERT_EQ(Protocol::DecodeReply(reply, sizeof reply, &decoded), Protocol::DecodeError::None);
  EXPECT_EQ(decoded.status, Protocol::kBadRequest);
  close(fd);
  // A client that sends half a request and hangs up.
  fd = UnixStream::Connect(dir.Socket());
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(UnixStream::WriteAll(fd, garbage.data(), 10, 2000));
  close(fd);
  EXPECT_TRUE(RunningCopyClient::QueryRunningCopy(2000, dir.Socket()));
  // Stop must not wait out a client that connected and says nothing.
  const int silent = UnixStream::Connect(dir.Socket());
  ASSERT_GE(silent, 0);
  server.Stop();
  close(silent);
}

TEST(RunningCopyTest, ManyClientsAtOnceAreAllAnswered) {
  TempDir dir;
  RunningCopyServer server(nullptr, dir.Socket());
  ASSERT_TRUE(server.Start());
  std::atomic<int> yes{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 8; ++i) {
    clients.emplace_back([&] {
      for (int k = 0; k < 10; ++k) {
        if (RunningCopyClient::QueryRunningCopy(5000, dir.Socket())) ++yes;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(yes.load(), 80);
}

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

TEST(RunningCopyTest, OutOfDescriptorsTheServerWaitsWithoutSpinningAndServesAfterwards) {
  TempDir dir;
  RunningCopyServer server(nullptr, dir.Socket());
  ASSERT_TRUE(server.Start());
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  // Every descriptor but one taken; the client gets that one, and the server's accept none.
  std::vector<int> fillers;
  const int source = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(source, 0);
  fillers.push_back(source);
  for (int fd = dup(source); fd >= 0; fd = dup(source)) fillers.push_back(fd);
  ASSERT_FALSE(fillers.empty());
  close(fillers.back());
  fillers.pop_back();
  const int client = UnixStream::Connect(dir.Socket());
  const double before = ProcessCpuSeconds();
  usleep(300000);
  const double used = ProcessCpuSeconds() - before;
  for (const int fd : fillers) close(fd);
  setrlimit(RLIMIT_NOFILE, &saved);
  ASSERT_GE(client, 0);
  // Spinning on the queued connection would burn most of the 300 ms.
  EXPECT_LT(used, 0.1);
  // With descriptors free again the waiting client is served.
  Protocol::Request query;
  query.id = Protocol::kQueryMessage;
  const auto out = Protocol::EncodeRequest(query);
  std::array<uint8_t, Protocol::kReplySize> in{};
  EXPECT_TRUE(UnixStream::WriteAll(client, out.data(), out.size(), 5000));
  EXPECT_TRUE(UnixStream::ReadExact(client, in.data(), in.size(), 5000));
  Protocol::Reply reply;
  EXPECT_EQ(Protocol::DecodeReply(in.data(), in.size(), &reply), Protocol::DecodeError::None);
  EXPECT_EQ(reply.result, Protocol::kRunningAnswer);
  close(client);
}

}  // namespace
}  // namespace platform
