// Round-trip latency (1 and 64 bytes) and throughput both ways through a virtual port's bridge,
// against socat's pty-to-TCP relay measured in the same run. Everything stays on 127.0.0.1.
//
// Usage: bridge_bench [rounds=15] [megabytes-per-round=8] [round-trips-per-round=300]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/Prompt.h"
#include "vport/CVirtualPortThread.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

int Listen(uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  listen(fd, 4);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

int AcceptWithin(int listener, int ms) {
  pollfd p{listener, POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return -1;
  const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

bool ReadAll(int fd, uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = read(fd, data + done, count - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = write(fd, data + done, count - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int OpenRaw(const std::string& path) {
  for (int i = 0; i < 200; ++i) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
      termios t{};
      tcgetattr(fd, &t);
      cfmakeraw(&t);
      cfsetspeed(&t, B115200);
      tcsetattr(fd, TCSANOW, &t);
      return fd;
    }
    usleep(10000);
  }
  return -1;
}

// One relay under test: the application's end (the pty link) and the peer's accepted socket.
struct Relay {
  const char* name = "";
  int app = -1;
  int peer = -1;
  std::vector<double> rtt1, rtt64;  // microseconds, every round trip of every round
  std::vector<double> up, down;     // MB/s, one per round
  bool ok = true;
};

bool Connect(Relay& relay, const std::string& link, int listener) {
  relay.app = OpenRaw(link);
  relay.peer = relay.app >= 0 ? AcceptWithin(listener, 10000) : -1;
  return relay.app >= 0 && relay.peer >= 0;
}

bool RoundTrips(int app, int peer, size_t size, int count, std::vector<double>* samples) {
  std::vector<uint8_t> out(size, 0x5A), back(size);
  for (int i = 0; i < count; ++i) {
    out[0] = static_cast<uint8_t>(i);
    const auto start = Clock::now();
    if (!WriteAll(app, out.data(), size) || !ReadAll(peer, back.data(), size) ||
        !WriteAll(peer, back.data(), size) || !ReadAll(app, back.data(), size) ||
        back[0] != out[0]) {
      return false;
    }
    if (samples != nullptr) samples->push_back(Seconds(start, Clock::now()) * 1e6);
  }
  return true;
}

double Throughput(int from, int to, size_t total) {
  std::vector<uint8_t> block(65536, 0xA5);
  bool readOk = true;
  const auto start = Clock::now();
  std::thread reader([&] {
    std::vector<uint8_t> sink(65536);
    size_t got = 0;
    while (got < total) {
      const ssize_t n = read(to, sink.data(), sink.size());
      if (n <= 0) {
        readOk = false;
        return;
      }
      got += static_cast<size_t>(n);
    }
  });
  for (size_t sent = 0; sent < total; sent += block.size()) {
    if (!WriteAll(from, block.data(), std::min(block.size(), total - sent))) break;
  }
  reader.join();
  const double s = Seconds(start, Clock::now());
  return readOk ? static_cast<double>(total) / s / 1e6 : -1;
}

// One round of every measurement on one relay; warm-up rounds keep nothing.
void Round(Relay& r, size_t bytes, int trips, bool keep) {
  if (!r.ok) return;
  r.ok = RoundTrips(r.app, r.peer, 1, trips, keep ? &r.rtt1 : nullptr) &&
         RoundTrips(r.app, r.peer, 64, trips, keep ? &r.rtt64 : nullptr);
  if (!r.ok) return;
  const double up = Throughput(r.app, r.peer, bytes);
  const double down = Throughput(r.peer, r.app, bytes);
  r.ok = up > 0 && down > 0;
  if (keep && r.ok) {
    r.up.push_back(up);
    r.down.push_back(down);
  }
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void PrintLatency(const char* what, const std::vector<double>& ours,
                  const std::vector<double>& theirs) {
  std::printf("%-26s", what);
  for (const double p : {10.0, 50.0, 90.0, 99.0}) {
    const double a = Percentile(ours, p), b = Percentile(theirs, p);
    std::printf("  p%-2.0f %6.1f/%-6.1f %4.2f", p, a, b, b > 0 ? a / b : 0.0);
  }
  std::printf("\n");
}

void PrintRate(const char* what, const std::vector<double>& ours,
               const std::vector<double>& theirs) {
  const double a = Percentile(ours, 50), b = Percentile(theirs, 50);
  std::printf("%-26s  median %7.1f/%-7.1f %5.2f   worst round %7.1f/%-7.1f\n", what, a, b,
              b > 0 ? a / b : 0.0, Percentile(ours, 0), Percentile(theirs, 0));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const size_t megabytes = argc > 2 ? static_cast<size_t>(std::max(1, std::atoi(argv[2]))) : 8;
  const int trips = argc > 3 ? std::max(1, std::atoi(argv[3])) : 300;
  signal(SIGPIPE, SIG_IGN);
  std::string dir = (std::filesystem::temp_directory_path() / "portolan-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  setenv("PORTOLAN_PORT_DIR", dir.c_str(), 1);

  uint16_t bridgePort = 0, socatPort = 0;
  const int bridgeListener = Listen(bridgePort);
  const int socatListener = Listen(socatPort);

  const std::string socatLink = dir + "/socat";
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string pty = "PTY,link=" + socatLink + ",raw,echo=0";
    const std::string tcp = "TCP:127.0.0.1:" + std::to_string(socatPort) + ",nodelay";
    execlp("socat", "socat", pty.c_str(), tcp.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  Relay ours, theirs;
  ours.name = "bridge";
  theirs.name = "socat";
  int status = 1;
  {
    vport::CVirtualPortThread port;
    port.SetStartValues("127.0.0.1", std::to_string(bridgePort), "COM1", 0);
    port.SetBusy();
    port.Resume();
    port.WaitWhileBusy();
    if (!port.PortExists() || !Connect(ours, dir + "/COM1", bridgeListener)) {
      std::fprintf(stderr, "bridge_bench: the virtual port could not be made or opened\n");
    } else {
      theirs.ok = pid > 0 && Connect(theirs, socatLink, socatListener);
      if (!theirs.ok) std::fprintf(stderr, "bridge_bench: socat missing or not connected\n");
      usleep(100000);
      // Both relays stay up for the whole run and take turns, the first of each pair
      // alternating, so that the machine's load of the moment falls on both alike. Round 0
      // warms up and is not counted.
      for (int round = 0; round <= rounds && ours.ok; ++round) {
        Relay& first = round % 2 == 0 ? ours : theirs;
        Relay& second = round % 2 == 0 ? theirs : ours;
        Round(first, megabytes << 20, trips, round > 0);
        Round(second, megabytes << 20, trips, round > 0);
      }
      status = ours.ok ? 0 : 1;
    }
    for (Relay* r : {&ours, &theirs}) {
      if (r->app >= 0) close(r->app);
      if (r->peer >= 0) close(r->peer);
    }
  }
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  std::filesystem::remove_all(dir);

  std::printf("%d rounds of %d round trips per size and %zu MB each way; bridge/socat and ratio\n",
              rounds, trips, megabytes);
  if (!ours.ok) std::printf("bridge measurement failed\n");
  if (!theirs.ok) std::printf("socat measurement failed or socat missing\n");
  PrintLatency("round trip 1 byte (us)", ours.rtt1, theirs.rtt1);
  PrintLatency("round trip 64 bytes (us)", ours.rtt64, theirs.rtt64);
  PrintRate("app -> server (MB/s)", ours.up, theirs.up);
  PrintRate("server -> app (MB/s)", ours.down, theirs.down);
  std::printf("goals: round-trip ratios <= 1.00, bridge throughput >= 10 MB/s each way\n");
  return status;
}
