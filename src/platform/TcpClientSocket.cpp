#include "platform/TcpClientSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

TcpClientSocket::~TcpClientSocket() {
  Close();
}

TcpClientSocket::ConnectState TcpClientSocket::StartConnect(const std::string& ipAddr,
                                                            uint16_t port) {
  Close();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (port == 0 || inet_pton(AF_INET, ipAddr.c_str(), &address.sin_addr) != 1) {
    lastError_ = EINVAL;
    return ConnectState::kFailed;
  }
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
  if (fd_ < 0) {
    lastError_ = errno;
    return ConnectState::kFailed;
  }
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return FinishConnect() == 0 ? ConnectState::kConnected : ConnectState::kFailed;
  }
  if (errno == EINPROGRESS) return ConnectState::kInProgress;
  lastError_ = errno;
  Close();
  return ConnectState::kFailed;
}

int TcpClientSocket::FinishConnect() {
  if (fd_ < 0) return lastError_ = EBADF;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  if (error == 0) {
    // Connected: from here on sends and receives block as the bridge expects.
    const int flags = fcntl(fd_, F_GETFL);
    if (flags < 0 || fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) error = errno;
  }
  if (error != 0) {
    lastError_ = error;
    Close();
  }
  return error;
}

bool TcpClientSocket::SetNoDelay() {
  const int on = 1;
  return fd_ >= 0 && setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

bool TcpClientSocket::SetKeepAlive(const KeepAlive& k) {
  if (fd_ < 0) return false;
  const int on = 1;
  // Without a user time-out, data that is never acknowledged would be retried for many minutes
  // and keepalive probes would not start while it waits.
  const unsigned userTimeout = k.UserTimeoutMs();
  return setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
         setsockopt(fd_, IPPROTO_TCP, TCP_KEEPIDLE, &k.idleS, sizeof k.idleS) == 0 &&
         setsockopt(fd_, IPPROTO_TCP, TCP_KEEPINTVL, &k.intervalS, sizeof k.intervalS) == 0 &&
         setsockopt(fd_, IPPROTO_TCP, TCP_KEEPCNT, &k.count, sizeof k.count) == 0 &&
         setsockopt(fd_, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout) == 0;
}

long TcpClientSocket::Send(const uint8_t* data, size_t len, int abortFd) {
  if (fd_ < 0) {
    lastError_ = EBADF;
    return -1;
  }
  // Without an abort descriptor the kernel does the waiting; with one, poll waits on both.
  const int flags = MSG_NOSIGNAL | (abortFd >= 0 ? MSG_DONTWAIT : 0);
  size_t done = 0;
  while (done < len) {
    const ssize_t n = send(fd_, data + done, len - done, flags);
    if (n >= 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (abortFd < 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      lastError_ = errno;
      return -1;
    }
    if (const int error = WaitForRoom(abortFd); error != 0) {
      lastError_ = error;
      return -1;
    }
  }
  return static_cast<long>(len);
}

long TcpClientSocket::SendNow(const uint8_t* data, size_t len) {
  if (fd_ < 0) {
    lastError_ = EBADF;
    return -1;
  }
  for (;;) {
    const ssize_t n = send(fd_, data, len, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    lastError_ = errno;
    return -1;
  }
}

// 0 once the socket may take more (or has an error the next send reports), else ECANCELED when
// abortFd turned readable, or the errno value of a failed poll.
int TcpClientSocket::WaitForRoom(int abortFd) const {
  for (;;) {
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {abortFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (fds[1].revents != 0) return ECANCELED;
    if (fds[0].revents != 0) return 0;
  }
}

TcpClientSocket::Received TcpClientSocket::Receive(uint8_t* data, size_t capacity, bool wait) {
  if (fd_ < 0) return {-1, EBADF};
  for (;;) {
    const ssize_t n = recv(fd_, data, capacity, wait ? 0 : MSG_DONTWAIT);
    if (n >= 0) return {static_cast<long>(n), 0};
    if (errno == EINTR) continue;
    if (!wait && (errno == EAGAIN || errno == EWOULDBLOCK)) return {0, 0, true};
    return {-1, errno};
  }
}

void TcpClientSocket::Shutdown() {
  if (fd_ >= 0) shutdown(fd_, SHUT_RDWR);
}

void TcpClientSocket::ShutdownSend() {
  if (fd_ >= 0) shutdown(fd_, SHUT_WR);
}

void TcpClientSocket::Swap(TcpClientSocket& other) {
  std::swap(fd_, other.fd_);
  std::swap(lastError_, other.lastError_);
}

void TcpClientSocket::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

uint16_t TcpClientSocket::ParsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return 0;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535 ? static_cast<uint16_t>(value) : 0;
}

}  // namespace platform
