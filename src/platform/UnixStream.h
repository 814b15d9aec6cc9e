// Small blocking-with-deadline helpers over non-blocking Unix-domain stream sockets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class UnixStream {
 public:
  // A non-blocking connected socket, or -1 with errno (ECONNREFUSED: nobody listens;
  // ENAMETOOLONG: the path does not fit a socket address).
  static int Connect(const std::string& path);
  // Reads exactly size bytes within timeoutMs. stopFd (optional) ends the wait when readable.
  static bool ReadExact(int fd, uint8_t* data, size_t size, int timeoutMs, int stopFd = -1);
  static bool WriteAll(int fd, const uint8_t* data, size_t size, int timeoutMs, int stopFd = -1);
  // True when the process at the other end of the connected socket fd runs as our effective
  // user (SO_PEERCRED); false when it does not, or when that cannot be read.
  static bool PeerIsOwnUser(int fd);
  // True when path fits sockaddr_un (with its terminating zero).
  static bool PathFits(const std::string& path);
};

}  // namespace platform
