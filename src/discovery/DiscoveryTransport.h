// The datagram calls of a discovery exchange behind one interface, so that an engine runs over
// the real sockets or over a scripted network in tests.
#pragma once

#include <cstddef>

namespace discovery {

class SocketWatcher;

class DiscoveryTransport {
 public:
  virtual ~DiscoveryTransport() = default;
  // 0, or 1 on failure (*socket may still hold a descriptor that Close must release).
  virtual int Create(int* socket, SocketWatcher* watcher) = 0;
  // IP_MULTICAST_TTL; 0 or an errno value.
  virtual int SetMulticastTtl(int socket, int hops) = 0;
  // To the discovery port of address: 0 sent, 1 failed.
  virtual int Send(int socket, const char* address, const void* data, int length) = 0;
  // One waiting datagram: its length, or -1 when none waits.
  virtual int Receive(int socket, char* sender, size_t senderSize, void* buffer, int size) = 0;
  virtual void Close(int socket, SocketWatcher* watcher) = 0;
};

// The transport over the discovery socket functions.
DiscoveryTransport& SystemDiscoveryTransport();

}  // namespace discovery
