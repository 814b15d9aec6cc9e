// The kernel's sockets behind DatagramSockets.
#pragma once

#include "platform/DatagramSockets.h"

namespace platform {

class SystemDatagramSockets : public DatagramSockets {
 public:
  // The process-wide instance, the default of every engine.
  static SystemDatagramSockets& Instance();

  int Open(int domain, int type, int protocol) override;
  int Bind(int fd, const sockaddr* address, socklen_t size) override;
  int SetNonBlocking(int fd) override;
  int SetOption(int fd, int level, int name, const void* value, socklen_t size) override;
  int GetOption(int fd, int level, int name, void* value, socklen_t* size) override;
  ssize_t SendTo(int fd, const void* data, size_t length, int flags, const sockaddr* to,
                 socklen_t toSize) override;
  ssize_t ReceiveFrom(int fd, void* buffer, size_t size, int flags, sockaddr* from,
                      socklen_t* fromSize) override;
  int ReceiveMany(int fd, mmsghdr* messages, unsigned count, int flags) override;
  int Shutdown(int fd, int how) override;
  int Close(int fd) override;
};

}  // namespace platform
