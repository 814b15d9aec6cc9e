// A serial application run with libportolan-serial.so: on a Portolan port its data size, parity,
// DTR, RTS and breaks reach the server as RFC 2217 frames (byte for byte, at a capturing server),
// and TIOCMGET reports the lines the server announced; on any other pty, and with the bridge gone
// or hung, every call behaves as without the library.
//
// The application is tests/vport/SerialAppProbe.cpp, run as a child process. It and the library
// are built without sanitizers: a preloaded library loads before a sanitizer runtime, which that
// runtime refuses, so the sanitizer build of the test could not be the application itself.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BridgeTestSupport.h"
#include "PreloadProbe.h"
#include "TempPortDir.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortControlServer.h"
#include "vport/PortFlags.h"

namespace vport {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes SetControl(uint8_t v) {
  return {255, 250, 44, 5, v, 255, 240};
}

using test::Preload;
// Where the bridge must answer, the library waits long enough for a busy machine.
constexpr int kPatientMs = 10000;
using test::Probe;

class SerialPreload : public ::testing::Test {
 protected:
  SerialPreload() { platform::InstallPrompt(&prompt); }
  ~SerialPreload() override {
    port.reset();
    platform::InstallPrompt(nullptr);
  }
  void StartPort(uint16_t tcpPort, uint32_t flags) {
    port = std::make_unique<CVirtualPortThread>();
    test::StartAndWait(*port, "COM44", std::to_string(tcpPort), flags, &observer);
    ASSERT_TRUE(port->PortExists());
  }
  test::TempPortDir portDir;
  platform::ScriptedPrompt prompt;
  test::RecordingObserver observer;
  std::unique_ptr<CVirtualPortThread> port;
};

TEST_F(SerialPreload, TheApplicationsLineModemLinesAndBreakReachTheServerByteForByte) {
  test::LoopbackListener server;
  StartPort(server.Port(), PORTFLAG_RFC2217);
  Probe app({portDir.Entry("COM44"), "pause", "mget", "line:7E1:1200", "dtr:0", "rts:0", "dtr:1",
             "rts:1", "mset:0", "break", "sbrk", "cbrk", "ioline:7E2:1200", "read1", "mget"},
            Preload::kLibrary, kPatientMs);
  EXPECT_EQ(app.Line(), "paused");
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM44 Open"));
  // The probe opened the port without setting it: the offers alone (the priming stays local).
  const Bytes opening = {255, 251, 0, 255, 251, 44};
  EXPECT_EQ(test::ReadExactly(peer, opening.size()), opening);
  app.Continue();
  EXPECT_EQ(app.Line(), "pause 0 0");
  // The server has not reported its lines (in time): DTR and RTS as opened, no input on.
  char opened[16];
  std::snprintf(opened, sizeof opened, "%x", static_cast<unsigned>(TIOCM_DTR | TIOCM_RTS));
  EXPECT_EQ(app.Line(), std::string("mget bits ") + opened);

  const Bytes expected = Join({
      {255, 250, 44, 1, 0, 0, 4, 176, 255, 240},  // 1200 baud, from the pty
      {255, 250, 44, 4, 1, 255, 240},             // one stop bit
      SetControl(3),                              // the RTS/CTS the probe kept
      {255, 250, 44, 3, 3, 255, 240},             // even parity, from the library
      {255, 250, 44, 2, 7, 255, 240},             // 7 data bits
      SetControl(9),
      SetControl(12),
      SetControl(8),
      SetControl(11),  // DTR, RTS off and on
      SetControl(9),
      SetControl(12),  // TIOCMSET 0: both off
      SetControl(5),
      SetControl(6),  // tcsendbreak
      SetControl(5),
      SetControl(6),                              // TIOCSBRK, TIOCCBRK
      {255, 250, 44, 1, 0, 0, 4, 176, 255, 240},  // TCSETS: the whole line again, 2 stop bits
      {255, 250, 44, 4, 2, 255, 240},
      {255, 250, 44, 3, 3, 255, 240},
      {255, 250, 44, 2, 7, 255, 240},
      SetControl(3),
  });
  EXPECT_EQ(test::ReadExactly(peer, expected.size()), expected);
  for (const char* step : {"line:7E1:1200", "dtr:0", "rts:0", "dtr:1", "rts:1", "mset:0", "break",
                           "sbrk", "cbrk", "ioline:7E2:1200"}) {
    EXPECT_EQ(app.Line(), std::string(step) + " 0 0");
  }
  // The server announces CTS and DSR, then a byte that tells the probe to look.
  const uint8_t notify[] = {255, 250, 44, 107, 0x30, 255, 240, 'n'};
  ASSERT_TRUE(test::WriteAll(peer, notify, sizeof notify));
  EXPECT_EQ(app.Line(), "read1 0 0");
  // DTR and RTS as TIOCMSET 0 left them, CTS and DSR from the server.
  char bits[16];
  std::snprintf(bits, sizeof bits, "%x", static_cast<unsigned>(TIOCM_CTS | TIOCM_DSR));
  EXPECT_EQ(app.Line(), std::string("mget bits ") + bits);
  EXPECT_EQ(app.Wait(), 0);
  close(peer);
}

TEST_F(SerialPreload, ModemWaitsEndWithTheServersReportsASignalOrTheConnectionAndCountsFollow) {
  test::LoopbackListener server;
  StartPort(server.Port(), PORTFLAG_RFC2217);
  port->PostMessage(WM_VPORT_SETLOGGING, 1);
  port->PostMessage(WM_VPORT_SHOWSTATUS);
  char cts[8], cd[8], dsrCd[8];
  std::snprintf(cts, sizeof cts, "%x", static_cast<unsigned>(TIOCM_CTS));
  std::snprintf(cd, sizeof cd, "%x", static_cast<unsigned>(TIOCM_CD));
  std::snprintf(dsrCd, sizeof dsrCd, "%x", static_cast<unsigned>(TIOCM_DSR | TIOCM_CD));
  Probe app({portDir.Entry("COM44"), "pause", std::string("bgwait:") + cts, "mget", "join",
             "icount", std::string("sigwait:") + cd, std::string("miwait:") + dsrCd},
            Preload::kLibrary, kPatientMs);
  EXPECT_EQ(app.Line(), "paused");
  int peer = server.Accept();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(observer.WaitFor("COM44 Open"));
  app.Continue();
  EXPECT_EQ(app.Line(), "pause 0 0");
  // A thread waits for CTS; the application's other thread goes on meanwhile (the server has
  // not reported its lines: DTR and RTS on, no input).
  char opened[16];
  std::snprintf(opened, sizeof opened, "%x", static_cast<unsigned>(TIOCM_DTR | TIOCM_RTS));
  EXPECT_EQ(app.Line(), std::string("mget bits ") + opened);
  ASSERT_TRUE(observer.WaitForLog("COM44", "Application waits for modem lines (CTS)"));
  // DSR moves first, which the wait does not name; then CTS.
  const uint8_t reports[] = {255, 250, 44, 107, 0x22, 255, 240, 255, 250, 44, 107, 0x31, 255, 240};
  ASSERT_TRUE(test::WriteAll(peer, reports, sizeof reports));
  EXPECT_EQ(app.Line(), std::string("bgwait:") + cts + " 0 0");
  EXPECT_EQ(app.Line(), "icount 1 1 0 0 0");
  // A signal ends a wait, with EINTR, once its handler ran, though the handler asks for restarts.
  ASSERT_TRUE(observer.WaitForLog("COM44", "Application waits for modem lines (CD)"));
  app.Signal(SIGUSR1);
  EXPECT_EQ(app.Line(), "handled 1");
  EXPECT_EQ(app.Line(), std::string("sigwait:") + cd + " -1 " + std::to_string(EINTR));
  // The server goes while the application waits: EIO.
  ASSERT_TRUE(observer.WaitForLog("COM44", "Application waits for modem lines (DSR CD)"));
  close(peer);
  EXPECT_EQ(app.Line(), std::string("miwait:") + dsrCd + " -1 " + std::to_string(EIO));
  EXPECT_EQ(app.Wait(), 0);
}

// True when needle occurs in haystack.
bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

TEST_F(SerialPreload, ALineSetRightAfterOpeningReachesTheServerOnceConnected) {
  test::LoopbackListener server;
  StartPort(server.Port(), PORTFLAG_RFC2217);
  // The probe sets its line at once, while the bridge may still be connecting.
  Probe app({portDir.Entry("COM44"), "line:5O2:9600", "dtr:0", "pause"}, Preload::kLibrary,
            kPatientMs);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_EQ(app.Line(), "line:5O2:9600 0 0");
  EXPECT_EQ(app.Line(), "dtr:0 0 0");
  EXPECT_EQ(app.Line(), "paused");
  // Whichever came first, the connection or the requests, the server hears them; the order
  // within the settings is fixed.
  Bytes wire;
  const Bytes line = {255, 250, 44, 3, 2, 255, 240, 255, 250, 44, 2, 5, 255, 240};  // odd, 5 bits
  const Bytes dtrOff = SetControl(9);
  while (!(Contains(wire, line) && Contains(wire, dtrOff))) {
    const Bytes more = test::ReadExactly(peer, 1, 5000);
    if (more.empty()) break;
    wire.insert(wire.end(), more.begin(), more.end());
  }
  EXPECT_TRUE(Contains(wire, line));
  EXPECT_TRUE(Contains(wire, dtrOff));
  app.Continue();
  EXPECT_EQ(app.Wait(), 0);
  close(peer);
}

// A loopback adapter behind the server: RTS drives CTS. The server reports CTS after each RTS
// it is told; the application raises and drops RTS and asks TIOCMGET until CTS follows.
TEST_F(SerialPreload, CtsFollowsRtsOnALoopbackAdapterOnceTheServerReportsIt) {
  test::LoopbackListener server;
  StartPort(server.Port(), PORTFLAG_RFC2217);
  char cts[8], dtrRts[8];
  std::snprintf(cts, sizeof cts, "%x", static_cast<unsigned>(TIOCM_CTS));
  std::snprintf(dtrRts, sizeof dtrRts, "%x", static_cast<unsigned>(TIOCM_DTR | TIOCM_RTS));
  const std::string ctsOn = std::string("mpoll:") + cts + "=" + cts;
  const std::string ctsOff = std::string("mpoll:") + cts + "=0";
  Probe app({portDir.Entry("COM44"), "rts:0", ctsOff, "rts:1", ctsOn, "rts:0", ctsOff,
             std::string("mset:") + dtrRts, ctsOn},
            Preload::kLibrary, kPatientMs);
  const int peer = server.Accept();
  ASSERT_GE(peer, 0);
  // The adapter: NOTIFY-MODEMSTATE with CTS (and its delta bit) after RTS on, without after off.
  std::thread adapter([peer] {
    Bytes wire;
    size_t seen = 0;
    for (const auto& [rts, modem] :
         {std::pair<uint8_t, uint8_t>{12, 0x01}, {11, 0x11}, {12, 0x01}, {11, 0x11}}) {
      const Bytes frame = SetControl(rts);
      for (;;) {
        const auto at = std::search(wire.begin() + static_cast<long>(seen), wire.end(),
                                    frame.begin(), frame.end());
        if (at != wire.end()) {
          seen = static_cast<size_t>(at - wire.begin()) + frame.size();
          break;
        }
        const Bytes more = test::ReadExactly(peer, 1, 20000);
        if (more.empty()) return;
        wire.push_back(more[0]);
      }
      const uint8_t report[] = {255, 250, 44, 107, modem, 255, 240};
      if (!test::WriteAll(peer, report, sizeof report)) return;
    }
  });
  const auto lines = app.AllLines();
  adapter.join();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "rts:0 0 0", ctsOff + " 0 0", "rts:1 0 0", ctsOn + " 0 0", "rts:0 0 0",
                       ctsOff + " 0 0", std::string("mset:") + dtrRts + " 0 0", ctsOn + " 0 0"}));
  close(peer);
}

TEST_F(SerialPreload, TheControlSocketIsThePortsOwnAndLogsWhatItRefuses) {
  test::LoopbackListener server;
  StartPort(server.Port(), PORTFLAG_RFC2217);
  port->PostMessage(WM_VPORT_SETLOGGING, 1);
  port->PostMessage(WM_VPORT_SHOWSTATUS);
  char target[64] = {};
  ASSERT_GT(readlink(portDir.Entry("COM44").c_str(), target, sizeof target - 1), 0);
  const std::string path = PortControlServer::SocketPath(portDir.Path(), target);
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const int s = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const uint8_t junk[] = {'P', 'C', 1, 2, 0x80, 0, 0, 0};  // an unknown line
  ASSERT_EQ(send(s, junk, sizeof junk, MSG_NOSIGNAL), 8);
  EXPECT_EQ(test::ReadExactly(s, 8), (Bytes{'P', 'C', 1, 4, 2, 0, 0, 0}));
  close(s);
  EXPECT_TRUE(
      observer.WaitForLog("COM44", "Control message refused (value out of range, 8 bytes)"));

  port.reset();  // the port goes, and its socket with it
  EXPECT_NE(lstat(path.c_str(), &st), 0);
}

TEST_F(SerialPreload, ARawPortIsLeftToThePty) {
  test::LoopbackListener server;
  StartPort(server.Port(), 0);
  Probe app(
      {portDir.Entry("COM44"), "line:7E1:1200", "dtr:0", "mget", "sbrk", "miwait:20", "icount"},
      Preload::kLibrary, kPatientMs);
  const auto lines = app.AllLines();
  const std::string notTty = " -1 " + std::to_string(ENOTTY);
  // DTR and RTS read back as set; nothing else reaches a raw server.
  EXPECT_EQ(lines, (std::vector<std::string>{"line:7E1:1200 0 0", "dtr:0 0 0", "mget bits 4",
                                             "sbrk 0 0", "miwait:20" + notTty, "icount" + notTty}));
}

// A pty pair of the test's own, outside any port.
struct PlainPty {
  PlainPty() {
    char name[64];
    openpty(&master, &slave, name, nullptr, nullptr);
    path = name;
  }
  ~PlainPty() {
    close(master);
    close(slave);
  }
  int master = -1, slave = -1;
  std::string path;
};

const std::vector<std::string> kSteps = {
    "line:7E1:1200", "dtr:0", "rts:1",           "mset:6",     "mget",  "break",
    "sbrk",          "cbrk",  "ioline:8N2:9600", "miwait:1e0", "icount"};

TEST_F(SerialPreload, AnotherPtyBehavesAsWithoutTheLibrary) {
  PlainPty pty;
  std::vector<std::string> args{pty.path};
  args.insert(args.end(), kSteps.begin(), kSteps.end());
  const auto without = Probe(args, Preload::kNone).AllLines();
  ASSERT_EQ(without.size(), kSteps.size());
  EXPECT_EQ(Probe(args, Preload::kLibrary).AllLines(), without);
  termios t{};
  tcgetattr(pty.slave, &t);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST_F(SerialPreload, ABridgeThatIsGoneOrDoesNotAnswerIsSkipped) {
  PlainPty pty;
  const std::string number = pty.path.substr(pty.path.rfind('/') + 1);
  const std::string socketPath = portDir.Entry(".pts" + number + ".ctl");
  std::vector<std::string> args{pty.path};
  args.insert(args.end(), kSteps.begin(), kSteps.end());
  const auto without = Probe(args, Preload::kNone).AllLines();

  // A socket nobody listens on: the bridge is gone.
  const int s = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(Probe(args, Preload::kLibrary).AllLines(), without);

  // Listening but never answering: a hung bridge; each call gives up after its short wait.
  ASSERT_EQ(listen(s, 16), 0);
  EXPECT_EQ(Probe(args, Preload::kLibrary).AllLines(), without);
  close(s);
}

TEST(SerialPreloadWrapper, AddsTheLibraryAfterTheCallersPreloadsAndExplainsItself) {
  const std::string library = test::kLibrary;
  auto run = [](const std::string& command) {
    std::string out;
    if (FILE* f = popen(command.c_str(), "r")) {
      char buffer[4096];
      while (fgets(buffer, sizeof buffer, f) != nullptr) out += buffer;
      pclose(f);
    }
    return out;
  };
  const std::string real = run("readlink -f " + library);
  EXPECT_EQ(run(test::kWrapper + " --library"), real);
  // printenv prints LD_PRELOAD as the program sees it (the dynamic linker reports the missing
  // first library on stderr and goes on).
  EXPECT_EQ(run("LD_PRELOAD=/nonexistent/first.so " + test::kWrapper +
                " printenv LD_PRELOAD 2>/dev/null"),
            "/nonexistent/first.so:" + real);
  EXPECT_EQ(run("env -u LD_PRELOAD " + test::kWrapper + " printenv LD_PRELOAD"), real);
  EXPECT_NE(run(test::kWrapper + " --help").find("Usage: portolan-serial-run PROGRAM"),
            std::string::npos);
  EXPECT_NE(std::system((test::kWrapper + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_NE(std::system((test::kWrapper + " --bogus >/dev/null 2>&1").c_str()), 0);
}

}  // namespace
}  // namespace vport
