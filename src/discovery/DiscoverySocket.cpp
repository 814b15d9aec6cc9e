#include "discovery/DiscoverySocket.h"

#include <arpa/inet.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "discovery/DatagramBatch.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/SocketWatcher.h"

namespace discovery {
namespace {

std::atomic<int> g_discoveryPort{kDefaultDiscoveryPort};
std::atomic<int> g_receiveBuffer{kDefaultDiscoveryReceiveBuffer};

// A peer that keeps sending must not keep the closing thread reading for ever.
constexpr int kMaxDrainReads = 256;
constexpr size_t kDrainChunk = 1024;
// Datagrams asked of one recvmmsg call.
constexpr size_t kBatchCall = 64;

int Fail(unsigned message, int error) {
  ReportDiscoveryError(message, kErrorClassApp, static_cast<unsigned>(error), kErrorClassSockets,
                       1);
  return 1;
}

// Asks for the configured receive queue: past the system's limit when the process holds the right
// to, else up to that limit. Nothing here fails the socket; a small queue only loses replies of
// large bursts, which later rounds of an exchange make up for as far as they can.
void EnlargeReceiveBuffer(int fd, platform::DatagramSockets& sockets) {
  const int bytes = g_receiveBuffer.load();
  if (bytes <= 0) return;
  if (sockets.SetOption(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0) return;
  sockets.SetOption(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

void WriteSender(const sockaddr_in& peer, char* sender, size_t senderSize) {
  if (sender == nullptr || senderSize == 0) return;
  char text[INET_ADDRSTRLEN] = {};
  if (peer.sin_family != AF_INET ||
      ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text) == nullptr) {
    text[0] = '\0';
  }
  const size_t n = std::min(std::strlen(text), senderSize - 1);
  std::memcpy(sender, text, n);
  sender[n] = '\0';
}

}  // namespace

int CreateDiscoverySocket(int* socket, SocketWatcher* watcher, platform::DatagramSockets& sockets) {
  const int fd = sockets.Open(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  *socket = fd;
  if (fd < 0) return Fail(kMsgCannotCreateSocket, errno);

  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = 0;
  if (sockets.Bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return Fail(kMsgCannotBindSocket, errno);
  }

  const int on = 1;
  if (sockets.SetOption(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    return Fail(kMsgCannotSetBroadcast, errno);
  }
  EnlargeReceiveBuffer(fd, sockets);

  // Non-blocking, so that a receive with nothing waiting gives -1 at once; readiness is the
  // watcher's business.
  if (sockets.SetNonBlocking(fd) != 0) return Fail(kMsgCannotSetAsync, errno);
  if (watcher != nullptr) {
    const int error = watcher->Watch(fd);
    if (error != 0) return Fail(kMsgCannotSetAsync, error);
  }
  return 0;
}

int SendDatagramTo(int socket, const char* address, int port, const void* data, int length,
                   platform::DatagramSockets& sockets) {
  if (length < 0) return 0;
  if (socket < 0 || address == nullptr || port < 1 || port > 65535) return 1;
  if (data == nullptr && length > 0) return 1;

  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  // Strict dotted form only: a malformed text must not turn into some other address.
  if (::inet_pton(AF_INET, address, &peer.sin_addr) != 1) return 1;

  const ssize_t sent = sockets.SendTo(socket, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                                      reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
  return sent == length ? 0 : 1;
}

int SendDiscoveryDatagram(int socket, const char* address, const void* data, int length,
                          platform::DatagramSockets& sockets) {
  return SendDatagramTo(socket, address, DiscoveryPort(), data, length, sockets);
}

int ReceiveDatagramFrom(int socket, char* sender, size_t senderSize, void* buffer, int size,
                        platform::DatagramSockets& sockets) {
  if (socket < 0 || buffer == nullptr || size < 0) return -1;
  sockaddr_in peer{};
  socklen_t peerSize = sizeof peer;
  const ssize_t received =
      sockets.ReceiveFrom(socket, buffer, static_cast<size_t>(size), MSG_DONTWAIT,
                          reinterpret_cast<sockaddr*>(&peer), &peerSize);
  if (received < 0) return -1;
  WriteSender(peer, sender, senderSize);
  return static_cast<int>(received);
}

int ReceiveDatagramBatch(int socket, DatagramBatch& batch, size_t max,
                         platform::DatagramSockets& sockets) {
  if (socket < 0) return 0;
  size_t taken = 0;
  const size_t want = std::min(max, batch.Room());
  while (taken < want) {
    const size_t count = std::min(want - taken, kBatchCall);
    const size_t first = batch.Size();
    batch.Reserve(count);
    mmsghdr messages[kBatchCall] = {};
    iovec slots[kBatchCall];
    sockaddr_in peers[kBatchCall] = {};
    for (size_t i = 0; i < count; ++i) {
      slots[i] = {batch.Slot(first + i), DatagramBatch::kSlotSize};
      messages[i].msg_hdr.msg_iov = &slots[i];
      messages[i].msg_hdr.msg_iovlen = 1;
      messages[i].msg_hdr.msg_name = &peers[i];
      messages[i].msg_hdr.msg_namelen = sizeof peers[i];
    }
    const int received =
        sockets.ReceiveMany(socket, messages, static_cast<unsigned>(count), MSG_DONTWAIT);
    if (received <= 0) break;
    for (int i = 0; i < received; ++i) {
      WriteSender(peers[i], batch.SenderSlot(first + static_cast<size_t>(i)),
                  DatagramBatch::kSenderSize);
      batch.Commit(messages[i].msg_len);
    }
    taken += static_cast<size_t>(received);
    if (static_cast<size_t>(received) < count) break;  // the queue is empty
  }
  return static_cast<int>(taken);
}

int DiscoveryReceiveBufferSize(int socket, platform::DatagramSockets& sockets) {
  int bytes = 0;
  socklen_t size = sizeof bytes;
  if (socket < 0 || sockets.GetOption(socket, SOL_SOCKET, SO_RCVBUF, &bytes, &size) != 0) {
    return -1;
  }
  return bytes;
}

long long DiscoveryDroppedDatagrams(int socket, platform::DatagramSockets& sockets) {
  uint32_t info[SK_MEMINFO_VARS] = {};
  socklen_t size = sizeof info;
  if (socket < 0 || sockets.GetOption(socket, SOL_SOCKET, SO_MEMINFO, info, &size) != 0 ||
      size < sizeof(uint32_t) * (SK_MEMINFO_DROPS + 1)) {
    return -1;
  }
  return info[SK_MEMINFO_DROPS];
}

void CloseDiscoverySocket(int socket, SocketWatcher* watcher, platform::DatagramSockets& sockets) {
  if (socket < 0) return;
  if (watcher != nullptr) watcher->Forget(socket);
  sockets.Shutdown(socket, SHUT_WR);  // fails harmlessly on an unconnected datagram socket

  char discard[kDrainChunk];
  for (int i = 0; i < kMaxDrainReads; ++i) {
    if (sockets.ReceiveFrom(socket, discard, sizeof discard, MSG_DONTWAIT, nullptr, nullptr) <= 0) {
      break;
    }
  }

  const linger soft{0, 1};
  sockets.SetOption(socket, SOL_SOCKET, SO_LINGER, &soft, sizeof soft);
  // One close only: Linux releases the descriptor even when close reports an error, and a second
  // close could hit a descriptor that another thread has opened meanwhile.
  sockets.Close(socket);
}

bool SetDiscoveryPort(int port) {
  if (port < 1 || port > 65535) return false;
  g_discoveryPort.store(port);
  return true;
}

int DiscoveryPort() {
  return g_discoveryPort.load();
}

bool SetDiscoveryReceiveBuffer(int bytes) {
  if (bytes < 0) return false;
  g_receiveBuffer.store(bytes);
  return true;
}

int DiscoveryReceiveBuffer() {
  return g_receiveBuffer.load();
}

}  // namespace discovery
