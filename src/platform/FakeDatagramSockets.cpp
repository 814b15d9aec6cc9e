#include "platform/FakeDatagramSockets.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

void FakeDatagramSockets::FailNext(Call call, int error, int times) {
  faults_.FailNext(call, error, times);
}

void FakeDatagramSockets::RefuseOption(int level, int name, int error) {
  std::lock_guard lock(mutex_);
  refusedOptions_[{level, name}] = error;
}

void FakeDatagramSockets::Deliver(int fd, const std::string& address, uint16_t port,
                                  std::vector<uint8_t> bytes) {
  Datagram datagram;
  datagram.fd = fd;
  auto* peer = reinterpret_cast<sockaddr_in*>(&datagram.peer);
  peer->sin_family = AF_INET;
  peer->sin_port = htons(port);
  ::inet_pton(AF_INET, address.c_str(), &peer->sin_addr);
  datagram.peerSize = sizeof(sockaddr_in);
  datagram.bytes = std::move(bytes);
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  if (it != sockets_.end()) it->second.queue.push_back(std::move(datagram));
}

void FakeDatagramSockets::OnSend(std::function<void(const Datagram&)> script) {
  std::lock_guard lock(mutex_);
  script_ = std::move(script);
}

std::vector<FakeDatagramSockets::Datagram> FakeDatagramSockets::Sent() const {
  std::lock_guard lock(mutex_);
  return sent_;
}

size_t FakeDatagramSockets::Waiting(int fd) const {
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  return it == sockets_.end() ? 0 : it->second.queue.size();
}

bool FakeDatagramSockets::IsOpen(int fd) const {
  std::lock_guard lock(mutex_);
  return sockets_.count(fd) != 0;
}

size_t FakeDatagramSockets::OpenCount() const {
  std::lock_guard lock(mutex_);
  return sockets_.size();
}

int FakeDatagramSockets::Calls(Call call) const {
  return faults_.Calls(call);
}

bool FakeDatagramSockets::NonBlocking(int fd) const {
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  return it != sockets_.end() && it->second.nonBlocking;
}

std::optional<int> FakeDatagramSockets::IntOption(int fd, int level, int name) const {
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  if (it == sockets_.end()) return std::nullopt;
  const auto option = it->second.options.find({level, name});
  if (option == it->second.options.end() || option->second.size() != sizeof(int)) {
    return std::nullopt;
  }
  int value = 0;
  std::memcpy(&value, option->second.data(), sizeof value);
  return value;
}

std::optional<uint16_t> FakeDatagramSockets::BoundPort(int fd) const {
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  return it == sockets_.end() ? std::nullopt : it->second.boundPort;
}

std::optional<int> FakeDatagramSockets::ShutdownHow(int fd) const {
  std::lock_guard lock(mutex_);
  const auto it = sockets_.find(fd);
  return it == sockets_.end() ? std::nullopt : it->second.shutdownHow;
}

std::string FakeDatagramSockets::PeerAddress(const Datagram& datagram) {
  const auto* peer = reinterpret_cast<const sockaddr_in*>(&datagram.peer);
  char text[INET_ADDRSTRLEN] = {};
  if (peer->sin_family != AF_INET || !::inet_ntop(AF_INET, &peer->sin_addr, text, sizeof text)) {
    return {};
  }
  return text;
}

uint16_t FakeDatagramSockets::PeerPort(const Datagram& datagram) {
  return ntohs(reinterpret_cast<const sockaddr_in*>(&datagram.peer)->sin_port);
}

bool FakeDatagramSockets::Refuse(Call call, int fd) {
  if (const int error = faults_.Fault(call); error != 0) {
    errno = error;
    return true;
  }
  if (call != Call::kOpen && sockets_.count(fd) == 0) {
    errno = EBADF;
    return true;
  }
  return false;
}

int FakeDatagramSockets::Open(int /*domain*/, int type, int /*protocol*/) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kOpen, -1)) return -1;
  const int fd = nextFd_++;
  sockets_[fd].nonBlocking = (type & SOCK_NONBLOCK) != 0;
  return fd;
}

int FakeDatagramSockets::Bind(int fd, const sockaddr* address, socklen_t size) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kBind, fd)) return -1;
  uint16_t port = 0;
  if (address != nullptr && size >= sizeof(sockaddr_in) && address->sa_family == AF_INET) {
    port = ntohs(reinterpret_cast<const sockaddr_in*>(address)->sin_port);
  }
  sockets_[fd].boundPort = port;
  return 0;
}

int FakeDatagramSockets::SetNonBlocking(int fd) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kSetNonBlocking, fd)) return -1;
  sockets_[fd].nonBlocking = true;
  return 0;
}

int FakeDatagramSockets::SetOption(int fd, int level, int name, const void* value, socklen_t size) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kSetOption, fd)) return -1;
  const auto refused = refusedOptions_.find({level, name});
  if (refused != refusedOptions_.end()) {
    errno = refused->second;
    return -1;
  }
  const auto* bytes = static_cast<const uint8_t*>(value);
  sockets_[fd].options[{level, name}].assign(bytes, bytes + size);
  return 0;
}

int FakeDatagramSockets::GetOption(int fd, int level, int name, void* value, socklen_t* size) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kGetOption, fd)) return -1;
  const auto& options = sockets_[fd].options;
  const auto option = options.find({level, name});
  if (option == options.end()) {
    errno = ENOPROTOOPT;
    return -1;
  }
  const size_t n = std::min(static_cast<size_t>(*size), option->second.size());
  std::memcpy(value, option->second.data(), n);
  *size = static_cast<socklen_t>(n);
  return 0;
}

ssize_t FakeDatagramSockets::SendTo(int fd, const void* data, size_t length, int /*flags*/,
                                    const sockaddr* to, socklen_t toSize) {
  Datagram datagram;
  std::function<void(const Datagram&)> script;
  {
    std::lock_guard lock(mutex_);
    if (Refuse(Call::kSendTo, fd)) return -1;
    datagram.fd = fd;
    if (to != nullptr) {
      datagram.peerSize = std::min(toSize, static_cast<socklen_t>(sizeof datagram.peer));
      std::memcpy(&datagram.peer, to, datagram.peerSize);
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    datagram.bytes.assign(bytes, bytes + length);
    sent_.push_back(datagram);
    script = script_;
  }
  if (script) script(datagram);
  return static_cast<ssize_t>(length);
}

ssize_t FakeDatagramSockets::ReceiveFrom(int fd, void* buffer, size_t size, int flags,
                                         sockaddr* from, socklen_t* fromSize) {
  std::lock_guard lock(mutex_);
  return ReceiveLocked(fd, buffer, size, flags, from, fromSize);
}

ssize_t FakeDatagramSockets::ReceiveLocked(int fd, void* buffer, size_t size, int flags,
                                           sockaddr* from, socklen_t* fromSize) {
  if (Refuse(Call::kReceive, fd)) return -1;
  auto& queue = sockets_[fd].queue;
  if (queue.empty()) {
    errno = EAGAIN;
    return -1;
  }
  const Datagram datagram = std::move(queue.front());
  queue.pop_front();
  // Like the kernel: a longer datagram is cut, and its rest is lost.
  std::memcpy(buffer, datagram.bytes.data(), std::min(size, datagram.bytes.size()));
  if (from != nullptr && fromSize != nullptr) {
    std::memcpy(from, &datagram.peer, std::min(*fromSize, datagram.peerSize));
    *fromSize = datagram.peerSize;
  }
  const size_t length =
      (flags & MSG_TRUNC) != 0 ? datagram.bytes.size() : std::min(size, datagram.bytes.size());
  return static_cast<ssize_t>(length);
}

int FakeDatagramSockets::ReceiveMany(int fd, mmsghdr* messages, unsigned count, int flags) {
  std::lock_guard lock(mutex_);
  unsigned taken = 0;
  for (; taken < count; ++taken) {
    msghdr& header = messages[taken].msg_hdr;
    void* base = header.msg_iovlen > 0 ? header.msg_iov[0].iov_base : nullptr;
    const size_t size = header.msg_iovlen > 0 ? header.msg_iov[0].iov_len : 0;
    const ssize_t n = ReceiveLocked(fd, base, size, flags, static_cast<sockaddr*>(header.msg_name),
                                    &header.msg_namelen);
    if (n < 0) break;
    messages[taken].msg_len = static_cast<unsigned>(n);
  }
  return taken > 0 ? static_cast<int>(taken) : -1;
}

int FakeDatagramSockets::Shutdown(int fd, int how) {
  std::lock_guard lock(mutex_);
  if (Refuse(Call::kShutdown, fd)) return -1;
  sockets_[fd].shutdownHow = how;
  return 0;
}

int FakeDatagramSockets::Close(int fd) {
  std::lock_guard lock(mutex_);
  // Like Linux, the descriptor is released even when close reports an error.
  const bool refused = Refuse(Call::kClose, fd);
  sockets_.erase(fd);
  return refused ? -1 : 0;
}

}  // namespace platform
