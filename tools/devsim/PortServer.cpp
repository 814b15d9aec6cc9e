#include "PortServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace devsim {

namespace {
constexpr size_t kMaxBuffered = 1 << 20;  // stop reading a side whose peer does not keep up
constexpr size_t kChunk = 16384;

int Listen(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -errno;
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  local.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::listen(fd, 128) != 0) {
    const int rc = errno;
    ::close(fd);
    return -rc;
  }
  return fd;
}
}  // namespace

PortServer::PortServer(const DeviceTable& table, int rawBase, int rfc2217Base)
    : table_(table), rawBase_(rawBase), rfc2217Base_(rfc2217Base) {}

PortServer::~PortServer() {
  for (auto& [fd, c] : connections_) ::close(fd);
  for (int fd : listeners_) {
    if (fd >= 0) ::close(fd);
  }
}

size_t PortServer::ServedPorts(const DeviceConfig& device) {
  return std::min(device.ports.size(), kMaxServedPorts);
}

int PortServer::Open(std::string* what) {
  size_t most = 0;
  for (size_t d = 0; d < table_.Size(); ++d) most = std::max(most, ServedPorts(table_.Device(d)));
  listeners_.assign(2 * kMaxServedPorts, -1);
  for (size_t i = 0; i < most; ++i) {
    for (int base : {rawBase_, rfc2217Base_}) {
      const int port = base + static_cast<int>(i);
      const int fd = Listen(port);
      if (fd < 0) {
        *what = "TCP port " + std::to_string(port);
        return -fd;
      }
      listeners_[(base == rawBase_ ? 0 : kMaxServedPorts) + i] = fd;
    }
  }
  for (size_t d = 0; d < table_.Size(); ++d) {
    const DeviceConfig& device = table_.Device(d);
    if (device.portMode != PortMode::kPty) continue;
    for (size_t p = 0; p < ServedPorts(device); ++p) {
      auto slot = std::make_unique<PtySlot>();
      if (const int rc = slot->pty.Open(); rc != 0) {
        *what = "pseudo-terminal of device " + std::to_string(d + 1);
        return rc;
      }
      ptys_[SlotKey(d, p)] = std::move(slot);
    }
  }
  return 0;
}

std::string PortServer::PtyPath(size_t device, size_t port) const {
  const auto found = ptys_.find(SlotKey(device, port));
  return found == ptys_.end() ? std::string() : found->second->pty.SlavePath();
}

void PortServer::PollFds(std::vector<pollfd>* fds) {
  // watches_ follows the order of the descriptors appended here; Service reads both side by side.
  watches_.clear();
  for (size_t i = 0; i < listeners_.size(); ++i) {
    if (listeners_[i] < 0) continue;
    fds->push_back({listeners_[i], POLLIN, 0});
    watches_.push_back({Kind::kListener, listeners_[i], i});
  }
  for (auto& [fd, c] : connections_) {
    short events = c.out.empty() ? 0 : POLLOUT;
    const auto slot = ptys_.find(SlotKey(c.device, c.port));
    const bool backedUp = slot != ptys_.end() ? slot->second->toPty.size() >= kMaxBuffered
                                              : c.out.size() >= kMaxBuffered;
    if (!backedUp) events |= POLLIN;
    fds->push_back({fd, events, 0});
    watches_.push_back({Kind::kConnection, fd, 0});
  }
  for (auto& [key, slot] : ptys_) {
    short events = slot->toPty.empty() ? 0 : POLLOUT;
    const auto owner = connections_.find(slot->owner);
    if (owner == connections_.end() || owner->second.out.size() < kMaxBuffered) events |= POLLIN;
    fds->push_back({slot->pty.MasterFd(), events, 0});
    watches_.push_back({Kind::kPty, slot->pty.MasterFd(), static_cast<size_t>(key)});
  }
}

void PortServer::Service(const pollfd* fds, size_t count) {
  const std::vector<Watch> watches = watches_;
  for (size_t i = 0; i < count && i < watches.size(); ++i) {
    const short revents = fds[i].revents;
    if (revents == 0) continue;
    const Watch& w = watches[i];
    if (w.kind == Kind::kListener) {
      Accept(w.index);
    } else if (w.kind == Kind::kConnection) {
      auto found = connections_.find(w.fd);
      if (found == connections_.end()) continue;
      if (revents & POLLOUT) WriteOut(found->second);
      found = connections_.find(w.fd);
      if (found != connections_.end() && (revents & (POLLIN | POLLHUP | POLLERR))) {
        Receive(found->second);
      }
    } else {
      const auto slot = ptys_.find(w.index);
      if (slot != ptys_.end()) PumpPty(*slot->second, revents);
    }
  }
}

void PortServer::Accept(size_t listener) {
  for (;;) {
    const int fd = ::accept4(listeners_[listener], nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    sockaddr_in local{};
    socklen_t size = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    const auto& devices = table_.AtAddress(ntohl(local.sin_addr.s_addr));
    const size_t port = listener % kMaxServedPorts;
    if (devices.empty() || port >= ServedPorts(table_.Device(devices.front()))) {
      ::close(fd);
      continue;
    }
    const size_t device = devices.front();
    const auto slot = ptys_.find(SlotKey(device, port));
    if (slot != ptys_.end()) {
      if (slot->second->owner >= 0) {  // the port is busy
        ::close(fd);
        continue;
      }
      slot->second->owner = fd;
    }
    Connection& c = connections_[fd];
    c.fd = fd;
    c.device = device;
    c.port = port;
    c.rfc2217 = listener >= kMaxServedPorts;
  }
}

void PortServer::Receive(Connection& c) {
  uint8_t buffer[kChunk];
  const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
    Close(c.fd);
    return;
  }
  if (n < 0) return;
  if (!c.rfc2217) {
    Deliver(c, buffer, static_cast<size_t>(n));
  } else {
    std::vector<uint8_t> data;
    std::vector<uint8_t> reply;
    c.telnet.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)), &data, &reply);
    c.out.insert(c.out.end(), reply.begin(), reply.end());
    Deliver(c, data.data(), data.size());
  }
  WriteOut(c);
}

// Data from the client: back to it (echo) or into the port's terminal.
void PortServer::Deliver(Connection& c, const uint8_t* data, size_t size) {
  if (size == 0) return;
  const auto slot = ptys_.find(SlotKey(c.device, c.port));
  if (slot != ptys_.end()) {
    slot->second->toPty.insert(slot->second->toPty.end(), data, data + size);
    PumpPty(*slot->second, POLLOUT);
    return;
  }
  if (c.rfc2217) {
    const auto escaped = Rfc2217Server::Escape(std::span<const uint8_t>(data, size));
    c.out.insert(c.out.end(), escaped.begin(), escaped.end());
  } else {
    c.out.insert(c.out.end(), data, data + size);
  }
}

void PortServer::WriteOut(Connection& c) {
  if (c.out.empty()) return;
  const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0) {
    if (errno != EAGAIN && errno != EINTR) Close(c.fd);
    return;
  }
  c.out.erase(c.out.begin(), c.out.begin() + n);
}

void PortServer::PumpPty(PtySlot& slot, short revents) {
  if ((revents & POLLOUT) && !slot.toPty.empty()) {
    const long n = slot.pty.Write(slot.toPty.data(), slot.toPty.size());
    if (n > 0) slot.toPty.erase(slot.toPty.begin(), slot.toPty.begin() + n);
  }
  if (!(revents & POLLIN)) return;
  uint8_t buffer[kChunk];
  const platform::PtyPair::Packet packet = slot.pty.Read(buffer, sizeof buffer);
  if (packet.dataBytes <= 0) return;  // a status byte (termios change) or nothing
  const auto owner = connections_.find(slot.owner);
  if (owner == connections_.end()) return;  // no client: the line's output goes nowhere
  Connection& c = owner->second;
  const std::span<const uint8_t> data(buffer, static_cast<size_t>(packet.dataBytes));
  if (c.rfc2217) {
    const auto escaped = Rfc2217Server::Escape(data);
    c.out.insert(c.out.end(), escaped.begin(), escaped.end());
  } else {
    c.out.insert(c.out.end(), data.begin(), data.end());
  }
  WriteOut(c);
}

void PortServer::Close(int fd) {
  const auto found = connections_.find(fd);
  if (found == connections_.end()) return;
  const auto slot = ptys_.find(SlotKey(found->second.device, found->second.port));
  if (slot != ptys_.end() && slot->second->owner == fd) {
    slot->second->owner = -1;
    slot->second->toPty.clear();
  }
  ::close(fd);
  connections_.erase(found);
}

}  // namespace devsim
