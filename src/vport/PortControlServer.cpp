#include "vport/PortControlServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>

namespace vport {

namespace {

constexpr std::string_view kPtsPrefix = "/dev/pts/";

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

PortControlServer::PortControlServer(platform::MessageLoop& loop, uid_t allowedUid)
    : loop_(loop), allowedUid_(allowedUid) {}

PortControlServer::~PortControlServer() {
  Stop();
}

int PortControlServer::Start(const std::string& path, Handler handler, Notice notice) {
  Stop();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return ENAMETOOLONG;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return EEXIST;
    unlink(path.c_str());  // left by an earlier run: nobody answers on it any more
  }
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return errno;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      chmod(path.c_str(), 0600) != 0 || lstat(path.c_str(), &st) != 0 ||
      listen(fd, static_cast<int>(kMaxClients)) != 0) {
    const int error = errno;
    close(fd);
    return error;
  }
  listenFd_ = fd;
  path_ = path;
  inode_ = st.st_ino;
  handler_ = std::move(handler);
  notice_ = std::move(notice);
  loop_.WatchFd(fd, POLLIN, [this](int, short) { OnAccept(); });
  return 0;
}

void PortControlServer::Stop() {
  while (!clients_.empty()) Drop(*clients_.begin());
  if (listenFd_ < 0) return;
  loop_.UnwatchFd(listenFd_);
  close(listenFd_);
  listenFd_ = -1;
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == inode_) {
    unlink(path_.c_str());
  }
}

void PortControlServer::Tell(const std::string& text) const {
  if (notice_) notice_(text);
}

void PortControlServer::OnAccept() {
  const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return;
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer ||
      peer.uid != allowedUid_) {
    Tell("Control connection refused: user " + std::to_string(peer.uid) +
         " is not the port's user");
    close(fd);
    return;
  }
  if (clients_.size() >= kMaxClients) {
    Tell("Control connection refused: too many connections");
    close(fd);
    return;
  }
  clients_.insert(fd);
  loop_.WatchFd(fd, POLLIN, [this](int ready, short revents) { OnClient(ready, revents); });
}

void PortControlServer::OnClient(int fd, short revents) {
  // One byte more than a message, and MSG_TRUNC for the packet's true length: a long packet is
  // seen as long, not as its first bytes.
  std::uint8_t packet[control::kMessageSize + 1];
  const ssize_t n = recv(fd, packet, sizeof packet, MSG_TRUNC | MSG_DONTWAIT);
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
    send(fd, reply.data(), reply.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
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
  if (send(fd, reply.data(), reply.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0) Drop(fd);
}

void PortControlServer::Drop(int fd) {
  loop_.UnwatchFd(fd);
  close(fd);
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
    send(it->first, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    it = waits_.erase(it);
  }
}

}  // namespace vport
