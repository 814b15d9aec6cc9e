// The socket calls of the UDP (and IPX) engines, behind an interface so that discovery and SNMP
// run over the kernel's sockets or over FakeDatagramSockets in tests. Descriptors stay plain ints:
// the wait loops poll them. Every call has the result convention of the system call it stands
// for: -1 with errno set on failure.
#pragma once

#include <sys/socket.h>
#include <sys/types.h>

#include <cstddef>

namespace platform {

class DatagramSockets {
 public:
  virtual ~DatagramSockets() = default;

  // socket(2); type carries its SOCK_NONBLOCK / SOCK_CLOEXEC flags.
  virtual int Open(int domain, int type, int protocol) = 0;
  virtual int Bind(int fd, const sockaddr* address, socklen_t size) = 0;
  // Sets O_NONBLOCK on fd: 0, or -1.
  virtual int SetNonBlocking(int fd) = 0;
  virtual int SetOption(int fd, int level, int name, const void* value, socklen_t size) = 0;
  virtual int GetOption(int fd, int level, int name, void* value, socklen_t* size) = 0;
  virtual ssize_t SendTo(int fd, const void* data, size_t length, int flags, const sockaddr* to,
                         socklen_t toSize) = 0;
  // recvfrom(2); from and fromSize may be null (recv).
  virtual ssize_t ReceiveFrom(int fd, void* buffer, size_t size, int flags, sockaddr* from,
                              socklen_t* fromSize) = 0;
  // recvmmsg(2) without a time-out.
  virtual int ReceiveMany(int fd, mmsghdr* messages, unsigned count, int flags) = 0;
  virtual int Shutdown(int fd, int how) = 0;
  virtual int Close(int fd) = 0;
};

}  // namespace platform
