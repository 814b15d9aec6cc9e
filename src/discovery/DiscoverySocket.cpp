#include "discovery/DiscoverySocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "discovery/DiscoveryErrors.h"
#include "discovery/SocketWatcher.h"

namespace discovery {
namespace {

std::atomic<int> g_discoveryPort{kDefaultDiscoveryPort};

// A peer that keeps sending must not keep the closing thread reading for ever.
constexpr int kMaxDrainReads = 256;
constexpr size_t kDrainChunk = 1024;

int Fail(unsigned message, int error) {
  ReportDiscoveryError(message, kErrorClassApp, static_cast<unsigned>(error), kErrorClassSockets,
                       1);
  return 1;
}

bool SetNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

int CreateDiscoverySocket(int* socket, SocketWatcher* watcher) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  *socket = fd;
  if (fd < 0) return Fail(kMsgCannotCreateSocket, errno);

  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = 0;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return Fail(kMsgCannotBindSocket, errno);
  }

  const int on = 1;
  if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    return Fail(kMsgCannotSetBroadcast, errno);
  }

  // Non-blocking, so that a receive with nothing waiting gives -1 at once; readiness is the
  // watcher's business.
  if (!SetNonBlocking(fd)) return Fail(kMsgCannotSetAsync, errno);
  if (watcher != nullptr) {
    const int error = watcher->Watch(fd);
    if (error != 0) return Fail(kMsgCannotSetAsync, error);
  }
  return 0;
}

int SendDatagramTo(int socket, const char* address, int port, const void* data, int length) {
  if (length < 0) return 0;
  if (socket < 0 || address == nullptr || port < 1 || port > 65535) return 1;
  if (data == nullptr && length > 0) return 1;

  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  // Strict dotted form only: a malformed text must not turn into some other address.
  if (::inet_pton(AF_INET, address, &peer.sin_addr) != 1) return 1;

  const ssize_t sent = ::sendto(socket, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  return sent == length ? 0 : 1;
}

int SendDiscoveryDatagram(int socket, const char* address, const void* data, int length) {
  return SendDatagramTo(socket, address, DiscoveryPort(), data, length);
}

int ReceiveDatagramFrom(int socket, char* sender, size_t senderSize, void* buffer, int size) {
  if (socket < 0 || buffer == nullptr || size < 0) return -1;
  sockaddr_in peer{};
  socklen_t peerSize = sizeof peer;
  const ssize_t received = ::recvfrom(socket, buffer, static_cast<size_t>(size), MSG_DONTWAIT,
                                      reinterpret_cast<sockaddr*>(&peer), &peerSize);
  if (received < 0) return -1;
  if (sender != nullptr && senderSize > 0) {
    char text[INET_ADDRSTRLEN] = {};
    if (peer.sin_family != AF_INET ||
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text) == nullptr) {
      text[0] = '\0';
    }
    const size_t n = std::min(std::strlen(text), senderSize - 1);
    std::memcpy(sender, text, n);
    sender[n] = '\0';
  }
  return static_cast<int>(received);
}

void CloseDiscoverySocket(int socket, SocketWatcher* watcher) {
  if (socket < 0) return;
  if (watcher != nullptr) watcher->Forget(socket);
  ::shutdown(socket, SHUT_WR);  // fails harmlessly on an unconnected datagram socket

  char discard[kDrainChunk];
  for (int i = 0; i < kMaxDrainReads; ++i) {
    if (::recv(socket, discard, sizeof discard, MSG_DONTWAIT) <= 0) break;
  }

  const linger soft{0, 1};
  ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &soft, sizeof soft);
  // One close only: Linux releases the descriptor even when close reports an error, and a second
  // close could hit a descriptor that another thread has opened meanwhile.
  ::close(socket);
}

bool SetDiscoveryPort(int port) {
  if (port < 1 || port > 65535) return false;
  g_discoveryPort.store(port);
  return true;
}

int DiscoveryPort() {
  return g_discoveryPort.load();
}

}  // namespace discovery
