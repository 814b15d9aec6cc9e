#include "platform/UnixStream.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SystemClock.h"

namespace platform {

namespace {

// Waits for events on fd until the deadline; false on time-out, stop or failure.
bool WaitFor(int fd, short events, uint32_t start, int timeoutMs, int stopFd) {
  Clock& clock = SystemClock::Instance();
  for (;;) {
    const uint32_t elapsed = Clock::Elapsed(start, clock.TickCount());
    if (elapsed >= static_cast<uint32_t>(timeoutMs)) return false;
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const int n = poll(fds, stopFd >= 0 ? 2 : 1, timeoutMs - static_cast<int>(elapsed));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    if (stopFd >= 0 && fds[1].revents != 0) return false;
    return true;  // ready, or an error the next call will report
  }
}

}  // namespace

bool UnixStream::PeerIsOwnUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
         peer.uid == geteuid();
}

bool UnixStream::PathFits(const std::string& path) {
  return !path.empty() && path.size() < sizeof(sockaddr_un{}.sun_path);
}

int UnixStream::Connect(const std::string& path) {
  if (!PathFits(path)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    // A full backlog (EAGAIN) counts as no answer as well.
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

bool UnixStream::ReadExact(int fd, uint8_t* data, size_t size, int timeoutMs, int stopFd) {
  const uint32_t start = SystemClock::Instance().TickCount();
  size_t done = 0;
  while (done < size) {
    const ssize_t n = recv(fd, data + done, size - done, 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n == 0) return false;  // closed before the whole message came
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!WaitFor(fd, POLLIN, start, timeoutMs, stopFd)) return false;
  }
  return true;
}

bool UnixStream::WriteAll(int fd, const uint8_t* data, size_t size, int timeoutMs, int stopFd) {
  const uint32_t start = SystemClock::Instance().TickCount();
  size_t done = 0;
  while (done < size) {
    const ssize_t n = send(fd, data + done, size - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!WaitFor(fd, POLLOUT, start, timeoutMs, stopFd)) return false;
  }
  return true;
}

}  // namespace platform
