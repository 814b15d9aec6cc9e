#include "vport/PortControlServer.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <span>
#include <string_view>

#include "platform/SystemClock.h"

namespace vport {

namespace {

constexpr std::string_view kPtsPrefix = "/dev/pts/";

std::uint32_t Now() {
  return platform::SystemClock::Instance().TickCount();
}

}  // namespace

std::string PortControlServer::SocketPath(const std::string& folder, const std::string& slavePath) {
  if (slavePath.rfind(kPtsPrefix, 0) != 0) return {};
  const std::string number = slavePath.substr(kPtsPrefix.size());
  if (number.empty() || number.size() > 9 ||
      number.find_first_not_of("0123456789") != std::string::npos) {
    return {};
  }
  return folder + "/.pts" + number + ".ctl";
}

PortControlServer::PortControlServer(platform::MessageLoop& loop, uid_t allowedUid,
                                     platform::SeqpacketSockets& sockets)
    : loop_(loop), allowedUid_(allowedUid), sockets_(sockets) {}

PortControlServer::~PortControlServer() {
  Stop();
}

int PortControlServer::Start(const std::string& path, Handler handler, Notice notice) {
  Stop();
  platform::SeqpacketSockets::Listener listener;
  if (const int error = sockets_.Listen(path, 0600, static_cast<int>(kMaxClients), &listener);
      error != 0) {
    return error;
  }
  if (const int error = idleTimer_.Open(); error != 0) {
    sockets_.Unlisten(listener, path);
    return error;
  }
  listener_ = listener;
  path_ = path;
  handler_ = std::move(handler);
  notice_ = std::move(notice);
  loop_.WatchFd(listener_.fd, POLLIN, [this](int, short) { OnAccept(); });
  loop_.WatchFd(idleTimer_.Fd(), POLLIN, [this](int, short) { DropIdle(); });
  return 0;
}

void PortControlServer::Stop() {
  while (!clients_.empty()) Drop(clients_.begin()->first);
  if (listener_.fd < 0) return;
  loop_.UnwatchFd(idleTimer_.Fd());
  idleTimer_.Close();
  loop_.UnwatchFd(listener_.fd);
  sockets_.Unlisten(listener_, path_);
  listener_ = {};
}

void PortControlServer::Tell(const std::string& text) const {
  if (notice_) notice_(text);
}

void PortControlServer::OnAccept() {
  const int fd = sockets_.Accept(listener_.fd);
  if (fd < 0) return;
  uid_t peer = 0;
  if (!sockets_.PeerUid(fd, &peer)) {
    Tell("Control connection refused: the peer's user cannot be read");
    sockets_.Close(fd);
    return;
  }
  if (peer != allowedUid_) {
    Tell("Control connection refused: user " + std::to_string(peer) + " is not the port's user");
    sockets_.Close(fd);
    return;
  }
  if (clients_.size() >= kMaxClients) {
    Tell("Control connection refused: too many connections");
    sockets_.Close(fd);
    return;
  }
  clients_[fd] = Now();
  loop_.WatchFd(fd, POLLIN, [this](int ready, short revents) { OnClient(ready, revents); });
  ArmIdleTimer();
}

void PortControlServer::OnClient(int fd, short revents) {
  // One byte more than a message, and MSG_TRUNC for the packet's true length: a long packet is
  // seen as long, not as its first bytes.
  std::uint8_t packet[control::kMessageSize + 1];
  const ssize_t n = sockets_.Receive(fd, packet, sizeof packet);
  if (n < 0 && (errno == EAGAIN || errno == EINTR) && (revents & (POLLHUP | POLLERR)) == 0) {
    return;
  }
  if (n <= 0) {
    Drop(fd);
    return;
  }
  const std::size_t size = std::min(static_cast<std::size_t>(n), sizeof packet);
  control::Request request;
  const control::DecodeError error =
      control::DecodeRequest(std::span<const std::uint8_t>(packet, size), &request);
  if (error != control::DecodeError::kNone) {
    Tell(std::string("Control message refused (") + control::DecodeErrorText(error) + ", " +
         std::to_string(n) + " bytes)");
    control::Reply refusal;
    refusal.status = control::Status::kRefused;
    const control::Message reply = control::EncodeReply(refusal);
    sockets_.Send(fd, reply.data(), reply.size());
    Drop(fd);
    return;
  }
  waits_.erase(fd);  // one request at a time: a new one ends a wait
  const control::Reply answer = handler_(request);
  if (request.op == control::Op::kWaitModem && answer.status == control::Status::kOk &&
      answer.waiting) {
    waits_[fd] = request.mask;
  }
  const control::Message reply = control::EncodeReply(answer);
  // The peer waits for the answer with an empty queue: a full one means it stopped listening.
  if (sockets_.Send(fd, reply.data(), reply.size()) < 0) {
    Drop(fd);
    return;
  }
  clients_[fd] = Now();
  ArmIdleTimer();
}

void PortControlServer::DropIdle() {
  idleTimer_.Disarm();
  const std::uint32_t now = Now();
  for (auto it = clients_.begin(); it != clients_.end();) {
    const int fd = (it++)->first;  // Drop erases fd's entry
    if (waits_.count(fd) != 0 || platform::Clock::Elapsed(clients_[fd], now) < idleMs_) continue;
    Tell("Control connection dropped: no request within " + std::to_string(idleMs_) + " ms");
    Drop(fd);
  }
  ArmIdleTimer();
}

void PortControlServer::ArmIdleTimer() {
  const std::uint32_t now = Now();
  std::uint32_t soonest = 0;
  bool any = false;
  for (const auto& [fd, since] : clients_) {
    if (waits_.count(fd) != 0) continue;
    const std::uint32_t elapsed = platform::Clock::Elapsed(since, now);
    const std::uint32_t left = elapsed >= idleMs_ ? 0 : idleMs_ - elapsed;
    if (!any || left < soonest) soonest = left;
    any = true;
  }
  if (any) {
    idleTimer_.Arm(soonest);
  } else {
    idleTimer_.Disarm();
  }
}

void PortControlServer::Drop(int fd) {
  loop_.UnwatchFd(fd);
  sockets_.Close(fd);
  clients_.erase(fd);
  waits_.erase(fd);
}

void PortControlServer::AnswerWaits(std::uint8_t lines, const control::Reply& reply) {
  Answer(false, lines, reply);
}

void PortControlServer::AnswerAllWaits(const control::Reply& reply) {
  Answer(true, 0, reply);
}

void PortControlServer::Answer(bool all, std::uint8_t lines, const control::Reply& reply) {
  const control::Message message = control::EncodeReply(reply);
  for (auto it = waits_.begin(); it != waits_.end();) {
    if (!all && (it->second & lines) == 0) {
      ++it;
      continue;
    }
    // A waiting peer has at most its acknowledgement queued: there is room for this one.
    sockets_.Send(it->first, message.data(), message.size());
    clients_[it->first] = Now();  // answered: its next request is due within the idle limit
    it = waits_.erase(it);
  }
  ArmIdleTimer();
}

}  // namespace vport
