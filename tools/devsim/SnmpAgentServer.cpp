#include "SnmpAgentServer.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "SnmpAgent.h"
#include "platform/SystemClock.h"

namespace devsim {

namespace {

constexpr size_t kMaxDatagram = 65536;
// Answers still due when the queue is this long are dropped: a flood must not grow it forever.
constexpr size_t kMaxQueued = 4096;

}  // namespace

SnmpAgentServer::~SnmpAgentServer() {
  Stop();
  if (fd_ >= 0) close(fd_);
}

bool SnmpAgentServer::Open(const std::string& address, uint16_t port) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
      bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  socklen_t size = sizeof local;
  getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
  port_ = ntohs(local.sin_port);
  return true;
}

void SnmpAgentServer::Service(uint32_t nowMs) {
  ReadRequests(nowMs);
  SendDue(nowMs);
}

void SnmpAgentServer::ReadRequests(uint32_t nowMs) {
  if (fd_ < 0) return;
  std::vector<uint8_t> buffer(kMaxDatagram);
  for (;;) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t n =
        recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    std::vector<uint8_t> answer = agent_.Answer(buffer.data(), static_cast<size_t>(n));
    if (answer.empty() || queue_.size() >= kMaxQueued) continue;
    queue_.push_back(Pending{nowMs + agent_.Config().delayMs, hold_, from, std::move(answer)});
  }
}

void SnmpAgentServer::SendDue(uint32_t nowMs) {
  if (release_) {
    for (Pending& p : queue_) p.held = false;
    release_ = false;
  }
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (it->held || static_cast<int32_t>(nowMs - it->dueMs) < 0) {
      ++it;
      continue;
    }
    sendto(fd_, it->bytes.data(), it->bytes.size(), MSG_NOSIGNAL,
           reinterpret_cast<const sockaddr*>(&it->to), sizeof it->to);
    sent_.fetch_add(1);
    it = queue_.erase(it);
  }
}

int SnmpAgentServer::MsUntilDue(uint32_t nowMs) const {
  int soonest = -1;
  for (const Pending& p : queue_) {
    if (p.held && !release_) continue;
    const int32_t left = static_cast<int32_t>(p.dueMs - nowMs);
    const int ms = left < 0 ? 0 : left;
    if (soonest < 0 || ms < soonest) soonest = ms;
  }
  return soonest;
}

void SnmpAgentServer::ReleaseHeld() {
  release_ = true;
}

bool SnmpAgentServer::Start() {
  if (fd_ < 0 || thread_.joinable()) return false;
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0) return false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SnmpAgentServer::Stop() {
  if (!thread_.joinable()) return;
  const uint64_t one = 1;
  (void)!write(stopFd_, &one, sizeof one);
  thread_.join();
  close(stopFd_);
  stopFd_ = -1;
}

void SnmpAgentServer::Run() {
  platform::Clock& clock = platform::SystemClock::Instance();
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    const int n = poll(fds, 2, MsUntilDue(clock.TickCount()));
    if (n < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    Service(clock.TickCount());
  }
}

}  // namespace devsim
