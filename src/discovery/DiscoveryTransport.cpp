#include "discovery/DiscoveryTransport.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "discovery/DiscoverySocket.h"

namespace discovery {
namespace {

class SocketTransport : public DiscoveryTransport {
 public:
  int Create(int* socket, SocketWatcher* watcher) override {
    return CreateDiscoverySocket(socket, watcher);
  }
  int SetMulticastTtl(int socket, int hops) override {
    const int ttl = hops;
    return ::setsockopt(socket, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) == 0 ? 0 : errno;
  }
  int Send(int socket, const char* address, const void* data, int length) override {
    return SendDiscoveryDatagram(socket, address, data, length);
  }
  int Receive(int socket, char* sender, size_t senderSize, void* buffer, int size) override {
    return ReceiveDatagramFrom(socket, sender, senderSize, buffer, size);
  }
  void Close(int socket, SocketWatcher* watcher) override { CloseDiscoverySocket(socket, watcher); }
};

}  // namespace

DiscoveryTransport& SystemDiscoveryTransport() {
  static SocketTransport transport;
  return transport;
}

}  // namespace discovery
