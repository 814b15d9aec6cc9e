// Readiness of a discovery socket, seen by a wait loop that polls the descriptors it watches. It
// stands where a window used to receive a socket notification message.
#pragma once

namespace discovery {

class SocketWatcher {
 public:
  virtual ~SocketWatcher() = default;
  // Starts watching socket for incoming datagrams. Returns 0, or an errno value on failure.
  virtual int Watch(int socket) = 0;
  // Stops watching socket; called before the socket is closed.
  virtual void Forget(int socket) = 0;
};

}  // namespace discovery
