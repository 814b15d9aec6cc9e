// The datagram calls of a discovery exchange behind one interface, so that an engine runs over
// the real sockets or over a scripted network in tests.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/DatagramSockets.h"

namespace discovery {

class DatagramBatch;
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

  // Up to max waiting datagrams into batch: how many were taken, 0 when none waits. By default
  // one Receive after another.
  virtual int ReceiveBatch(int socket, DatagramBatch& batch, size_t max);
  // Datagrams lost before they could be received since the socket was made, or -1 when unknown.
  virtual long long Dropped(int /*socket*/) { return -1; }
  // The receive queue in bytes, or -1 when unknown.
  virtual int ReceiveBufferSize(int /*socket*/) { return -1; }
};

// The transport over the discovery socket functions and the kernel's sockets.
DiscoveryTransport& SystemDiscoveryTransport();
// The same over other sockets (a fake, in tests); sockets must outlive it.
std::unique_ptr<DiscoveryTransport> MakeDiscoveryTransport(platform::DatagramSockets& sockets);

}  // namespace discovery
