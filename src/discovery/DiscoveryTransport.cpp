#include "discovery/DiscoveryTransport.h"

#include <netinet/in.h>

#include <algorithm>
#include <cerrno>

#include "discovery/DatagramBatch.h"
#include "discovery/DiscoverySocket.h"

namespace discovery {
namespace {

class SocketTransport : public DiscoveryTransport {
 public:
  explicit SocketTransport(platform::DatagramSockets& sockets) : sockets_(sockets) {}

  int Create(int* socket, SocketWatcher* watcher) override {
    return CreateDiscoverySocket(socket, watcher, sockets_);
  }
  int SetMulticastTtl(int socket, int hops) override {
    const int ttl = hops;
    return sockets_.SetOption(socket, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) == 0 ? 0
                                                                                           : errno;
  }
  int Send(int socket, const char* address, const void* data, int length) override {
    return SendDiscoveryDatagram(socket, address, data, length, sockets_);
  }
  int Receive(int socket, char* sender, size_t senderSize, void* buffer, int size) override {
    return ReceiveDatagramFrom(socket, sender, senderSize, buffer, size, sockets_);
  }
  void Close(int socket, SocketWatcher* watcher) override {
    CloseDiscoverySocket(socket, watcher, sockets_);
  }
  int ReceiveBatch(int socket, DatagramBatch& batch, size_t max) override {
    return ReceiveDatagramBatch(socket, batch, max, sockets_);
  }
  long long Dropped(int socket) override { return DiscoveryDroppedDatagrams(socket, sockets_); }
  int ReceiveBufferSize(int socket) override {
    return DiscoveryReceiveBufferSize(socket, sockets_);
  }

 private:
  platform::DatagramSockets& sockets_;
};

}  // namespace

int DiscoveryTransport::ReceiveBatch(int socket, DatagramBatch& batch, size_t max) {
  const size_t want = std::min(max, batch.Room());
  size_t taken = 0;
  while (taken < want) {
    batch.Reserve(1);
    const size_t at = batch.Size();
    const int length = Receive(socket, batch.SenderSlot(at), DatagramBatch::kSenderSize,
                               batch.Slot(at), static_cast<int>(DatagramBatch::kSlotSize));
    if (length < 0) break;
    batch.Commit(static_cast<size_t>(length));
    ++taken;
  }
  return static_cast<int>(taken);
}

DiscoveryTransport& SystemDiscoveryTransport() {
  static SocketTransport transport(platform::SystemDatagramSockets::Instance());
  return transport;
}

std::unique_ptr<DiscoveryTransport> MakeDiscoveryTransport(platform::DatagramSockets& sockets) {
  return std::make_unique<SocketTransport>(sockets);
}

}  // namespace discovery
