// A small serial application for the preload tests: opens a port and runs the steps named on its
// command line, printing one line per step ("<step> <result> <errno>", or the TIOCMGET bits).
// Built without sanitizers, like the library it is run with.
//
// Steps: line:<bits><parity><stop>:<baud> (tcsetattr), ioline:... (ioctl TCSETS), dtr:0|1, rts:0|1
// (TIOCMBIC/TIOCMBIS), mset:<hex> (TIOCMSET), mget (TIOCMGET), break (tcsendbreak 0),
// sbrk/cbrk (TIOCSBRK/TIOCCBRK), read1 (one byte), pause (waits for a line on stdin),
// miwait:<hex> (TIOCMIWAIT), sigwait:<hex> (TIOCMIWAIT with a SIGUSR1 handler that asks for
// restarts, then "handled <n>"), bgwait:<hex> (TIOCMIWAIT on a thread of its own) and join (its
// result, reported as "bgwait:<hex> ..."), icount (TIOCGICOUNT: "icount <cts> <dsr> <rng> <dcd>
// <sum of the other fields>"), brkp:<tenths> (ioctl TCSBRKP), cancel:<step> (the step on a thread
// of its own, cancelled once a line comes on stdin: "cancel sent", then "cancel:<step> fds <n>"
// with n the descriptors the process holds more than before the step), mpoll:<mask>=<value>
// (TIOCMGET, asked again every 5 ms for up to 10 s until the bits of the hex mask are the hex
// value; fails with ETIMEDOUT).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

speed_t Speed(long baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    default:
      return B115200;
  }
}

// "7E1" -> c_cflag bits over base.
tcflag_t LineCflag(tcflag_t base, const char* line) {
  tcflag_t c = base & ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  if (line[0] >= '5' && line[0] <= '8') c |= sizes[line[0] - '5'];
  switch (line[1]) {
    case 'O':
      c |= PARENB | PARODD;
      break;
    case 'E':
      c |= PARENB;
      break;
    case 'M':
      c |= PARENB | PARODD | CMSPAR;
      break;
    case 'S':
      c |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (line[2] == '2') c |= CSTOPB;
  return c;
}

volatile sig_atomic_t handled = 0;

void OnSignal(int) {
  handled = handled + 1;
}

struct BackgroundWait {
  pthread_t thread{};
  int fd = -1;
  unsigned long bits = 0;
  const char* step = nullptr;
  int result = 0;
  int error = 0;
  bool started = false;
};
BackgroundWait background;

void* WaitInBackground(void*) {
  background.result = ioctl(background.fd, TIOCMIWAIT, background.bits);
  background.error = errno;
  return nullptr;
}

int OpenDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int count = 0;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

int Step(int fd, const char* step);

struct CancelledStep {
  int fd = -1;
  const char* step = nullptr;
};

void* RunCancelledStep(void* arg) {
  const auto* run = static_cast<const CancelledStep*>(arg);
  Step(run->fd, run->step);
  pthread_testcancel();  // a cancel held off during the call is taken here
  return nullptr;
}

// The step on a thread that is cancelled while the step runs (the test holds it there).
int CancelStep(int fd, const char* whole) {
  CancelledStep run{fd, whole + 7};
  const int before = OpenDescriptors();
  pthread_t thread{};
  if (pthread_create(&thread, nullptr, RunCancelledStep, &run) != 0) return -1;
  char line[16];
  if (fgets(line, sizeof line, stdin) == nullptr) return -1;
  pthread_cancel(thread);
  printf("cancel sent\n");
  fflush(stdout);
  pthread_join(thread, nullptr);
  printf("%s fds %d\n", whole, OpenDescriptors() - before);
  fflush(stdout);
  return 1;  // reported
}

int Counts(int fd) {
  serial_icounter_struct c{};
  const int result = ioctl(fd, TIOCGICOUNT, &c);
  if (result != 0) return result;
  const long rest =
      static_cast<long>(c.rx) + c.tx + c.frame + c.overrun + c.parity + c.brk + c.buf_overrun;
  printf("icount %d %d %d %d %ld\n", c.cts, c.dsr, c.rng, c.dcd, rest);
  fflush(stdout);
  return 1;  // reported
}

void Report(const char* step, int result) {
  printf("%s %d %d\n", step, result, result == 0 ? 0 : errno);
  fflush(stdout);
}

// Asks TIOCMGET until (bits & mask) == value: a modem line that follows the server's report.
int PollLines(int fd, const char* arg) {
  char* end = nullptr;
  const unsigned long mask = strtoul(arg, &end, 16);
  const unsigned long value = *end == '=' ? strtoul(end + 1, nullptr, 16) : mask;
  const timespec step{0, 5 * 1000 * 1000};
  for (int i = 0; i < 2000; ++i) {
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0) return -1;
    if ((static_cast<unsigned long>(bits) & mask) == value) return 0;
    nanosleep(&step, nullptr);
  }
  errno = ETIMEDOUT;
  return -1;
}

int SetLine(int fd, const char* arg, bool throughIoctl) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return -1;
  t.c_cflag = LineCflag(t.c_cflag, arg);
  const char* colon = strchr(arg, ':');
  const speed_t speed = Speed(colon ? atol(colon + 1) : 115200);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  if (!throughIoctl) return tcsetattr(fd, TCSANOW, &t);
  // The kernel's own termios (TCSETS): glibc's without the speeds, and 19 control characters.
  struct {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
  } k{};
  k.c_iflag = t.c_iflag;
  k.c_oflag = t.c_oflag;
  k.c_cflag = t.c_cflag;
  k.c_lflag = t.c_lflag;
  memcpy(k.c_cc, t.c_cc, sizeof k.c_cc);
  return ioctl(fd, TCSETS, &k);
}

int Step(int fd, const char* step) {
  int bits = 0;
  if (strncmp(step, "line:", 5) == 0) return SetLine(fd, step + 5, false);
  if (strncmp(step, "ioline:", 7) == 0) return SetLine(fd, step + 7, true);
  if (strncmp(step, "dtr:", 4) == 0 || strncmp(step, "rts:", 4) == 0) {
    bits = step[0] == 'd' ? TIOCM_DTR : TIOCM_RTS;
    return ioctl(fd, step[4] == '1' ? TIOCMBIS : TIOCMBIC, &bits);
  }
  if (strncmp(step, "mset:", 5) == 0) {
    bits = static_cast<int>(strtol(step + 5, nullptr, 16));
    return ioctl(fd, TIOCMSET, &bits);
  }
  if (strcmp(step, "mget") == 0) {
    const int result = ioctl(fd, TIOCMGET, &bits);
    if (result == 0) {
      printf("mget bits %x\n", static_cast<unsigned>(bits));
      fflush(stdout);
      return 1;  // reported
    }
    return result;
  }
  if (strncmp(step, "mpoll:", 6) == 0) return PollLines(fd, step + 6);
  if (strncmp(step, "miwait:", 7) == 0) {
    return ioctl(fd, TIOCMIWAIT, strtoul(step + 7, nullptr, 16));
  }
  if (strncmp(step, "sigwait:", 8) == 0) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;  // a wait must still end with EINTR
    sigaction(SIGUSR1, &action, nullptr);
    const int result = ioctl(fd, TIOCMIWAIT, strtoul(step + 8, nullptr, 16));
    const int error = errno;
    printf("handled %d\n", static_cast<int>(handled));
    errno = error;
    return result;
  }
  if (strncmp(step, "bgwait:", 7) == 0) {
    background.fd = fd;
    background.bits = strtoul(step + 7, nullptr, 16);
    background.step = step;
    background.started =
        pthread_create(&background.thread, nullptr, WaitInBackground, nullptr) == 0;
    return background.started ? 1 : -1;  // reported at the join
  }
  if (strcmp(step, "join") == 0) {
    if (!background.started) return -1;
    pthread_join(background.thread, nullptr);
    background.started = false;
    errno = background.error;
    Report(background.step, background.result);
    return 1;
  }
  if (strcmp(step, "icount") == 0) return Counts(fd);
  if (strncmp(step, "brkp:", 5) == 0) return ioctl(fd, TCSBRKP, strtol(step + 5, nullptr, 10));
  if (strncmp(step, "cancel:", 7) == 0) return CancelStep(fd, step);
  if (strcmp(step, "break") == 0) return tcsendbreak(fd, 0);
  if (strcmp(step, "sbrk") == 0) return ioctl(fd, TIOCSBRK, 0);
  if (strcmp(step, "cbrk") == 0) return ioctl(fd, TIOCCBRK, 0);
  if (strcmp(step, "read1") == 0) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? 0 : -1;
  }
  if (strcmp(step, "pause") == 0) {
    printf("paused\n");
    fflush(stdout);
    char line[16];
    return fgets(line, sizeof line, stdin) != nullptr ? 0 : -1;
  }
  errno = EINVAL;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: serial-app-probe PORT STEP...\n");
    return 2;
  }
  const int fd = open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    perror(argv[1]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const int result = Step(fd, argv[i]);
    if (result != 1) Report(argv[i], result);
  }
  close(fd);
  return 0;
}
