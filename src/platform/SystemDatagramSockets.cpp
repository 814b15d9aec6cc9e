#include "platform/SystemDatagramSockets.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

SystemDatagramSockets& SystemDatagramSockets::Instance() {
  static SystemDatagramSockets sockets;
  return sockets;
}

int SystemDatagramSockets::Open(int domain, int type, int protocol) {
  return ::socket(domain, type, protocol);
}

int SystemDatagramSockets::Bind(int fd, const sockaddr* address, socklen_t size) {
  return ::bind(fd, address, size);
}

int SystemDatagramSockets::SetNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 ? 0 : -1;
}

int SystemDatagramSockets::SetOption(int fd, int level, int name, const void* value,
                                     socklen_t size) {
  return ::setsockopt(fd, level, name, value, size);
}

int SystemDatagramSockets::GetOption(int fd, int level, int name, void* value, socklen_t* size) {
  return ::getsockopt(fd, level, name, value, size);
}

ssize_t SystemDatagramSockets::SendTo(int fd, const void* data, size_t length, int flags,
                                      const sockaddr* to, socklen_t toSize) {
  return ::sendto(fd, data, length, flags, to, toSize);
}

ssize_t SystemDatagramSockets::ReceiveFrom(int fd, void* buffer, size_t size, int flags,
                                           sockaddr* from, socklen_t* fromSize) {
  return ::recvfrom(fd, buffer, size, flags, from, fromSize);
}

int SystemDatagramSockets::ReceiveMany(int fd, mmsghdr* messages, unsigned count, int flags) {
  return ::recvmmsg(fd, messages, count, flags, nullptr);
}

int SystemDatagramSockets::Shutdown(int fd, int how) {
  return ::shutdown(fd, how);
}

int SystemDatagramSockets::Close(int fd) {
  return ::close(fd);
}

}  // namespace platform
