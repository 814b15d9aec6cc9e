// Round-trip latency (1 and 64 bytes), throughput both ways and the relay's CPU time per megabyte
// through a virtual port's bridge, against socat's pty-to-TCP relay (with nodelay) measured in the
// same run; then the CPU of 32 idle ports over 10 s and the time until 255 stored ports are up.
// Everything stays on the loopback range (127.0.0.0/8).
//
// Usage: bridge_bench [--ctl[=PATH]] [--control] [--own-sessions] [--blocks=N] [--settle=MS]
//                     [--no-idle] [--no-startup] [rounds=9] [megabytes-per-round=16]
//                     [round-trips-per-round=300]
// --ctl runs the program's own `portolanctl run --port COM1=127.0.200.H:N` (from this build, or
// the portolanctl at PATH, such as a copy of an earlier build) as the bridge, so that what users
// run is what is measured; without it the port thread runs in this process. --control adds a
// second socat relay taking the same turns, whose figures against the first show how far two
// identical relays drift apart in this run. --own-sessions starts every relay in a session of
// its own (the port thread in a child process), as when a relay runs from a terminal of its own
// or as a service; by default the relays share the bench's session, as when a script starts the
// relay and the application together. Both matter: the scheduler's group for a session decides
// which of two runnable tasks of that session goes first.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "vport/CVirtualPortTable.h"
#include "vport/CVirtualPortThread.h"
#include "vport/PortThreadPolicy.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// Listens on address (127.0.0.1 unless given) at port (0: any free one, which port then holds); -1
// when taken.
int Listen(uint16_t& port, uint32_t address = INADDR_LOOPBACK) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(address);
  a.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 64) != 0) {
    close(fd);
    return -1;
  }
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

// CPU time (s) the scheduler has given the tasks of process pid ("self" for this one), leaving
// out the task skipTid: /proc/<pid>/task/<tid>/schedstat, in nanoseconds.
double TaskCpuSeconds(const std::string& pid, long skipTid = -1) {
  double total = 0;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + pid + "/task", ec)) {
    if (std::atol(task.path().filename().c_str()) == skipTid) continue;
    std::ifstream in(task.path() / "schedstat");
    double ns = 0;
    if (in >> ns) total += ns / 1e9;
  }
  return total;
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
  std::function<double()> cpu;         // CPU seconds the relay has used so far
  std::vector<double> rtt1, rtt64;     // microseconds, every round trip of every round
  std::vector<double> up, down;        // MB/s, one per round
  std::vector<double> cpuUp, cpuDown;  // ms of relay CPU per MB, one per round
  bool ok = true;
};

bool Connect(Relay& relay, const std::string& link, int listener) {
  relay.app = OpenRaw(link);
  relay.peer = relay.app >= 0 ? AcceptWithin(listener, 10000) : -1;
  return relay.app >= 0 && relay.peer >= 0;
}

// One round trip: the application writes, the peer echoes, the application reads it all back.
bool RoundTrip(int app, int peer, std::vector<uint8_t>& out, std::vector<uint8_t>& back,
               uint8_t tag, std::vector<double>* samples) {
  out[0] = tag;
  const auto start = Clock::now();
  if (!WriteAll(app, out.data(), out.size()) || !ReadAll(peer, back.data(), back.size()) ||
      !WriteAll(peer, back.data(), back.size()) || !ReadAll(app, back.data(), back.size()) ||
      back[0] != out[0]) {
    return false;
  }
  if (samples != nullptr) samples->push_back(Seconds(start, Clock::now()) * 1e6);
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

// Throughput one way, with the relay's CPU per megabyte meanwhile.
bool Transfer(Relay& r, int from, int to, size_t bytes, std::vector<double>* rate,
              std::vector<double>* cpuPerMb) {
  const double cpuBefore = r.cpu();
  const double mbPerS = Throughput(from, to, bytes);
  const double cpu = r.cpu() - cpuBefore;
  if (mbPerS <= 0) return false;
  if (rate != nullptr) rate->push_back(mbPerS);
  if (cpuPerMb != nullptr) cpuPerMb->push_back(cpu * 1e3 / (static_cast<double>(bytes) / 1e6));
  return true;
}

// The relays in the order of turn `turn`. Two take turns going first. More go in an order drawn
// afresh for each turn (the same in every run), so that no relay always follows the same one: a
// trip can profit from the one just before it, which may leave a CPU awake.
std::vector<Relay*> InTurn(const std::vector<Relay*>& relays, int turn) {
  std::vector<Relay*> order = relays;
  if (order.size() == 2) {
    if (turn % 2 != 0) std::swap(order[0], order[1]);
  } else {
    std::mt19937 draw(static_cast<unsigned>(turn) + 1u);
    std::shuffle(order.begin(), order.end(), draw);
  }
  return order;
}

// Round trips of one size on every relay, taking turns trip by trip (the relay that goes first
// changing with every trip): the machine's state changes within milliseconds on a shared host,
// and trips taken in blocks would measure one relay in a fast spell and another in a slow one.
//
// With block > 1 each relay takes block trips in a row before the next one's turn (--blocks):
// relays of one session are scheduled as one group, and trips that alternate between them measure
// how they get on together as much as each relay; a block measures each one as the only relay an
// application talks to, the others idle, and many short blocks still share out the load.
void RoundTripsTakingTurns(const std::vector<Relay*>& relays, size_t size, int trips, bool keep,
                           int block) {
  std::vector<uint8_t> out(size, 0x5A), back(size);
  auto samples = [keep, size](Relay& r) {
    return keep ? (size == 1 ? &r.rtt1 : &r.rtt64) : nullptr;
  };
  for (int i = 0; i < trips; i += block) {
    for (Relay* r : InTurn(relays, i / block)) {
      for (int k = i; k < std::min(trips, i + block) && r->ok; ++k) {
        r->ok = RoundTrip(r->app, r->peer, out, back, static_cast<uint8_t>(k), samples(*r));
      }
    }
  }
}

// The transfers of one round on one relay; warm-up rounds keep nothing.
void Transfers(Relay& r, size_t bytes, bool keep) {
  if (!r.ok) return;
  r.ok = Transfer(r, r.app, r.peer, bytes, keep ? &r.up : nullptr, keep ? &r.cpuUp : nullptr) &&
         Transfer(r, r.peer, r.app, bytes, keep ? &r.down : nullptr, keep ? &r.cpuDown : nullptr);
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(p / 100.0 * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void PrintLatency(const char* what, const std::vector<double>& ours,
                  const std::vector<double>& theirs) {
  std::printf("%-28s", what);
  for (const double p : {10.0, 50.0, 90.0, 99.0}) {
    const double a = Percentile(ours, p), b = Percentile(theirs, p);
    std::printf("  p%-2.0f %6.1f/%-6.1f %4.2f", p, a, b, b > 0 ? a / b : 0.0);
  }
  std::printf("\n");
}

// Round trips on this machine are bimodal: a fast mode when the whole trip stays on one CPU, a
// slow one when a woken thread has to bring another CPU out of idle. The share of each relay's
// trips in the fast mode (under 1.25 times the fastest 1% of both) is what decides p10.
void PrintFastShare(const char* what, const std::vector<double>& ours,
                    const std::vector<double>& theirs) {
  if (ours.empty() || theirs.empty()) return;
  const double limit = 1.25 * std::min(Percentile(ours, 1), Percentile(theirs, 1));
  auto share = [limit](const std::vector<double>& v) {
    const auto fast = std::count_if(v.begin(), v.end(), [limit](double us) { return us < limit; });
    return 100.0 * static_cast<double>(fast) / static_cast<double>(v.size());
  };
  std::printf("%-28s  under %.1f us: %4.1f%%/%-4.1f%%\n", what, limit, share(ours), share(theirs));
}

// Median and worst round; for CPU the worst is the highest.
void PrintRounds(const char* what, const std::vector<double>& ours,
                 const std::vector<double>& theirs, bool higherIsWorse) {
  const double a = Percentile(ours, 50), b = Percentile(theirs, 50);
  const double worst = higherIsWorse ? 100 : 0;
  std::printf("%-28s  median %7.2f/%-7.2f %5.2f   worst round %7.2f/%-7.2f\n", what, a, b,
              b > 0 ? a / b : 0.0, Percentile(ours, worst), Percentile(theirs, worst));
}

// The same figures for the second socat against the first: two identical relays, so every
// ratio's distance from 1.00 is what this run's noise alone does to a ratio.
void PrintControl(const Relay& spare, const Relay& socat) {
  std::printf("control: second socat/socat, the noise of this run\n");
  if (!spare.ok) std::printf("control: second socat measurement failed\n");
  std::printf("control: ");
  PrintLatency("round trip 1 byte (us)", spare.rtt1, socat.rtt1);
  std::printf("control: ");
  PrintLatency("round trip 64 bytes (us)", spare.rtt64, socat.rtt64);
  std::printf("control: ");
  PrintRounds("app -> server (MB/s)", spare.up, socat.up, false);
  std::printf("control: ");
  PrintRounds("server -> app (MB/s)", spare.down, socat.down, false);
}

// socat's pty-to-TCP relay with nodelay, against a peer of its own on 127.0.0.1.
struct SocatRelay {
  bool ownSession = false;
  pid_t pid = -1;
  int listener = -1;
  std::string link;

  void Start(const std::string& path) {
    link = path;
    uint16_t port = 0;
    listener = Listen(port);
    pid = fork();
    if (pid == 0) {
      if (ownSession) setsid();
      const std::string pty = "PTY,link=" + link + ",raw,echo=0";
      const std::string tcp = "TCP:127.0.0.1:" + std::to_string(port) + ",nodelay";
      execlp("socat", "socat", pty.c_str(), tcp.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  bool Connect(Relay& relay) const { return pid > 0 && ::Connect(relay, link, listener); }
  void Stop() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (listener >= 0) close(listener);
    pid = -1;
    listener = -1;
  }
};

// The portolanctl that --ctl runs.
std::string& CtlPath() {
  static std::string path = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
  return path;
}

// The program's own portolanctl (CtlPath), run in the background.
struct CtlProcess {
  bool ownSession = false;
  pid_t pid = -1;
  int out = -1;  // its standard output
  std::string text;

  bool Start(const std::vector<std::string>& args, const std::string& dir) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    pid = fork();
    if (pid == 0) {
      if (ownSession) setsid();
      dup2(pipeFds[1], 1);
      const int devNull = open("/dev/null", O_RDWR);
      dup2(devNull, 0);
      dup2(devNull, 2);
      setenv("PORTOLAN_REGISTRY", (dir + "/registry.reg").c_str(), 1);
      setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
      const std::string ctl = CtlPath();
      std::vector<char*> argv{const_cast<char*>(ctl.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(ctl.c_str(), argv.data());
      _exit(127);
    }
    close(pipeFds[1]);
    out = pipeFds[0];
    return pid > 0;
  }
  // Reads its output until it holds text (or the process ends, or timeoutMs passes).
  bool WaitFor(const std::string& wanted, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (text.find(wanted) == std::string::npos) {
      const int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
      pollfd p{out, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, left) <= 0) return false;
      char buffer[65536];
      const ssize_t n = read(out, buffer, sizeof buffer);
      if (n <= 0) return false;
      text.append(buffer, static_cast<size_t>(n));
    }
    return true;
  }
  double CpuSeconds() const { return TaskCpuSeconds(std::to_string(pid)); }
  // SIGTERM, then the seconds until it has ended.
  double Stop() {
    if (pid <= 0) return 0;
    const auto start = Clock::now();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
    if (out >= 0) close(out);
    out = -1;
    return Seconds(start, Clock::now());
  }
  ~CtlProcess() { Stop(); }
};

// Starts the port thread of the in-process bridge on COM1 against devIp:9100+devPort; true once
// its port exists.
bool StartPortThread(vport::CVirtualPortThread& port, const std::string& ip, int devPort) {
  port.SetStartValues(ip, std::to_string(9100 + devPort), "COM1", 0);
  port.SetBusy();
  port.Resume();
  port.WaitWhileBusy();
  return port.PortExists();
}

// The port thread of the in-process bridge, run in a child process in a session of its own
// (--own-sessions), so that it is scheduled apart from the application's side like a program of
// its own. The child holds the port until the bench closes its end of a pipe.
struct PortProcess {
  pid_t pid = -1;
  int hold = -1;

  bool Start(const std::string& ip, int devPort) {
    int ready[2], held[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return false;
    if (pipe2(held, O_CLOEXEC) != 0) {
      close(ready[0]);
      close(ready[1]);
      return false;
    }
    pid = fork();
    if (pid == 0) {
      setsid();
      close(ready[0]);
      close(held[1]);
      {
        vport::CVirtualPortThread port;
        const char up = StartPortThread(port, ip, devPort) ? 1 : 0;
        if (write(ready[1], &up, 1) == 1) {
          char c = 0;
          while (read(held[0], &c, 1) > 0) {
          }
        }
      }
      _exit(0);
    }
    close(ready[1]);
    close(held[0]);
    hold = held[1];
    char up = 0;
    const bool ok = pid > 0 && read(ready[0], &up, 1) == 1 && up == 1;
    close(ready[0]);
    return ok;
  }
  double CpuSeconds() const { return TaskCpuSeconds(std::to_string(pid)); }
  void Stop() {
    if (hold >= 0) close(hold);
    hold = -1;
    if (pid > 0) waitpid(pid, nullptr, 0);
    pid = -1;
  }
  ~PortProcess() { Stop(); }
};

// A listener on 9100 + n (n a device port index, 0 to 5) of a free loopback address 127.0.200.h,
// the way portolanctl's --port COM1=IP:n reaches it.
int ListenOnDevicePort(int& devPort, std::string& devIp) {
  for (uint32_t host = 1; host < 255; ++host) {
    for (int n = 0; n <= 5; ++n) {
      uint16_t port = static_cast<uint16_t>(9100 + n);
      const int fd = Listen(port, (127u << 24) | (200u << 8) | host);
      if (fd >= 0) {
        devPort = n;
        devIp = "127.0.200." + std::to_string(host);
        return fd;
      }
    }
  }
  return -1;
}

// Ports COM1..COMcount stored for a server at 127.0.0.1:9 (nothing is connected in this run).
void StorePorts(platform::RegistryStore& store, int count) {
  for (int n = 1; n <= count; ++n) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\" +
                            vport::CVirtualPortTable::PortSection(n);
    store.SetString(key, "DevHwAddr", "00-80-D4-00-00-01");
    store.SetString(key, "DevIpAddr", "127.0.0.1");
    store.SetString(key, "DevTcpPrt", "9");
    store.SetDword(key, "ComPrtNum", static_cast<uint32_t>(n));
    store.SetDword(key, "DevPrtNum", 0);
    store.SetDword(key, "PortFlags", 1);
  }
}

// 32 ports, each opened by an application and connected to its server, then left alone for
// 10 s: the CPU the relay uses meanwhile.
void IdlePorts(bool ctl, const std::string& dir, long mainTid) {
  constexpr int kPorts = 32;
  int devPort = 0;
  std::string devIp;
  const int listener = ListenOnDevicePort(devPort, devIp);
  std::vector<std::unique_ptr<vport::CVirtualPortThread>> ports;
  CtlProcess process;
  std::function<double()> cpu;
  if (ctl) {
    std::vector<std::string> args{"run"};
    for (int n = 1; n <= kPorts; ++n) {
      args.push_back("--port");
      args.push_back("COM" + std::to_string(100 + n) + "=" + devIp + ":" + std::to_string(devPort));
    }
    if (!process.Start(args, dir) || !process.WaitFor("running 32 port(s)", 60000)) {
      std::printf("32 idle ports: portolanctl did not come up\n");
      return;
    }
    cpu = [&] { return process.CpuSeconds(); };
  } else {
    for (int n = 1; n <= kPorts; ++n) {
      auto port = std::make_unique<vport::CVirtualPortThread>();
      port->SetStartValues(devIp, std::to_string(9100 + devPort), "COM" + std::to_string(100 + n),
                           0);
      port->SetBusy();
      port->Resume();
      ports.push_back(std::move(port));
    }
    for (auto& port : ports) port->WaitWhileBusy();
    cpu = [mainTid] { return TaskCpuSeconds("self", mainTid); };
  }
  std::vector<int> fds;
  for (int n = 1; n <= kPorts; ++n) {
    const int app = OpenRaw(dir + "/COM" + std::to_string(100 + n));
    const int peer = app >= 0 ? AcceptWithin(listener, 10000) : -1;
    fds.push_back(app);
    fds.push_back(peer);
  }
  const bool allOpen = std::none_of(fds.begin(), fds.end(), [](int fd) { return fd < 0; });
  usleep(500000);
  const double before = cpu();
  const auto start = Clock::now();
  sleep(10);
  const double used = cpu() - before;
  const double wall = Seconds(start, Clock::now());
  std::printf("32 idle ports%s, %.1f s: relay CPU %.1f ms (%.3f%% of one CPU)\n",
              allOpen ? " (all open and connected)" : " (NOT all connected)", wall, used * 1e3,
              used / wall * 100);
  for (const int fd : fds) {
    if (fd >= 0) close(fd);
  }
  ports.clear();
  close(listener);
}

// How this machine's idle CPUs wake, which the quiet round trips depend on: in a virtual
// machine without halt polling, each wake-up of an idle CPU costs an exit to the host (about
// 20 us on the machine these figures were taken on), and relays that place their wake-ups
// differently pay it a different number of times per trip.
std::string IdleCpuText() {
  auto firstLine = [](const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
  };
  const std::string governor = firstLine("/sys/devices/system/cpu/cpuidle/current_governor");
  if (governor.empty()) return "idle CPUs: cpuidle not reported";
  std::string text = "idle CPUs: cpuidle governor " + governor;
  const std::string pollNs = firstLine("/sys/module/haltpoll/parameters/guest_halt_poll_ns");
  if (governor == "haltpoll" && !pollNs.empty()) {
    text += pollNs == "0" ? ", halt polling off (guest_halt_poll_ns 0)"
                          : ", halt polling up to " + pollNs + " ns";
  }
  return text;
}

// The time until 255 stored ports are all up: the table's LoadAllPorts in this process, or a
// portolanctl run until it says it runs them all; then the time the stop takes.
void StoredPortsUp(bool ctl, const std::string& dir) {
  constexpr int kPorts = 255;
  if (ctl) {
    {
      platform::RegistryStore store(dir + "/registry.reg");
      StorePorts(store, kPorts);
    }
    CtlProcess process;
    const auto start = Clock::now();
    const bool up = process.Start({"run"}, dir) && process.WaitFor("running 255 port(s)", 120000);
    const double took = Seconds(start, Clock::now());
    const double stop = process.Stop();
    std::printf(
        "255 stored ports, portolanctl run: %s after %.2f s (from exec, with the 0.5 s "
        "start-up reset); SIGTERM to exit %.2f s\n",
        up ? "all up" : "NOT all up", took, stop);
    std::filesystem::remove(dir + "/registry.reg");
    return;
  }
  platform::RegistryStore store("");
  StorePorts(store, kPorts);
  auto start = Clock::now();
  auto table = std::make_unique<vport::CVirtualPortTable>(
      store, "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan");
  const double made = Seconds(start, Clock::now());
  start = Clock::now();
  table->LoadAllPorts();
  const double load = Seconds(start, Clock::now());
  int live = 0;
  for (int n = 1; n <= kPorts; ++n) live += table->IsLive(n) ? 1 : 0;
  start = Clock::now();
  table.reset();
  const double gone = Seconds(start, Clock::now());
  std::printf(
      "255 stored ports, in process: %d up after %.2f s (table made in %.2f s, with the "
      "0.5 s start-up reset); all removed in %.2f s\n",
      live, load, made, gone);
}

// "--name=N" with N all digits: true, and N in *value.
bool NumberOption(const std::string& arg, const std::string& prefix, int* value) {
  if (arg.rfind(prefix, 0) != 0 || arg.size() == prefix.size() ||
      arg.find_first_not_of("0123456789", prefix.size()) != std::string::npos) {
    return false;
  }
  *value = std::atoi(arg.c_str() + prefix.size());
  return true;
}

constexpr const char* kUsage =
    "usage: bridge_bench [--ctl[=PATH]] [--control] [--own-sessions] [--blocks=N]\n"
    "                    [--settle=MS]\n"
    "                    [--no-idle] [--no-startup]\n"
    "                    [ROUNDS [MEGABYTES [TRIPS]]]\n"
    "Runs a virtual port and socat's relay side by side against TCP peers on 127.0.0.1 and\n"
    "prints round trips, throughput and CPU per megabyte as bridge/socat with their ratio.\n"
    "  --ctl[=PATH]   measure `portolanctl run` (this build's, or PATH) instead of the port\n"
    "                 thread in this process\n"
    "  --control      also run a second socat relay in the same turns and print its figures\n"
    "                 against the first: the noise of this run\n"
    "  --own-sessions start each relay in a session of its own (the port thread in a child\n"
    "                 process), as a relay run from another terminal or as a service; by\n"
    "                 default they share this program's session\n"
    "  --blocks=N     each relay takes N round trips in a row before the next one (default 1:\n"
    "                 trip by trip), so that it is measured as the only relay at work\n"
    "  --settle=MS    pause after each round's transfers (default 300), so that the load of\n"
    "                 the transfers has faded before the next round trips\n"
    "  --no-idle      skip the CPU of 32 idle ports over 10 s\n"
    "  --no-startup   skip the time until 255 stored ports are up\n"
    "  ROUNDS         measured rounds (default 9), MEGABYTES per transfer (16), TRIPS per size\n"
    "                 and round (300)\n";

}  // namespace

int main(int argc, char** argv) {
  bool ctl = false, control = false, ownSessions = false, idle = true, startup = true;
  int settleMs = 300;
  int block = 1;
  std::vector<int> numbers;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--ctl") {
      ctl = true;
    } else if (arg.rfind("--ctl=", 0) == 0) {
      ctl = true;
      CtlPath() = arg.substr(6);
    } else if (arg == "--control") {
      control = true;
    } else if (arg == "--own-sessions") {
      ownSessions = true;
    } else if (NumberOption(arg, "--blocks=", &block)) {
      block = std::max(1, block);
    } else if (NumberOption(arg, "--settle=", &settleMs)) {
    } else if (arg == "--no-idle") {
      idle = false;
    } else if (arg == "--no-startup") {
      startup = false;
    } else if (arg == "--help" || arg == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos) {
      numbers.push_back(std::max(1, std::atoi(argv[i])));
    } else {
      std::fprintf(stderr, "bridge_bench: unknown argument '%s'\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  const int rounds = numbers.size() > 0 ? numbers[0] : 9;
  const size_t megabytes = numbers.size() > 1 ? static_cast<size_t>(numbers[1]) : 16;
  const int trips = numbers.size() > 2 ? numbers[2] : 300;
  const long mainTid = static_cast<long>(syscall(SYS_gettid));
  signal(SIGPIPE, SIG_IGN);
  std::string dir = (std::filesystem::temp_directory_path() / "portolan-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  setenv("PORTOLAN_PORT_DIR", dir.c_str(), 1);
  setenv("PORTOLAN_SERIALCOMM", "", 1);  // no system ports: every COM number is free

  int devPort = 0;
  std::string devIp;
  const int bridgeListener = ListenOnDevicePort(devPort, devIp);
  SocatRelay socat, second;
  socat.ownSession = second.ownSession = ownSessions;
  socat.Start(dir + "/socat");
  if (control) second.Start(dir + "/socat2");

  Relay ours, theirs, spare;
  ours.name = "bridge";
  theirs.name = "socat";
  theirs.cpu = [&socat] { return TaskCpuSeconds(std::to_string(socat.pid)); };
  spare.name = "second socat";
  spare.cpu = [&second] { return TaskCpuSeconds(std::to_string(second.pid)); };
  std::vector<Relay*> relays{&ours, &theirs};
  int status = 1;
  {
    std::unique_ptr<vport::CVirtualPortThread> port;
    PortProcess child;
    CtlProcess process;
    process.ownSession = ownSessions;
    bool up = false;
    if (ctl) {
      up = process.Start({"run", "--port", "COM1=" + devIp + ":" + std::to_string(devPort)}, dir) &&
           process.WaitFor("running 1 port(s)", 30000);
      ours.cpu = [&process] { return process.CpuSeconds(); };
    } else if (ownSessions) {
      up = child.Start(devIp, devPort);
      ours.cpu = [&child] { return child.CpuSeconds(); };
    } else {
      port = std::make_unique<vport::CVirtualPortThread>();
      up = StartPortThread(*port, devIp, devPort);
      ours.cpu = [mainTid] { return TaskCpuSeconds("self", mainTid); };
    }
    if (!up || !Connect(ours, dir + "/COM1", bridgeListener)) {
      std::fprintf(stderr, "bridge_bench: the virtual port could not be made or opened\n");
    } else {
      theirs.ok = socat.Connect(theirs);
      if (!theirs.ok) std::fprintf(stderr, "bridge_bench: socat missing or not connected\n");
      if (control) {
        spare.ok = second.Connect(spare);
        if (spare.ok) relays.push_back(&spare);
        if (!spare.ok) std::fprintf(stderr, "bridge_bench: the second socat did not connect\n");
      }
      usleep(100000);
      // The relays stay up for the whole run and take turns, the first changing with every
      // turn, so that the machine's load of the moment falls on all alike. Round 0 warms up and
      // is not counted.
      for (int round = 0; round <= rounds && ours.ok; ++round) {
        const std::vector<Relay*> order = InTurn(relays, round);
        RoundTripsTakingTurns(order, 1, trips, round > 0, block);
        RoundTripsTakingTurns(order, 64, trips, round > 0, block);
        for (Relay* r : order) Transfers(*r, megabytes << 20, round > 0);
        // The transfers leave the relays' threads looking busy to the scheduler for a while,
        // the last one most: round trips right after them would favour the relays that moved
        // their data first.
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
      }
      status = ours.ok ? 0 : 1;
    }
    for (Relay* r : {&ours, &theirs, &spare}) {
      if (r->app >= 0) close(r->app);
      if (r->peer >= 0) close(r->peer);
    }
  }
  socat.Stop();
  second.Stop();
  close(bridgeListener);

  const std::string bridge = ctl           ? "portolanctl run (a process of its own): " + CtlPath()
                             : ownSessions ? "port thread in a child process"
                                           : "port thread in this process";
  std::printf("bridge: %s; %d rounds of %d round trips per size and %zu MB each way\n",
              bridge.c_str(), rounds, trips, megabytes);
  std::printf(
      "relays in %s; round trips in blocks of %d; %d ms pause after each round's "
      "transfers\n",
      ownSessions ? "sessions of their own" : "this program's session", block, settleMs);
  std::printf("%s\n", IdleCpuText().c_str());
  std::printf("port threads: %s\n", vport::PortThreadPolicy::EnabledByEnvironment()
                                        ? "batch policy while every CPU has idle time, else normal"
                                        : "normal policy (PORTOLAN_PORT_SCHEDULING=normal)");
  std::printf("figures bridge/socat and their ratio\n");
  if (!ours.ok) std::printf("bridge measurement failed\n");
  if (!theirs.ok) std::printf("socat measurement failed or socat missing\n");
  PrintLatency("round trip 1 byte (us)", ours.rtt1, theirs.rtt1);
  PrintLatency("round trip 64 bytes (us)", ours.rtt64, theirs.rtt64);
  PrintFastShare("fast trips, 1 byte", ours.rtt1, theirs.rtt1);
  PrintFastShare("fast trips, 64 bytes", ours.rtt64, theirs.rtt64);
  PrintRounds("app -> server (MB/s)", ours.up, theirs.up, false);
  PrintRounds("server -> app (MB/s)", ours.down, theirs.down, false);
  PrintRounds("CPU app -> server (ms/MB)", ours.cpuUp, theirs.cpuUp, true);
  PrintRounds("CPU server -> app (ms/MB)", ours.cpuDown, theirs.cpuDown, true);
  if (control) PrintControl(spare, theirs);
  std::printf("goals: round-trip ratios <= 1.00, throughput ratios >= 1.00\n");
  std::fflush(stdout);
  if (idle) IdlePorts(ctl, dir, mainTid);
  std::fflush(stdout);
  if (startup) StoredPortsUp(ctl, dir);
  std::filesystem::remove_all(dir);
  return status;
}
