// libportolan-serial.so: loaded into a serial application with LD_PRELOAD, it passes what a pty
// cannot carry (data size, parity, DTR, RTS, break) to the bridge of a Portolan port, answers
// TIOCMGET from the lines the server reported, waits for them to change (TIOCMIWAIT) and reads
// their transition counters (TIOCGICOUNT).
//
// It recognises a port by its descriptor: the descriptor's node is /dev/pts/<N> and the port
// folder holds the control socket .pts<N>.ctl of a bridge run by the same user. On any other
// descriptor, and for every other call, it only hands the call on (dlsym RTLD_NEXT).
//
// Care taken because it runs inside the application's own calls, on any of its threads, maybe in
// a signal handler: no allocation, no locks, no state but the looked-up functions (atomics, found
// once at load time); errno is the application's; a bridge that does not answer within
// kAnswerMs (or $PORTOLAN_SERIAL_WAIT_MS) is skipped for that call, and the call then behaves as it
// would without the library. Only a wait that the bridge has taken lasts longer: as on a serial
// port, until a line changes, a signal comes or the connection ends.
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <poll.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "vport/PortControlMessage.h"

namespace {

using namespace vport::control;

constexpr int kAnswerMs = 200;
constexpr int kMostAnswerMs = 10000;
constexpr int kDefaultBreakMs = 250;  // what tcsendbreak(fd, 0) gives on a serial port
// The longest break passed to the bridge. A longer one (or one whose length does not fit an int)
// is no serial line's break but a fault of its caller: the pty alone takes that call.
constexpr long kMostBreakMs = 60000;
constexpr int kFirstReportMs = 300;   // most the first TIOCMGET waits for the server's report
constexpr int kReportPollMs = 20;

// A bounded text builder over a caller's buffer; a text that does not fit fails as a whole.
class PathBuilder {
 public:
  PathBuilder(char* buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {
    buffer_[0] = '\0';
  }
  PathBuilder& Add(const char* text) {
    for (; text != nullptr && *text != '\0'; ++text) Put(*text);
    return *this;
  }
  PathBuilder& AddNumber(unsigned long value) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0 && n < 24);
    while (n > 0) Put(digits[--n]);
    return *this;
  }
  bool Ok() const { return ok_; }

 private:
  void Put(char c) {
    if (!ok_ || length_ + 1 >= capacity_) {
      ok_ = false;
      return;
    }
    buffer_[length_++] = c;
    buffer_[length_] = '\0';
  }
  char* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool ok_ = true;
};

// The control socket path of fd's port into path; false when fd is no pty slave.
bool ControlPathOf(int fd, char* path, std::size_t capacity) {
  char proc[48];
  PathBuilder(proc, sizeof proc).Add("/proc/self/fd/").AddNumber(static_cast<unsigned>(fd));
  char node[64];
  const ssize_t n = readlink(proc, node, sizeof node - 1);
  if (n <= 0) return false;
  node[n] = '\0';
  static constexpr char kPts[] = "/dev/pts/";
  for (std::size_t i = 0; i + 1 < sizeof kPts; ++i) {
    if (node[i] != kPts[i]) return false;
  }
  const char* number = node + sizeof kPts - 1;
  if (*number == '\0') return false;
  for (const char* c = number; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  // The port folder, chosen as the bridge chooses it.
  PathBuilder builder(path, capacity);
  const char* dir = getenv("PORTOLAN_PORT_DIR");
  const char* run = getenv("XDG_RUNTIME_DIR");
  if (dir != nullptr && *dir != '\0') {
    builder.Add(dir);
  } else if (run != nullptr && *run != '\0') {
    builder.Add(run).Add("/portolan");
  } else {
    builder.Add("/tmp/portolan-").AddNumber(getuid()).Add("/ports");
  }
  builder.Add("/.pts").Add(number).Add(".ctl");
  return builder.Ok();
}

// How long to wait for the bridge: $PORTOLAN_SERIAL_WAIT_MS (1 to kMostAnswerMs), else kAnswerMs.
int AnswerMs() {
  const char* text = getenv("PORTOLAN_SERIAL_WAIT_MS");
  if (text == nullptr || *text == '\0') return kAnswerMs;
  int ms = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return kAnswerMs;
    ms = ms * 10 + (*text - '0');
    if (ms > kMostAnswerMs) return kAnswerMs;
  }
  return ms > 0 ? ms : kAnswerMs;
}

int MsSince(const timespec& start) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int>((now.tv_sec - start.tv_sec) * 1000 +
                          (now.tv_nsec - start.tv_nsec) / 1000000);
}

// Holds off cancellation of the calling thread for the whole of an intercepted call, and gives
// the caller its own state back after it: poll, connect, close and nanosleep are cancellation
// points, and a thread cancelled in them would leave its connection to the bridge open, or the
// line in BREAK. A cancel asked for meanwhile stays pending for the caller's next cancellation
// point, as it would with the call as the system makes it.
class NoCancel {
 public:
  NoCancel() { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &old_); }
  ~NoCancel() { pthread_setcancelstate(old_, nullptr); }
  NoCancel(const NoCancel&) = delete;
  NoCancel& operator=(const NoCancel&) = delete;

 private:
  int old_ = PTHREAD_CANCEL_ENABLE;
};

// A connection to the bridge of fd's port; -1 when fd is not a port, or its bridge is gone or is
// not the user's own.
int ConnectBridge(int fd) {
  char path[sizeof(sockaddr_un::sun_path)];
  if (!ControlPathOf(fd, path, sizeof path)) return -1;
  const int s = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  for (std::size_t i = 0; path[i] != '\0'; ++i) address.sun_path[i] = path[i];
  ucred peer{};
  socklen_t peerSize = sizeof peer;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      getsockopt(s, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) == 0 && peer.uid == geteuid()) {
    return s;
  }
  close(s);
  return -1;
}

bool Send(int s, const Request& request) {
  const Message message = EncodeRequest(request);
  return send(s, message.data(), message.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(message.size());
}

enum class Heard {
  kAnswer,   // a reply to the operation, in *reply
  kNothing,  // nothing in time
  kSignal,   // a signal came (only where a signal ends the call)
  kEnded,    // the bridge closed the connection, or sent what does not decode
};

// The next reply of the bridge on s to an op request: within ms, or without limit for ms < 0.
// signalEnds: the call is one that a signal interrupts (else the wait goes on after a handler).
Heard Listen(int s, Op op, int ms, bool signalEnds, Reply* reply) {
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    int left = -1;
    if (ms >= 0 && (left = ms - MsSince(start)) <= 0) return Heard::kNothing;
    pollfd p{s, POLLIN, 0};
    const int ready = poll(&p, 1, left);
    if (ready < 0 && errno == EINTR) {
      if (signalEnds) return Heard::kSignal;
      continue;
    }
    if (ready == 0) return Heard::kNothing;
    if (ready < 0) return Heard::kEnded;
    std::uint8_t packet[kMessageSize + 1];
    const ssize_t n = recv(s, packet, sizeof packet, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return Heard::kEnded;
    const bool valid =
        DecodeReply(std::span<const std::uint8_t>(packet, static_cast<std::size_t>(n)), reply) ==
            DecodeError::kNone &&
        reply->op == op;
    return valid ? Heard::kAnswer : Heard::kEnded;
  }
}

// One request to the bridge of fd's port. False when fd is not a port, or its bridge is gone,
// is not the user's own, or did not answer in time.
bool Ask(int fd, const Request& request, Reply* reply) {
  const int s = ConnectBridge(fd);
  if (s < 0) return false;
  const bool answered =
      Send(s, request) && Listen(s, request.op, AnswerMs(), false, reply) == Heard::kAnswer;
  close(s);
  return answered;
}

// Ask, keeping the application's errno; true when the bridge took the request.
bool Handled(int fd, const Request& request, Reply* reply = nullptr) {
  const int saved = errno;
  Reply local;
  Reply* out = reply != nullptr ? reply : &local;
  const bool ok = Ask(fd, request, out) && out->status == Status::kOk;
  errno = saved;
  return ok;
}

Request LineRequest(tcflag_t cflag) {
  Request r;
  r.op = Op::kSetLine;
  switch (cflag & CSIZE) {
    case CS5:
      r.dataBits = 5;
      break;
    case CS6:
      r.dataBits = 6;
      break;
    case CS7:
      r.dataBits = 7;
      break;
    default:
      r.dataBits = 8;
      break;
  }
  if ((cflag & PARENB) == 0) {
    r.parity = 0;
  } else if ((cflag & CMSPAR) != 0) {
    r.parity = (cflag & PARODD) != 0 ? 3 : 4;  // mark, space
  } else {
    r.parity = (cflag & PARODD) != 0 ? 1 : 2;  // odd, even
  }
  r.stopBits = (cflag & CSTOPB) != 0 ? 2 : 0;
  return r;
}

Request ModemRequest(std::uint8_t mask, std::uint8_t value) {
  Request r;
  r.op = Op::kSetModem;
  r.mask = mask;
  r.value = value;
  return r;
}

Request BreakRequest(bool on) {
  Request r;
  r.op = Op::kBreak;
  r.breakOn = on;
  return r;
}

std::uint8_t OutputLinesOf(int bits) {
  return static_cast<std::uint8_t>(((bits & TIOCM_DTR) != 0 ? kDtr : 0) |
                                   ((bits & TIOCM_RTS) != 0 ? kRts : 0));
}

int ModemBitsOf(std::uint8_t lines) {
  int bits = 0;
  if ((lines & kDtr) != 0) bits |= TIOCM_DTR;
  if ((lines & kRts) != 0) bits |= TIOCM_RTS;
  if ((lines & kCts) != 0) bits |= TIOCM_CTS;
  if ((lines & kDsr) != 0) bits |= TIOCM_DSR;
  if ((lines & kRing) != 0) bits |= TIOCM_RNG;
  if ((lines & kCarrier) != 0) bits |= TIOCM_CD;
  return bits;
}

void SleepMs(int ms) {
  timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

// A break of ms on the server's line; true when the bridge took it.
bool TimedBreak(int fd, int ms) {
  if (!Handled(fd, BreakRequest(true))) return false;
  const int saved = errno;
  SleepMs(ms);
  errno = saved;
  Handled(fd, BreakRequest(false));
  return true;
}

std::uint8_t InputLinesOf(unsigned long bits) {
  return static_cast<std::uint8_t>(
      ((bits & TIOCM_CTS) != 0 ? kCts : 0) | ((bits & TIOCM_DSR) != 0 ? kDsr : 0) |
      ((bits & TIOCM_RNG) != 0 ? kRing : 0) | ((bits & TIOCM_CD) != 0 ? kCarrier : 0));
}

constexpr int kNotTaken = 1;  // the bridge did not take the call: the pty gets it

// How a wait ends, as TIOCMIWAIT reports it: 0, or -1 with *error.
int WaitOutcome(Heard heard, const Reply& reply, int* error) {
  if (heard == Heard::kSignal) {
    *error = EINTR;  // not restarted: the application's handler has run and wants to know
    return -1;
  }
  if (heard == Heard::kAnswer && reply.status == Status::kOk && !reply.waiting) return 0;
  *error = EIO;  // the connection to the server ended, or the port did
  return -1;
}

// TIOCMIWAIT on fd: kNotTaken when fd is no port whose bridge takes waits, else the result of
// the call with its errno. One connection per wait; the bridge answers it when a named line's
// transition counter moves, so nothing here looks again and again.
int WaitForLines(int fd, unsigned long bits) {
  const NoCancel noCancel;
  const int saved = errno;
  const int s = ConnectBridge(fd);
  if (s < 0) {
    errno = saved;
    return kNotTaken;
  }
  Request request;
  request.op = Op::kWaitModem;
  request.mask = InputLinesOf(bits);
  int result = kNotTaken;
  int error = saved;
  Reply reply;
  if (Send(s, request)) {
    Heard heard = Listen(s, Op::kWaitModem, AnswerMs(), true, &reply);
    const bool taken = heard == Heard::kAnswer && reply.status == Status::kOk && reply.waiting;
    if (taken) heard = Listen(s, Op::kWaitModem, -1, true, &reply);
    if (taken || heard == Heard::kSignal ||
        (heard == Heard::kAnswer && reply.status == Status::kNoConnection)) {
      result = WaitOutcome(heard, reply, &error);
    }
  }
  close(s);
  errno = error;
  return result;
}

// One half of a counter; false when the bridge did not answer it.
bool CounterHalf(int s, std::uint8_t counter, bool high, std::uint16_t* half) {
  Request request;
  request.op = Op::kGetCount;
  request.counter = counter;
  request.highHalf = high;
  Reply reply;
  if (!Send(s, request) || Listen(s, Op::kGetCount, AnswerMs(), false, &reply) != Heard::kAnswer ||
      reply.status != Status::kOk) {
    return false;
  }
  *half = reply.count;
  return true;
}

// A value the counter had during the call: it only grows, so when its high half moved between
// the two reads, it passed the new high half's first value meanwhile.
bool ReadCounter(int s, std::uint8_t counter, std::uint32_t* value) {
  std::uint16_t high = 0, low = 0, again = 0;
  if (!CounterHalf(s, counter, true, &high) || !CounterHalf(s, counter, false, &low) ||
      !CounterHalf(s, counter, true, &again)) {
    return false;
  }
  *value = again == high ? static_cast<std::uint32_t>(high) << 16 | low
                         : static_cast<std::uint32_t>(again) << 16;
  return true;
}

// TIOCGICOUNT on fd: the bridge's transition counters of CTS, DSR, RI and CD; the rest is zero
// (the bridge counts no errors or bytes of the server's line). False when the bridge did not
// answer; errno is kept.
bool ReadCounts(int fd, serial_icounter_struct* counts) {
  const NoCancel noCancel;
  const int saved = errno;
  const int s = ConnectBridge(fd);
  std::uint32_t values[4] = {};
  bool ok = s >= 0;
  for (std::uint8_t i = 0; ok && i < 4; ++i) ok = ReadCounter(s, i, &values[i]);
  if (s >= 0) close(s);
  errno = saved;
  if (!ok) return false;
  *counts = serial_icounter_struct{};
  counts->cts = static_cast<int>(values[kCountCts]);
  counts->dsr = static_cast<int>(values[kCountDsr]);
  counts->rng = static_cast<int>(values[kCountRing]);
  counts->dcd = static_cast<int>(values[kCountCarrier]);
  return true;
}

// The next definitions of the calls, found once; the atomics make that safe on any thread.
template <typename F>
F Next(std::atomic<void*>& slot, const char* name) {
  void* f = slot.load(std::memory_order_acquire);
  if (f == nullptr) {
    f = dlsym(RTLD_NEXT, name);
    slot.store(f, std::memory_order_release);
  }
  return reinterpret_cast<F>(f);
}

std::atomic<void*> nextIoctl{nullptr};
std::atomic<void*> nextTcsetattr{nullptr};
std::atomic<void*> nextTcsendbreak{nullptr};

using IoctlFn = int (*)(int, unsigned long, ...);
using TcsetattrFn = int (*)(int, int, const struct termios*);
using TcsendbreakFn = int (*)(int, int);

// Looks the next definitions up at load time, so that a first call made in a signal handler does
// not run dlsym there. Nothing in it can fail the program: a function not found is looked for
// again at its first call.
__attribute__((constructor)) void ResolveNext() {
  Next<IoctlFn>(nextIoctl, "ioctl");
  Next<TcsetattrFn>(nextTcsetattr, "tcsetattr");
  Next<TcsendbreakFn>(nextTcsendbreak, "tcsendbreak");
}

int NextIoctl(int fd, unsigned long request, void* arg) {
  if (const auto f = Next<IoctlFn>(nextIoctl, "ioctl")) return f(fd, request, arg);
  return static_cast<int>(syscall(SYS_ioctl, fd, request, arg));
}

// The kernel's termios2, for the numbers of TCSETS2 and its kin (its header clashes with glibc's).
struct KernelTermios2 {
  tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
  cc_t c_line;
  cc_t c_cc[19];
  speed_t c_ispeed, c_ospeed;
};
constexpr unsigned long kTcsets2 = _IOW('T', 0x2B, KernelTermios2);
constexpr unsigned long kTcsetsw2 = _IOW('T', 0x2C, KernelTermios2);
constexpr unsigned long kTcsetsf2 = _IOW('T', 0x2D, KernelTermios2);

// The c_cflag of the kernel's termios (TCSETS*) and termios2 (TCSETS2*): the third word of both.
tcflag_t KernelCflag(const void* arg) {
  return static_cast<const tcflag_t*>(arg)[2];
}

// The lines for TIOCMGET. Right after the port is opened the server's first report may still be
// on its way: the first read of an fd waits for it a little; later ones answer at once.
bool ReadLines(int fd, Reply* reply) {
  static std::atomic<int> waitedFd{-1};
  if (!Handled(fd, Request{}, reply)) return false;
  if (reply->linesKnown || waitedFd.exchange(fd) == fd) return true;
  const int saved = errno;
  for (int waited = 0; waited < kFirstReportMs && !reply->linesKnown; waited += kReportPollMs) {
    SleepMs(kReportPollMs);
    if (!Handled(fd, Request{}, reply)) break;
  }
  errno = saved;
  return true;
}

int ModemIoctl(int fd, unsigned long request, int* bits) {
  if (bits == nullptr) return NextIoctl(fd, request, bits);
  Reply reply;
  switch (request) {
    case TIOCMGET:
      // Always answered on a bridged port: DTR and RTS as the application set them, the inputs
      // as the server last reported them, off while it has not (serial libraries read CTS or
      // DSR right after opening, and a failure there ends the program).
      if (ReadLines(fd, &reply)) {
        *bits = ModemBitsOf(reply.lines);
        return 0;
      }
      break;
    case TIOCMSET:
      if (Handled(fd, ModemRequest(kOutputLines, OutputLinesOf(*bits)))) return 0;
      break;
    case TIOCMBIS:
    case TIOCMBIC: {
      const std::uint8_t mask = OutputLinesOf(*bits);
      if (mask != 0 && Handled(fd, ModemRequest(mask, request == TIOCMBIS ? mask : 0))) return 0;
      break;
    }
    default:
      break;
  }
  return NextIoctl(fd, request, bits);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int tcsetattr(int fd, int action,
                                                     const struct termios* t) noexcept {
  const NoCancel noCancel;
  const auto next = Next<TcsetattrFn>(nextTcsetattr, "tcsetattr");
  if (next == nullptr) {
    errno = ENOSYS;
    return -1;
  }
  const int result = next(fd, action, t);
  // The pty takes the rate and stop bits; the bridge hears the rest once the pty has them.
  if (result == 0 && t != nullptr) Handled(fd, LineRequest(t->c_cflag));
  return result;
}

__attribute__((visibility("default"))) int tcsendbreak(int fd, int duration) noexcept {
  const NoCancel noCancel;
  const auto next = Next<TcsendbreakFn>(nextTcsendbreak, "tcsendbreak");
  const int result = next != nullptr ? next(fd, duration) : -1;
  if (result != 0 || duration > kMostBreakMs) return result;
  // As glibc counts it: milliseconds in steps of 100, 0 for the default.
  TimedBreak(fd, duration <= 0 ? kDefaultBreakMs : (duration + 99) / 100 * 100);
  return result;
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) noexcept {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  const NoCancel noCancel;
  switch (request) {
    case TIOCMGET:
    case TIOCMSET:
    case TIOCMBIS:
    case TIOCMBIC:
      return ModemIoctl(fd, request, static_cast<int*>(arg));
    case TIOCMIWAIT: {
      const int result = WaitForLines(fd, reinterpret_cast<unsigned long>(arg));
      return result != kNotTaken ? result : NextIoctl(fd, request, arg);
    }
    case TIOCGICOUNT: {
      auto* counts = static_cast<serial_icounter_struct*>(arg);
      if (counts != nullptr && ReadCounts(fd, counts)) return 0;
      return NextIoctl(fd, request, arg);
    }
    case TIOCSBRK:
    case TIOCCBRK: {
      const int result = NextIoctl(fd, request, arg);
      return Handled(fd, BreakRequest(request == TIOCSBRK)) ? 0 : result;
    }
    case TCSBRK:
    case TCSBRKP: {
      const int result = NextIoctl(fd, request, arg);
      const long value = reinterpret_cast<long>(arg);
      // TCSBRK with a non-zero argument only drains (tcdrain); TCSBRKP counts tenths of seconds,
      // bounded before they are multiplied.
      if (result != 0 || (request == TCSBRK && value != 0)) return result;
      if (request == TCSBRKP && value > kMostBreakMs / 100) return result;
      TimedBreak(fd,
                 request == TCSBRKP && value > 0 ? static_cast<int>(value * 100) : kDefaultBreakMs);
      return result;
    }
    case TCSETS:
    case TCSETSW:
    case TCSETSF:
    case kTcsets2:
    case kTcsetsw2:
    case kTcsetsf2: {
      const int result = NextIoctl(fd, request, arg);
      if (result == 0 && arg != nullptr) Handled(fd, LineRequest(KernelCflag(arg)));
      return result;
    }
    default:
      return NextIoctl(fd, request, arg);
  }
}

}  // extern "C"
