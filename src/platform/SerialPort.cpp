#include "platform/SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

long long MsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : left.count();
}

// Waits for events on fd until deadline (none: forever). >0 ready, 0 time-out, <0 error.
int WaitFd(int fd, short events, bool hasDeadline, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int timeout = -1;
    if (hasDeadline) {
      long long left = MsUntil(deadline);
      timeout = left > 60000 ? 60000 : static_cast<int>(left);
    }
    int rc = poll(&p, 1, timeout);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) return -1;
    if (rc > 0) return (p.revents & (POLLERR | POLLNVAL)) != 0 ? -1 : 1;
    if (!hasDeadline || MsUntil(deadline) == 0) return 0;
  }
}

}  // namespace

unsigned SerialSpeedConstant(uint32_t baudRate) {
  switch (baudRate) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return 0;
  }
}

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& path, int* error) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (error != nullptr) *error = errno;
    return nullptr;
  }
  // Exclusive use: no other program of ours (flock) nor any later opener (TIOCEXCL).
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int saved = isatty(fd) ? errno : ENOTTY;
    ::close(fd);
    if (error != nullptr) *error = saved;
    return nullptr;
  }
  ioctl(fd, TIOCEXCL);
  return std::unique_ptr<SerialPort>(new SerialPort(fd, path));
}

SerialPort::~SerialPort() {
  Close();
}

bool SerialPort::Configure(const SerialSettings& s) {
  if (fd_ < 0) return false;
  unsigned speed = SerialSpeedConstant(s.baudRate);
  if (speed == 0 || s.dataBits < 5 || s.dataBits > 8) return false;
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | INPCK | IXON | IXOFF | IXANY);
  tio.c_cflag &=
      ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
  tio.c_cflag |= CLOCAL | CREAD;
  static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= kSizes[s.dataBits - 5];
  switch (s.parity) {
    case SerialParity::None:
      break;
    case SerialParity::Odd:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case SerialParity::Even:
      tio.c_cflag |= PARENB;
      break;
    case SerialParity::Mark:
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case SerialParity::Space:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
  }
  if (s.parity != SerialParity::None) tio.c_iflag |= INPCK;
  // termios has one stop-bit flag: 1.5 stop bits is what a UART makes of "two" at 5 data bits.
  if (s.stopBits != SerialStopBits::One) tio.c_cflag |= CSTOPB;
  if (s.ctsOutputFlow || s.rts == SerialRts::Handshake) tio.c_cflag |= CRTSCTS;
  if (s.xonXoffOutput) tio.c_iflag |= IXON;
  if (s.xonXoffInput) tio.c_iflag |= IXOFF;
  // Reads are timed by poll, so the driver returns whatever it has at once.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;

  // Modem lines: a pty has none, so a refusal here is no failure.
  int dtr = TIOCM_DTR;
  ioctl(fd_, s.dtr == SerialDtr::Off ? TIOCMBIC : TIOCMBIS, &dtr);
  if (s.rts == SerialRts::On || s.rts == SerialRts::Off) {
    int rts = TIOCM_RTS;
    ioctl(fd_, s.rts == SerialRts::Off ? TIOCMBIC : TIOCMBIS, &rts);
  }
  timeouts_ = s.timeouts;
  return true;
}

long SerialPort::Read(uint8_t* buffer, size_t count) {
  if (fd_ < 0 || (buffer == nullptr && count > 0)) return -1;
  const SerialTimeouts& t = timeouts_;
  uint64_t totalMs = uint64_t{t.readTotalMultiplierMs} * count + t.readTotalConstantMs;
  bool hasTotal = totalMs > 0;
  Clock::time_point total = Clock::now() + std::chrono::milliseconds(totalMs);
  size_t done = 0;
  while (done < count) {
    Clock::time_point deadline = total;
    bool hasDeadline = hasTotal;
    if (done > 0 && t.readIntervalMs > 0) {
      Clock::time_point interval = Clock::now() + std::chrono::milliseconds(t.readIntervalMs);
      if (!hasDeadline || interval < deadline) deadline = interval;
      hasDeadline = true;
    }
    int ready = WaitFd(fd_, POLLIN, hasDeadline, deadline);
    if (ready < 0) return done > 0 ? static_cast<long>(done) : -1;
    if (ready == 0) break;
    ssize_t n = ::read(fd_, buffer + done, count - done);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return done > 0 ? static_cast<long>(done) : -1;
    }
    if (n == 0) {
      // Hang-up: nothing more will come.
      break;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<long>(done);
}

long SerialPort::Write(const uint8_t* buffer, size_t count) {
  if (fd_ < 0 || (buffer == nullptr && count > 0)) return -1;
  uint64_t totalMs =
      uint64_t{timeouts_.writeTotalMultiplierMs} * count + timeouts_.writeTotalConstantMs;
  bool hasTotal = totalMs > 0;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(totalMs);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, buffer + done, count - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return done > 0 ? static_cast<long>(done) : -1;
    int ready = WaitFd(fd_, POLLOUT, hasTotal, deadline);
    if (ready < 0) return done > 0 ? static_cast<long>(done) : -1;
    if (ready == 0) break;
  }
  return static_cast<long>(done);
}

bool SerialPort::SetBreak(bool on) {
  return fd_ >= 0 && ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0;
}

bool SerialPort::PurgeInput() {
  return fd_ >= 0 && tcflush(fd_, TCIFLUSH) == 0;
}

bool SerialPort::ReadCounters(Counters* out) const {
  serial_icounter_struct icount{};
  if (fd_ < 0 || ioctl(fd_, TIOCGICOUNT, &icount) != 0) return false;
  out->brk = icount.brk;
  out->frame = icount.frame;
  out->parity = icount.parity;
  out->overrun = icount.overrun;
  out->bufOverrun = icount.buf_overrun;
  return true;
}

bool SerialPort::ArmLineEvents() {
  armedValid_ = ReadCounters(&armed_);
  return armedValid_;
}

SerialLineEvent SerialPort::WaitLineEvent(unsigned timeoutMs) {
  if (!armedValid_) return SerialLineEvent::Failed;
  // The counters have no wait of their own (TIOCMIWAIT covers modem lines only): look every 10 ms.
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Counters now;
    if (!ReadCounters(&now)) return SerialLineEvent::Failed;
    if (now.brk != armed_.brk) return SerialLineEvent::Break;
    if (now.frame != armed_.frame || now.parity != armed_.parity || now.overrun != armed_.overrun ||
        now.bufOverrun != armed_.bufOverrun) {
      return SerialLineEvent::LineError;
    }
    long long left = MsUntil(deadline);
    if (left == 0) return SerialLineEvent::None;
    std::this_thread::sleep_for(std::chrono::milliseconds(left < 10 ? left : 10));
  }
}

bool SerialPort::Close() {
  if (fd_ < 0) return true;
  int fd = fd_;
  fd_ = -1;
  armedValid_ = false;
  return ::close(fd) == 0;
}

}  // namespace platform
