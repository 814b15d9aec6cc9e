// The kernel's sockets behind SeqpacketSockets.
#pragma once

#include "platform/SeqpacketSockets.h"

namespace platform {

class SystemSeqpacketSockets : public SeqpacketSockets {
 public:
  // The process-wide instance, the default of every control server.
  static SystemSeqpacketSockets& Instance();

  int Listen(const std::string& path, mode_t mode, int backlog, Listener* listener) override;
  void Unlisten(const Listener& listener, const std::string& path) override;
  int Accept(int listenFd) override;
  bool PeerUid(int fd, uid_t* uid) override;
  ssize_t Receive(int fd, void* buffer, size_t size) override;
  ssize_t Send(int fd, const void* data, size_t size) override;
  int Close(int fd) override;
};

}  // namespace platform
