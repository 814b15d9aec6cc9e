// Helpers of the bridge tests: a recording port observer, a loopback TCP peer, and the
// application side of a port opened as applications open serial ports.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vport/CVirtualPortThread.h"
#include "vport/PortObserver.h"

namespace vport::test {

// Records what the ports report; waits end when the awaited report arrives (or after a generous
// real-time limit, so that a fault fails the test instead of hanging it).
class RecordingObserver : public PortObserver {
 public:
  void PortCreated(const std::string& comName, const std::string& linkPath) override {
    Add(comName + " created " + linkPath);
  }
  void PortRemoved(const std::string& comName) override { Add(comName + " removed"); }
  void Notice(const std::string& comName, const std::string& text) override {
    Add(comName + " " + text);
  }
  void PortCreationFailed(const std::string& comName, const std::string& reason) override {
    Add(comName + " not created: " + reason);
  }
  void StateChanged(const std::string& comName, const std::string& status) override {
    Add(comName + " " + status);
  }
  void LogText(const std::string& comName, const std::string& text) override {
    std::lock_guard lock(mutex_);
    log_[comName] += text;
    changed_.notify_all();
  }

  bool WaitFor(const std::string& event, int timeoutMs = 20000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      for (const auto& e : events_)
        if (e == event) return true;
      return false;
    });
  }
  // Waits until event has been reported at least count times.
  bool WaitForCount(const std::string& event, size_t count, int timeoutMs = 20000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return CountLocked(event) >= count; });
  }
  size_t Count(const std::string& event) {
    std::lock_guard lock(mutex_);
    return CountLocked(event);
  }
  // Waits until the log of comName contains text.
  bool WaitForLog(const std::string& comName, const std::string& text, int timeoutMs = 20000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return log_[comName].find(text) != std::string::npos; });
  }
  std::vector<std::string> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::string Log(const std::string& comName) {
    std::lock_guard lock(mutex_);
    return log_[comName];
  }

 private:
  size_t CountLocked(const std::string& event) const {
    size_t count = 0;
    for (const auto& e : events_) count += e == event ? 1 : 0;
    return count;
  }
  void Add(const std::string& event) {
    std::lock_guard lock(mutex_);
    events_.push_back(event);
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> events_;
  std::map<std::string, std::string> log_;
};

// A listening TCP socket on 127.0.0.1 with an ephemeral port.
class LoopbackListener {
 public:
  explicit LoopbackListener(int backlog = 64) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, backlog);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackListener() { Close(); }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  uint16_t Port() const { return port_; }
  std::string PortText() const { return std::to_string(port_); }
  // The next connection, or -1 after timeoutMs.
  int Accept(int timeoutMs = 20000) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return -1;
    return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// Starts a port thread for comName, bound to 127.0.0.1:tcpPort, and waits until the creation of
// its port is over (PortExists() says how it went); false when the thread did not start.
inline bool StartAndWait(CVirtualPortThread& port, const std::string& comName,
                         const std::string& tcpPort, uint32_t flags, PortObserver* observer) {
  port.SetStartValues("127.0.0.1", tcpPort, comName, flags);
  port.SetObserver(observer);
  port.SetBusy();
  if (!port.Resume()) return false;
  port.WaitWhileBusy();
  return true;
}

// Reads exactly count bytes from fd (waiting up to timeoutMs for each piece); fewer on time-out.
inline std::vector<uint8_t> ReadExactly(int fd, size_t count, int timeoutMs = 20000) {
  std::vector<uint8_t> data;
  while (data.size() < count) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) break;
    uint8_t buffer[4096];
    const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - data.size()));
    if (n <= 0) break;
    data.insert(data.end(), buffer, buffer + n);
  }
  return data;
}

inline bool WriteAll(int fd, const uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = write(fd, data + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, 1000);
        continue;
      }
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Opens a port link the way a serial application does: open, then a raw line by tcsetattr.
inline int OpenAsApplication(const std::string& path, speed_t speed = B115200,
                             bool twoStopBits = false, bool rtsCts = false) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct termios t {};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  if (twoStopBits) t.c_cflag |= CSTOPB;
  if (rtsCts) t.c_cflag |= CRTSCTS;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
  return fd;
}

inline std::vector<uint8_t> Pattern(size_t count, uint32_t seed) {
  std::vector<uint8_t> data(count);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 16);
  }
  return data;
}

}  // namespace vport::test
