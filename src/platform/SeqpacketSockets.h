// The calls of a local control socket: a SOCK_SEQPACKET Unix socket listening at a path, and the
// connections it takes. Behind an interface so that its server is tested with calls that fail and
// with peers of another user. Descriptors stay plain ints: the message loop polls them.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace platform {

class SeqpacketSockets {
 public:
  struct Listener {
    int fd = -1;
    ino_t inode = 0;  // of the socket bound, so that only ours is removed
  };

  virtual ~SeqpacketSockets() = default;

  // Listens at path, non-blocking and close-on-exec, the socket file given mode. A socket left at
  // path by an earlier run is replaced; anything else there is not ours (EEXIST); a path that does
  // not fit a socket address is ENAMETOOLONG. Returns 0 (listener filled in) or an errno value.
  virtual int Listen(const std::string& path, mode_t mode, int backlog, Listener* listener) = 0;
  // Closes the listener, and removes the socket at path while it is still the one it bound.
  virtual void Unlisten(const Listener& listener, const std::string& path) = 0;
  // accept4(2), the connection non-blocking and close-on-exec: a descriptor, or -1 with errno.
  virtual int Accept(int listenFd) = 0;
  // The user of the peer's process (SO_PEERCRED); false when it cannot be read.
  virtual bool PeerUid(int fd, uid_t* uid) = 0;
  // One packet without waiting, at most size bytes of it: the packet's true length (MSG_TRUNC),
  // 0 at the peer's close, or -1 with errno.
  virtual ssize_t Receive(int fd, void* buffer, size_t size) = 0;
  // One packet without waiting and without SIGPIPE: the bytes sent, or -1 with errno.
  virtual ssize_t Send(int fd, const void* data, size_t size) = 0;
  virtual int Close(int fd) = 0;
};

}  // namespace platform
