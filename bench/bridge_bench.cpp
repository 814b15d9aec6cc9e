// Round-trip latency (1 and 64 bytes) and throughput both ways through a virtual port's bridge,
// against socat's pty-to-TCP relay measured in the same run. Everything stays on 127.0.0.1.
//
// Usage: bridge_bench [megabytes=16] [round-trips=2000]
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

struct Result {
  double rtt1 = 0, rtt64 = 0;  // median microseconds
  double up = 0, down = 0;     // MB/s
  bool ok = false;
};

double MedianRoundTrip(int app, int peer, size_t size, int count) {
  std::vector<uint8_t> out(size, 0x5A), back(size);
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    const auto start = Clock::now();
    if (!WriteAll(app, out.data(), size) || !ReadAll(peer, back.data(), size) ||
        !WriteAll(peer, back.data(), size) || !ReadAll(app, back.data(), size)) {
      return -1;
    }
    samples.push_back(Seconds(start, Clock::now()) * 1e6);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
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

Result Measure(const std::string& link, int listener, size_t megabytes, int trips) {
  Result r;
  const int app = OpenRaw(link);
  const int peer = app >= 0 ? AcceptWithin(listener, 10000) : -1;
  if (app < 0 || peer < 0) return r;
  usleep(100000);
  r.rtt1 = MedianRoundTrip(app, peer, 1, trips);
  r.rtt64 = MedianRoundTrip(app, peer, 64, trips);
  r.up = Throughput(app, peer, megabytes << 20);
  r.down = Throughput(peer, app, megabytes << 20);
  r.ok = r.rtt1 > 0 && r.rtt64 > 0 && r.up > 0 && r.down > 0;
  close(app);
  close(peer);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? static_cast<size_t>(std::atoi(argv[1])) : 16;
  const int trips = argc > 2 ? std::atoi(argv[2]) : 2000;
  signal(SIGPIPE, SIG_IGN);
  std::string dir = (std::filesystem::temp_directory_path() / "portolan-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  setenv("PORTOLAN_PORT_DIR", dir.c_str(), 1);

  uint16_t bridgePort = 0, socatPort = 0;
  const int bridgeListener = Listen(bridgePort);
  const int socatListener = Listen(socatPort);

  Result bridge;
  {
    vport::CVirtualPortThread port;
    port.SetStartValues("127.0.0.1", std::to_string(bridgePort), "COM1", 0);
    port.SetBusy();
    port.Resume();
    port.WaitWhileBusy();
    if (!port.PortExists()) {
      std::fprintf(stderr, "bridge_bench: the virtual port could not be made\n");
      return 1;
    }
    bridge = Measure(dir + "/COM1", bridgeListener, megabytes, trips);
  }

  Result socat;
  const std::string socatLink = dir + "/socat";
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string pty = "PTY,link=" + socatLink + ",raw,echo=0";
    const std::string tcp = "TCP:127.0.0.1:" + std::to_string(socatPort) + ",nodelay";
    execlp("socat", "socat", pty.c_str(), tcp.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const bool haveSocat = pid > 0;
  if (haveSocat) socat = Measure(socatLink, socatListener, megabytes, trips);
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  std::filesystem::remove_all(dir);

  std::printf("%-28s %12s %12s %10s\n", "", "bridge", "socat", "ratio");
  auto row = [&](const char* name, double b, double s, bool lowerIsBetter) {
    const double ratio = socat.ok && s > 0 ? (lowerIsBetter ? b / s : b / s) : 0;
    std::printf("%-28s %12.1f %12.1f %10.2f\n", name, b, socat.ok ? s : 0.0, ratio);
  };
  if (!bridge.ok) std::printf("bridge measurement failed\n");
  if (!socat.ok) std::printf("socat measurement failed or socat missing\n");
  row("round trip 1 byte (us)", bridge.rtt1, socat.rtt1, true);
  row("round trip 64 bytes (us)", bridge.rtt64, socat.rtt64, true);
  row("app -> server (MB/s)", bridge.up, socat.up, false);
  row("server -> app (MB/s)", bridge.down, socat.down, false);
  std::printf("goals: round-trip ratios <= 1.00, bridge throughput >= 10 MB/s each way\n");
  return bridge.ok ? 0 : 1;
}
