#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/FakeClock.h"
#include "platform/FakeFileOps.h"
#include "vport/CVSPortAx.h"
#include "vport/TempPortDir.h"

namespace vport {
namespace {

using platform::FakeClock;
using test::TempPortDir;

// Records every event as a line of text, in arrival order.
class RecordingSink : public VSPortEvents {
 public:
  std::vector<std::string> log;
  long dataAnnounced = 0;
  int dataEvents = 0;
  std::function<void(long)> onData;
  std::function<bool()> onReadable;  // reads without a count when set
  std::optional<long> lastParity = 7;
  std::optional<long> lastWordLength = 7;
  HandFlow lastFlow;
  SpecialChars lastChars;
  CommTimeouts lastTimeouts;

  void PortDataAvailable(long count) override {
    ++dataEvents;
    dataAnnounced = count;
    log.push_back("data");
    if (onData) onData(count);
  }
  bool PortDataReadable() override {
    if (!onReadable) return false;
    log.push_back("readable");
    return onReadable();
  }
  void PortOpenedClosed(bool open) override { log.push_back(open ? "open" : "close"); }
  void BaudRateChanged(long baud) override { log.push_back("baud " + std::to_string(baud)); }
  void LineControlChanged(long stop, std::optional<long> parity,
                          std::optional<long> wordLength) override {
    lastParity = parity;
    lastWordLength = wordLength;
    log.push_back("stop " + std::to_string(stop));
  }
  void HandFlowChanged(const HandFlow& flow) override {
    lastFlow = flow;
    log.push_back("handflow");
  }
  void SpecialCharsChanged(const SpecialChars& chars) override {
    lastChars = chars;
    log.push_back("chars");
  }
  void TimeoutsChanged(const CommTimeouts& timeouts) override {
    lastTimeouts = timeouts;
    log.push_back("timeouts");
  }

  bool Has(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  size_t IndexOf(const std::string& line) const {
    return static_cast<size_t>(std::find(log.begin(), log.end(), line) - log.begin());
  }
};

// The application side: opens the port by its link, as a serial program does.
class App {
 public:
  explicit App(const std::string& path) { fd_ = open(path.c_str(), O_RDWR | O_NOCTTY); }
  ~App() { Close(); }
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  int fd() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  bool Set(const std::function<void(termios&)>& change) {
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    change(t);
    return tcsetattr(fd_, TCSANOW, &t) == 0;
  }
  bool WriteAll(const uint8_t* data, size_t n) {
    while (n > 0) {
      const ssize_t w = write(fd_, data, n);
      if (w <= 0) return false;
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }
  bool ReadAll(uint8_t* data, size_t n) {
    while (n > 0) {
      const ssize_t r = read(fd_, data, n);
      if (r <= 0) return false;
      data += r;
      n -= static_cast<size_t>(r);
    }
    return true;
  }

 private:
  int fd_ = -1;
};

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  for (auto& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  return bytes;
}

class CVSPortAxTest : public ::testing::Test {
 protected:
  CVSPortAxTest() : port(sink, clock) {}

  void SetUp() override {
    ASSERT_TRUE(port.AddPort("COM5")) << port.LastError();
    port.SetActive(true);
  }

  std::string Link() const { return dir.Entry("COM5"); }

  // Runs the owner's loop until done() holds; gives up after a generous bound so that a fault
  // fails the test instead of hanging it.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      pollfd pfd{port.EventFd(), POLLIN, 0};
      if (poll(&pfd, 1, 50) > 0) port.ProcessEvents();
    }
    return true;
  }
  // Whatever is ready now is handled.
  void Settle() {
    for (int i = 0; i < 20; ++i) {
      pollfd pfd{port.EventFd(), POLLIN, 0};
      if (poll(&pfd, 1, 20) > 0) port.ProcessEvents();
    }
  }
  bool Published() {
    EXPECT_TRUE(port.PublishLink()) << port.LastError();
    return std::filesystem::is_symlink(Link());
  }

  TempPortDir dir;
  FakeClock clock;
  RecordingSink sink;
  CVSPortAx port;
};

TEST_F(CVSPortAxTest, LinkAppearsOnlyWhenPublished) {
  EXPECT_FALSE(std::filesystem::exists(Link()));
  // The port can be primed through its own node before anyone can find it by name.
  App primer(port.SlavePath());
  ASSERT_GE(primer.fd(), 0);
  primer.Close();
  ASSERT_TRUE(Published());
  EXPECT_EQ(std::filesystem::read_symlink(Link()).string(), port.SlavePath());
  EXPECT_EQ(port.LinkPath(), Link());
}

TEST_F(CVSPortAxTest, PublishLinkRefusesWhatAppearedMeanwhile) {
  ASSERT_EQ(mkdir(Link().c_str(), 0700), 0);
  EXPECT_FALSE(port.PublishLink());
  EXPECT_EQ(port.LastError(), EEXIST);
  EXPECT_TRUE(std::filesystem::is_directory(Link()));
}

TEST_F(CVSPortAxTest, LineIsRawSoDataIsNeitherEchoedNorTranslated) {
  ASSERT_TRUE(Published());
  App app(Link());
  const uint8_t bytes[] = {'a', '\n', '\r', 0x03, 0x1a, 0x7f, 0xff, 0x00};
  ASSERT_EQ(port.WriteToPort(bytes, sizeof bytes), static_cast<long>(sizeof bytes));
  uint8_t got[sizeof bytes];
  ASSERT_TRUE(app.ReadAll(got, sizeof got));
  EXPECT_EQ(std::memcmp(got, bytes, sizeof bytes), 0);
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataAnnounced == 8; }));
  uint8_t back[64];
  ASSERT_EQ(port.ReadFromPort(back, sizeof back), 8);  // only what the application wrote
  EXPECT_EQ(std::memcmp(back, bytes, sizeof bytes), 0);
}

TEST_F(CVSPortAxTest, ApplicationOpenAndCloseAreReported) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_GE(app.fd(), 0);
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("open"); }));
  app.Close();
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("close"); }));
  EXPECT_EQ(sink.log, (std::vector<std::string>{"open", "close"}));
}

TEST_F(CVSPortAxTest, PortStaysOpenUntilTheLastApplicationCloses) {
  ASSERT_TRUE(Published());
  App first(Link());
  App second(Link());
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("open"); }));
  first.Close();
  Settle();
  EXPECT_FALSE(sink.Has("close"));
  EXPECT_FALSE(port.RemovePort());
  second.Close();
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("close"); }));
  EXPECT_EQ(sink.log, (std::vector<std::string>{"open", "close"}));
}

TEST_F(CVSPortAxTest, DataFromApplicationArrivesByteExactAtVolume) {
  ASSERT_TRUE(Published());
  const std::vector<uint8_t> sent = Pattern(1 << 20, 1);
  std::vector<uint8_t> received;
  received.reserve(sent.size());
  sink.onData = [&](long count) {
    // As the bridge does: read the announced count in chunks of at most 1022.
    uint8_t buf[1022];
    while (count > 0) {
      const long n = port.ReadFromPort(buf, std::min<long>(count, 1022));
      ASSERT_LE(n, 1022);
      if (n <= 0) break;
      received.insert(received.end(), buf, buf + n);
      count -= n;
    }
  };
  App app(Link());
  ASSERT_GE(app.fd(), 0);
  std::thread writer([&] { EXPECT_TRUE(app.WriteAll(sent.data(), sent.size())); });
  const bool done = PumpUntil([&] { return received.size() >= sent.size(); });
  writer.join();
  ASSERT_TRUE(done) << received.size();
  EXPECT_TRUE(received == sent);
}

TEST_F(CVSPortAxTest, DataToApplicationArrivesByteExactAtVolume) {
  ASSERT_TRUE(Published());
  const std::vector<uint8_t> sent = Pattern(1 << 20, 2);
  std::vector<uint8_t> received(sent.size());
  App app(Link());
  ASSERT_GE(app.fd(), 0);
  std::thread reader([&] { EXPECT_TRUE(app.ReadAll(received.data(), received.size())); });
  size_t offset = 0;
  while (offset < sent.size()) {
    const long n = port.WriteToPort(sent.data() + offset,
                                    static_cast<long>(std::min<size_t>(128, sent.size() - offset)));
    ASSERT_GE(n, 0);
    offset += static_cast<size_t>(n);
    if (n == 0) std::this_thread::yield();
  }
  reader.join();
  EXPECT_TRUE(received == sent);
}

TEST_F(CVSPortAxTest, WriteToPortDoesNotBlockWhenTheApplicationDoesNotRead) {
  ASSERT_TRUE(Published());
  App app(Link());
  const std::vector<uint8_t> chunk = Pattern(4096, 3);
  size_t total = 0;
  int calls = 0;
  long n = 1;
  while (n > 0 && calls < 10000) {
    n = port.WriteToPort(chunk.data(), static_cast<long>(chunk.size()));
    total += static_cast<size_t>(n);
    ++calls;
  }
  EXPECT_EQ(n, 0);  // full: nothing taken, and the call came back
  EXPECT_GT(total, 0u);
  EXPECT_LT(total, 10000u * chunk.size());
  // What was taken reaches the application intact.
  std::vector<uint8_t> got(4096);
  ASSERT_TRUE(app.ReadAll(got.data(), got.size()));
  EXPECT_TRUE(got == chunk);
}

TEST_F(CVSPortAxTest, SettingsChangesAreReportedBeforeData) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(app.Set([](termios& t) {
    cfsetospeed(&t, B9600);
    cfsetispeed(&t, B9600);
    t.c_cflag |= CSTOPB | CRTSCTS | PARENB | PARODD;  // parity cannot be kept by a pty
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7;
  }));
  const uint8_t hello[] = {'h', 'i'};
  ASSERT_TRUE(app.WriteAll(hello, sizeof hello));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("data"); }));
  EXPECT_TRUE(sink.Has("baud 9600"));
  EXPECT_TRUE(sink.Has("stop 2"));
  EXPECT_TRUE(sink.Has("handflow"));
  EXPECT_EQ(sink.lastParity, std::nullopt);
  EXPECT_EQ(sink.lastWordLength, std::nullopt);
  EXPECT_EQ(sink.lastFlow.controlHandShake, SERIAL_DTR_CONTROL | SERIAL_CTS_HANDSHAKE);
  EXPECT_EQ(sink.lastFlow.flowReplace, SERIAL_RTS_HANDSHAKE);
  EXPECT_LT(sink.IndexOf("open"), sink.IndexOf("baud 9600"));
  EXPECT_LT(sink.IndexOf("baud 9600"), sink.IndexOf("data"));
  EXPECT_EQ(sink.dataAnnounced, 2);
  EXPECT_EQ(port.Settings().baud, 9600);
}

TEST_F(CVSPortAxTest, TimeoutsAndSpecialCharsAreReported) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(app.Set([](termios& t) {
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 5;
    t.c_iflag |= IXON;
    t.c_cc[VSTART] = 0x01;
    t.c_cc[VSTOP] = 0x02;
  }));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("timeouts") && sink.Has("chars"); }));
  EXPECT_EQ(sink.lastTimeouts, (CommTimeouts{kMaxDword, kMaxDword, 500, 0, 0}));
  EXPECT_EQ(sink.lastChars.xonChar, 0x01);
  EXPECT_EQ(sink.lastChars.xoffChar, 0x02);
  EXPECT_TRUE(sink.lastFlow.flowReplace & SERIAL_AUTO_TRANSMIT);
}

TEST_F(CVSPortAxTest, UnchangedSettingsAreNotReportedAgain) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B4800); }));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("baud 4800"); }));
  const size_t events = sink.log.size();
  ASSERT_TRUE(app.Set([](termios&) {}));
  Settle();
  EXPECT_EQ(sink.log.size(), events);
}

TEST_F(CVSPortAxTest, SettingsOfAnApplicationThatClearsEverythingAreStillSeen) {
  ASSERT_TRUE(Published());
  {
    App app(Link());
    // Built from zero, as many serial programs do: EXTPROC goes too.
    termios t{};
    t.c_cflag = CS8 | CREAD | CLOCAL;
    cfsetospeed(&t, B19200);
    cfsetispeed(&t, B19200);
    t.c_cc[VMIN] = 1;
    ASSERT_EQ(tcsetattr(app.fd(), TCSANOW, &t), 0);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has("baud 19200"); }));
    ASSERT_TRUE(app.Set([](termios& u) { cfsetospeed(&u, B38400); }));
    const uint8_t byte = 1;
    ASSERT_TRUE(app.WriteAll(&byte, 1));
    ASSERT_TRUE(PumpUntil([&] { return sink.Has("data"); }));
    EXPECT_LT(sink.IndexOf("baud 38400"), sink.IndexOf("data"));
  }
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("close"); }));
  // The next application's changes are signalled again on their own.
  App next(Link());
  ASSERT_TRUE(PumpUntil([&] { return std::count(sink.log.begin(), sink.log.end(), "open") == 2; }));
  ASSERT_TRUE(next.Set([](termios& u) { cfsetospeed(&u, B1200); }));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("baud 1200"); }));
}

TEST_F(CVSPortAxTest, SettingsAnnouncedJustBeforeAResetAreStillReadWithTheNextData) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("open"); }));
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B2400); }));
  // The reset takes the status byte that announced the change before the loop saw it.
  ASSERT_TRUE(port.ResetPort());
  const uint8_t byte = 7;
  ASSERT_TRUE(app.WriteAll(&byte, 1));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("data"); }));
  ASSERT_TRUE(sink.Has("baud 2400"));
  EXPECT_LT(sink.IndexOf("baud 2400"), sink.IndexOf("data"));
}

TEST_F(CVSPortAxTest, AStatusByteBeforeDataIsTakenAndItsSettingsReported) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B9600); }));
  const uint8_t bytes[] = {1, 2, 3};
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("data"); }));
  EXPECT_EQ(sink.dataAnnounced, 3);
  ASSERT_TRUE(sink.Has("baud 9600"));
  EXPECT_LT(sink.IndexOf("baud 9600"), sink.IndexOf("data"));
  uint8_t got[8] = {};
  // The status byte of the change is gone: the read gives the data.
  EXPECT_EQ(port.ReadBlockFromPort(got, sizeof got), 3);
  EXPECT_EQ(got[2], 3);
  // A change with no data after it is still seen on its own.
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B4800); }));
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("baud 4800"); }));
}

TEST_F(CVSPortAxTest, UnreadDataDoesNotKeepTheLoopBusy) {
  ASSERT_TRUE(Published());
  App app(Link());
  const uint8_t bytes[] = {1, 2, 3};
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataEvents == 1; }));  // ignored, as when unconnected
  Settle();
  EXPECT_EQ(sink.dataEvents, 1);
  pollfd pfd{port.EventFd(), POLLIN, 0};
  EXPECT_EQ(poll(&pfd, 1, 0), 0);
  // New data announces everything waiting.
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataEvents == 2; }));
  EXPECT_EQ(sink.dataAnnounced, 6);
}

TEST_F(CVSPortAxTest, AnOwnerWatchingTheDataItselfGetsDataAndStatusThereAndNotTwice) {
  ASSERT_TRUE(Published());
  App app(Link());
  Settle();  // the open
  ASSERT_TRUE(port.WatchDataDirectly(true));
  // Runs what the owner's loop would: the data descriptor first, then the shared one.
  auto pumpDirect = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      pollfd pfd{port.DataFd(), POLLIN | POLLPRI, 0};
      if (poll(&pfd, 1, 50) > 0) port.ProcessDataEvent(pfd.revents);
    }
    return done();
  };
  const uint8_t bytes[] = {1, 2, 3};
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(pumpDirect([&] { return sink.dataEvents == 1; }));
  EXPECT_EQ(sink.dataAnnounced, 3);
  uint8_t got[8] = {};
  EXPECT_EQ(port.ReadBlockFromPort(got, sizeof got), 3);
  // The shared descriptor did not report the same data again.
  pollfd shared{port.EventFd(), POLLIN, 0};
  EXPECT_EQ(poll(&shared, 1, 20), 0);

  // A settings change comes as a status byte on the data descriptor too, and is taken there.
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B2400); }));
  ASSERT_TRUE(pumpDirect([&] { return sink.Has("baud 2400"); }));
  pollfd data{port.DataFd(), POLLIN | POLLPRI, 0};
  EXPECT_EQ(poll(&data, 1, 0), 0);  // nothing left to keep a level-triggered watch firing
  Settle();                         // the shared descriptor's copy of that signal finds nothing new
  EXPECT_EQ(std::count(sink.log.begin(), sink.log.end(), "baud 2400"), 1);

  // Handing data back to the shared descriptor while some waits reports it there at once.
  ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
  ASSERT_TRUE(pumpDirect([&] { return sink.dataEvents == 2; }));  // left unread
  ASSERT_TRUE(port.WatchDataDirectly(false));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataEvents == 3; }));
  EXPECT_EQ(sink.dataAnnounced, 3);
}

TEST_F(CVSPortAxTest, AnOwnerWatchingTheDataItselfMayReadWithoutACount) {
  ASSERT_TRUE(Published());
  App app(Link());
  Settle();  // the open
  ASSERT_TRUE(port.WatchDataDirectly(true));
  std::vector<uint8_t> got;
  sink.onReadable = [&] {
    uint8_t chunk[CVSPortAx::kMaxReadBlock];
    const long n = port.ReadBlockFromPort(chunk, sizeof chunk);
    if (n > 0) got.insert(got.end(), chunk, chunk + n);
    return true;
  };
  auto pumpDirect = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      pollfd pfd{port.DataFd(), POLLIN | POLLPRI, 0};
      if (poll(&pfd, 1, 50) > 0) port.ProcessDataEvent(pfd.revents);
    }
    return done();
  };
  // A settings change and the data after it: the change is reported first, and the data comes
  // whole through the reads, with no count at all.
  const std::vector<uint8_t> bytes = Pattern(3000, 11);
  ASSERT_TRUE(app.Set([](termios& t) { cfsetospeed(&t, B4800); }));
  ASSERT_TRUE(app.WriteAll(bytes.data(), bytes.size()));
  ASSERT_TRUE(pumpDirect([&] { return got.size() >= bytes.size(); }));
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(sink.dataEvents, 0);
  ASSERT_TRUE(sink.Has("baud 4800"));
  EXPECT_LT(sink.IndexOf("baud 4800"), sink.IndexOf("readable"));

  // A sink that declines gets the count, as without a direct watch.
  sink.onReadable = [] { return false; };
  ASSERT_TRUE(app.WriteAll(bytes.data(), 5));
  ASSERT_TRUE(pumpDirect([&] { return sink.dataEvents == 1; }));
  EXPECT_EQ(sink.dataAnnounced, 5);
}

TEST_F(CVSPortAxTest, ReadFromPortCopiesAtMostOneChunk) {
  ASSERT_TRUE(Published());
  App app(Link());
  const std::vector<uint8_t> sent = Pattern(2000, 4);
  ASSERT_TRUE(app.WriteAll(sent.data(), sent.size()));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataAnnounced == 2000; }));
  std::vector<uint8_t> buf(4000);
  const long first = port.ReadFromPort(buf.data(), 4000);
  EXPECT_EQ(first, 1022);
  const long second = port.ReadFromPort(buf.data() + first, 4000);
  EXPECT_EQ(second, 978);
  buf.resize(2000);
  EXPECT_TRUE(buf == sent);
  EXPECT_EQ(port.ReadFromPort(buf.data(), 10), 0);  // nothing left, and no blocking
}

TEST_F(CVSPortAxTest, ReadBlockFromPortTakesWhatWaitsInOneCall) {
  ASSERT_TRUE(Published());
  App app(Link());
  const std::vector<uint8_t> sent = Pattern(3000, 8);
  ASSERT_TRUE(app.WriteAll(sent.data(), sent.size()));
  ASSERT_TRUE(PumpUntil([&] { return sink.dataAnnounced == 3000; }));
  EXPECT_EQ(port.DataWaiting(), 3000);
  std::vector<uint8_t> buf(8000);
  EXPECT_EQ(port.ReadBlockFromPort(buf.data(), 1500), 1500);  // no more than asked
  EXPECT_EQ(port.DataWaiting(), 1500);
  EXPECT_EQ(port.ReadBlockFromPort(buf.data() + 1500, 8000), 1500);
  buf.resize(3000);
  EXPECT_TRUE(buf == sent);
  EXPECT_EQ(port.DataWaiting(), 0);
  EXPECT_EQ(port.ReadBlockFromPort(buf.data(), 10), 0);  // nothing left, and no blocking
}

TEST_F(CVSPortAxTest, RemovePortRefusedWhileOpenAcceptedAfterClose) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_GE(app.fd(), 0);
  EXPECT_FALSE(port.RemovePort());
  EXPECT_TRUE(port.HasPort());
  EXPECT_TRUE(std::filesystem::is_symlink(Link()));
  app.Close();
  EXPECT_TRUE(port.RemovePort());
  EXPECT_FALSE(port.HasPort());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(Link())));
  EXPECT_TRUE(port.RemovePort());  // nothing left to remove
}

TEST_F(CVSPortAxTest, RemovePortSeesAnOpenInheritedByAChild) {
  ASSERT_TRUE(Published());
  App app(Link());
  int toChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(toChild[1]);
    char c;
    [[maybe_unused]] ssize_t r = read(toChild[0], &c, 1);  // holds the port until told
    _exit(0);
  }
  close(toChild[0]);
  app.Close();  // only the child holds it now, with no open of its own to be seen
  EXPECT_FALSE(port.RemovePort());
  close(toChild[1]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(port.RemovePort());
}

TEST_F(CVSPortAxTest, ResetPortDiscardsWhatIsQueuedBothWays) {
  ASSERT_TRUE(Published());
  {
    App app(Link());
    const uint8_t bytes[] = {9, 9, 9};
    ASSERT_TRUE(app.WriteAll(bytes, sizeof bytes));
    ASSERT_EQ(port.WriteToPort(bytes, sizeof bytes), 3);
    ASSERT_TRUE(PumpUntil([&] { return sink.Has("data"); }));
  }
  ASSERT_TRUE(PumpUntil([&] { return sink.Has("close"); }));
  EXPECT_TRUE(port.ResetPort());
  uint8_t buf[16];
  EXPECT_EQ(port.ReadFromPort(buf, sizeof buf), 0);
  App next(Link());
  const int flags = fcntl(next.fd(), F_GETFL);
  fcntl(next.fd(), F_SETFL, flags | O_NONBLOCK);
  EXPECT_EQ(read(next.fd(), buf, sizeof buf), -1);  // the old server data is gone
}

TEST_F(CVSPortAxTest, InactivePortReportsNothing) {
  ASSERT_TRUE(Published());
  port.SetActive(false);
  App app(Link());
  Settle();
  EXPECT_TRUE(sink.log.empty());
}

TEST_F(CVSPortAxTest, StrictBaudratePacesDeliveryOnTheFakeClock) {
  ASSERT_TRUE(Published());
  App app(Link());
  ASSERT_TRUE(app.Set([](termios& t) {
    cfsetospeed(&t, B9600);
    cfsetispeed(&t, B9600);
  }));
  EXPECT_TRUE(port.SetStrictBaudrate(true));
  const std::vector<uint8_t> data = Pattern(1000, 5);
  EXPECT_EQ(port.WriteToPort(data.data(), 1000), 0);  // no line time has passed yet
  clock.Advance(100);
  EXPECT_EQ(port.WriteToPort(data.data(), 1000), 96);  // 100 ms at 10 bits per byte
  EXPECT_EQ(port.WriteToPort(data.data() + 96, 1000), 0);
  clock.Advance(50);
  EXPECT_EQ(port.WriteToPort(data.data() + 96, 10), 10);  // asks for less than allowed
  EXPECT_EQ(port.WriteToPort(data.data() + 106, 1000), 38);
  // Two stop bits make a character 11 bits long.
  ASSERT_TRUE(app.Set([](termios& t) { t.c_cflag |= CSTOPB; }));
  clock.Advance(100);
  EXPECT_EQ(port.WriteToPort(data.data() + 144, 1000), 87);
  // A long pause earns no more than a short burst.
  clock.Advance(60000);
  EXPECT_EQ(port.WriteToPort(data.data() + 231, 1000), 174);  // 200 ms at 9600 8N2
  std::vector<uint8_t> got(405);
  ASSERT_TRUE(app.ReadAll(got.data(), got.size()));
  EXPECT_TRUE(std::equal(got.begin(), got.end(), data.begin()));
  // Switched off, the port takes what the pty takes.
  EXPECT_TRUE(port.SetStrictBaudrate(false));
  EXPECT_EQ(port.WriteToPort(data.data(), 1000), 1000);
}

TEST(CVSPortAxFolderTest, StaleLinkIsReplaced) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/4242", dir.Entry("COM7").c_str()), 0);
  RecordingSink sink;
  CVSPortAx port(sink);
  ASSERT_TRUE(port.AddPort("com7"));
  // The stale link goes at once: it may lead to someone else's terminal by now.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.Entry("COM7"))));
  ASSERT_TRUE(port.PublishLink());
  EXPECT_EQ(std::filesystem::read_symlink(dir.Entry("COM7")).string(), port.SlavePath());
}

TEST(CVSPortAxFolderTest, AStaleLinkThatCannotBeRemovedFailsTheCreationWithItsError) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/4242", dir.Entry("COM7").c_str()), 0);
  RecordingSink sink;
  platform::FakeFileOps files;
  files.FailNext(platform::FakeFileOps::Call::kUnlink, EPERM);
  CVSPortAx port(sink, platform::SystemClock::Instance(), files);
  EXPECT_FALSE(port.AddPort("COM7"));
  EXPECT_EQ(port.LastError(), EPERM);
  EXPECT_FALSE(port.HasPort());
  EXPECT_EQ(std::filesystem::read_symlink(dir.Entry("COM7")), "/dev/pts/4242");
  // The name is free again in this process.
  ASSERT_TRUE(port.AddPort("COM7"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.Entry("COM7"))));
}

TEST(CVSPortAxFolderTest, ForeignPathsAreRefusedAndLeftAlone) {
  TempPortDir dir;
  std::ofstream(dir.Entry("COM8")) << "not a port";
  ASSERT_EQ(mkdir(dir.Entry("COM9").c_str(), 0700), 0);
  ASSERT_EQ(symlink("/etc/passwd", dir.Entry("COM10").c_str()), 0);
  RecordingSink sink;
  for (const char* name : {"COM8", "COM9", "COM10"}) {
    CVSPortAx port(sink);
    EXPECT_FALSE(port.AddPort(name)) << name;
    EXPECT_EQ(port.LastError(), EEXIST);
    EXPECT_FALSE(port.HasPort());
  }
  std::ifstream in(dir.Entry("COM8"));
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "not a port");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Entry("COM9")));
  EXPECT_EQ(std::filesystem::read_symlink(dir.Entry("COM10")), "/etc/passwd");
}

TEST(CVSPortAxFolderTest, NamesAreCheckedAndNotSharedWithinTheProcess) {
  TempPortDir dir;
  RecordingSink sink;
  CVSPortAx first(sink);
  CVSPortAx second(sink);
  EXPECT_FALSE(first.AddPort("COM0"));
  EXPECT_FALSE(first.AddPort("../COM1"));
  EXPECT_FALSE(first.AddPort(""));
  ASSERT_TRUE(first.AddPort("COM3"));
  EXPECT_FALSE(first.AddPort("COM4"));  // one port per instance
  EXPECT_FALSE(second.AddPort("COM3"));
  EXPECT_EQ(second.LastError(), EBUSY);
  EXPECT_TRUE(first.RemovePort());
  EXPECT_TRUE(second.AddPort("COM3"));
}

TEST(CVSPortAxFolderTest, StartupResetClearsLinksOfAnEarlierRun) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/4242", dir.Entry("COM1").c_str()), 0);
  ASSERT_EQ(symlink("/etc/passwd", dir.Entry("COM2").c_str()), 0);
  RecordingSink sink;
  CVSPortAx port(sink);
  EXPECT_TRUE(port.StartupReset());
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.Entry("COM1"))));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Entry("COM2")));
}

// inotify instances open in this process, counted as the kernel shows them.
int InotifyInstances() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (std::filesystem::read_symlink(entry.path(), ec).string() == "anon_inode:inotify") ++count;
  }
  return count;
}

TEST(CVSPortAxSharedWatchTest, PortsShareOneInotifyInstanceAndEachSeesOnlyItsOwnOpens) {
  TempPortDir dir;
  const int before = InotifyInstances();
  constexpr int kPorts = 12;
  std::vector<std::unique_ptr<RecordingSink>> sinks;
  std::vector<std::unique_ptr<CVSPortAx>> ports;
  for (int i = 0; i < kPorts; ++i) {
    sinks.push_back(std::make_unique<RecordingSink>());
    ports.push_back(std::make_unique<CVSPortAx>(*sinks.back()));
    const std::string name = "COM" + std::to_string(100 + i);
    ASSERT_TRUE(ports.back()->AddPort(name)) << ports.back()->LastError();
    ASSERT_TRUE(ports.back()->PublishLink());
    ports.back()->SetActive(true);
  }
  EXPECT_LE(InotifyInstances(), before + 1);
  // An application opens every third port; only those hear of it.
  std::vector<std::unique_ptr<App>> apps;
  for (int i = 0; i < kPorts; i += 3) {
    apps.push_back(std::make_unique<App>(dir.Entry("COM" + std::to_string(100 + i))));
  }
  for (int i = 0; i < kPorts; i += 3) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!sinks[i]->Has("open") && std::chrono::steady_clock::now() < giveUp) {
      pollfd pfd{ports[i]->EventFd(), POLLIN, 0};
      if (poll(&pfd, 1, 50) > 0) ports[i]->ProcessEvents();
    }
    EXPECT_TRUE(sinks[i]->Has("open")) << i;
  }
  for (int i = 0; i < kPorts; ++i) {
    ports[i]->ProcessEvents();
    EXPECT_EQ(sinks[i]->Has("open"), i % 3 == 0) << i;
  }
  apps.clear();
  ports.clear();
  EXPECT_EQ(InotifyInstances(), before);  // the last port lets the watcher go
}

TEST(CVSPortAxFolderTest, DestructionRemovesTheLink) {
  TempPortDir dir;
  RecordingSink sink;
  {
    CVSPortAx port(sink);
    ASSERT_TRUE(port.AddPort("COM12"));
    ASSERT_TRUE(port.PublishLink());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Entry("COM12")));
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.Entry("COM12"))));
}

}  // namespace
}  // namespace vport
