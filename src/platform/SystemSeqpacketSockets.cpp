#include "platform/SystemSeqpacketSockets.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

SystemSeqpacketSockets& SystemSeqpacketSockets::Instance() {
  static SystemSeqpacketSockets sockets;
  return sockets;
}

int SystemSeqpacketSockets::Listen(const std::string& path, mode_t mode, int backlog,
                                   Listener* listener) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return ENAMETOOLONG;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return EEXIST;
    unlink(path.c_str());  // left by an earlier run: nobody answers on it any more
  }
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return errno;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      chmod(path.c_str(), mode) != 0 || lstat(path.c_str(), &st) != 0 || listen(fd, backlog) != 0) {
    const int error = errno;
    close(fd);
    return error;
  }
  listener->fd = fd;
  listener->inode = st.st_ino;
  return 0;
}

void SystemSeqpacketSockets::Unlisten(const Listener& listener, const std::string& path) {
  close(listener.fd);
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == listener.inode) {
    unlink(path.c_str());
  }
}

int SystemSeqpacketSockets::Accept(int listenFd) {
  return accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

bool SystemSeqpacketSockets::PeerUid(int fd, uid_t* uid) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer) {
    return false;
  }
  *uid = peer.uid;
  return true;
}

ssize_t SystemSeqpacketSockets::Receive(int fd, void* buffer, size_t size) {
  return recv(fd, buffer, size, MSG_TRUNC | MSG_DONTWAIT);
}

ssize_t SystemSeqpacketSockets::Send(int fd, const void* data, size_t size) {
  return send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}

int SystemSeqpacketSockets::Close(int fd) {
  return close(fd);
}

}  // namespace platform
