#include "platform/RunningCopyServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/UnixStream.h"

namespace platform {

RunningCopyServer::RunningCopyServer(RaiseCallback onRaise, std::string socketPath)
    : onRaise_(std::move(onRaise)), path_(std::move(socketPath)) {}

RunningCopyServer::~RunningCopyServer() {
  Stop();
}

// A socket file that nobody accepts on is left from a copy that ended without cleaning up.
bool RunningCopyServer::RemoveStaleSocket() {
  struct stat st {};
  if (lstat(path_.c_str(), &st) != 0) return errno == ENOENT;
  if (S_ISDIR(st.st_mode)) return false;
  if (S_ISSOCK(st.st_mode)) {
    const int probe = UnixStream::Connect(path_);
    if (probe >= 0) {
      close(probe);
      return false;  // a live server answers there: not ours to take
    }
  }
  return unlink(path_.c_str()) == 0 || errno == ENOENT;
}

bool RunningCopyServer::Start() {
  if (Running()) return true;
  if (!UnixStream::PathFits(path_) || !RemoveStaleSocket()) return false;
  listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  stopFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
  struct stat st {};
  const bool ok = listenFd_ >= 0 && stopFd_ >= 0 &&
                  bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
                  chmod(path_.c_str(), 0600) == 0 && listen(listenFd_, 16) == 0 &&
                  lstat(path_.c_str(), &st) == 0;
  if (!ok) {
    if (listenFd_ >= 0) close(listenFd_);
    if (stopFd_ >= 0) close(stopFd_);
    listenFd_ = stopFd_ = -1;
    return false;
  }
  boundDev_ = st.st_dev;
  boundIno_ = st.st_ino;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void RunningCopyServer::Stop() {
  if (!Running()) return;
  const uint64_t one = 1;
  (void)!write(stopFd_, &one, sizeof one);
  thread_.join();
  // Another copy may have replaced the file since: remove only our own.
  struct stat st {};
  if (lstat(path_.c_str(), &st) == 0 && st.st_dev == boundDev_ && st.st_ino == boundIno_) {
    unlink(path_.c_str());
  }
  close(listenFd_);
  close(stopFd_);
  listenFd_ = stopFd_ = -1;
}

void RunningCopyServer::Serve() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      // Out of descriptors or memory, the connection stays queued and poll would report it again
      // at once: wait a moment (still ending on Stop) instead of spinning. Otherwise the client
      // gave up already.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
        pollfd stop{stopFd_, POLLIN, 0};
        if (poll(&stop, 1, kAcceptRetryMs) > 0) return;
      }
      continue;
    }
    HandleConnection(fd);
    DrainBeforeClose(fd);
    close(fd);
  }
}

void RunningCopyServer::HandleConnection(int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
    return;
  }
  std::array<uint8_t, RunningCopyProtocol::kRequestSize> in{};
  if (!UnixStream::ReadExact(fd, in.data(), in.size(), kRequestTimeoutMs, stopFd_)) return;
  RunningCopyProtocol::Request request;
  RunningCopyProtocol::Reply reply;
  std::optional<std::vector<uint8_t>> report;
  if (RunningCopyProtocol::DecodeRequest(in.data(), in.size(), &request) !=
      RunningCopyProtocol::DecodeError::None) {
    reply.status = RunningCopyProtocol::kBadRequest;
  } else if (request.op == RunningCopyProtocol::kPortStatus) {
    report = PortStatus(request.wParam);
    if (report) {
      reply.result = static_cast<int64_t>(report->size());
    } else {
      reply.status = RunningCopyProtocol::kBadRequest;
    }
  } else if (request.op == RunningCopyProtocol::kOpenView) {
    std::string name;
    if (onOpenView_ && ReadViewName(fd, request.wParam, &name)) {
      onOpenView_(name);
      reply.result = 1;
    } else {
      reply.status = RunningCopyProtocol::kBadRequest;
    }
  } else if (request.op == RunningCopyProtocol::kRestoreAndRaise) {
    if (onRaise_) onRaise_();
    reply.result = 1;
  } else if (request.id == RunningCopyProtocol::kQueryMessage) {
    reply.result = RunningCopyProtocol::kRunningAnswer;
  }
  served_.fetch_add(1);
  const auto out = RunningCopyProtocol::EncodeReply(reply);
  if (UnixStream::WriteAll(fd, out.data(), out.size(), kRequestTimeoutMs, stopFd_) && report &&
      !report->empty()) {
    UnixStream::WriteAll(fd, report->data(), report->size(), kRequestTimeoutMs, stopFd_);
  }
}

std::optional<std::vector<uint8_t>> RunningCopyServer::PortStatus(int64_t newestVersion) const {
  if (!onPortStatus_ || newestVersion < 1) return std::nullopt;
  auto report = onPortStatus_(newestVersion);
  if (report && report->size() > RunningCopyProtocol::kMaxStatusPayload) return std::nullopt;
  return report;
}

// Closing a local stream socket with bytes still unread (the rest of a refused request) makes the
// client's read fail with ECONNRESET before it sees our answer: say we are done writing, then read
// and drop what the client still sends until it closes, within a bound of time and bytes.
void RunningCopyServer::DrainBeforeClose(int fd) {
  shutdown(fd, SHUT_WR);
  char sink[4096];
  std::size_t dropped = 0;
  while (dropped < kDrainMaxBytes) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    const int ready = poll(fds, 2, kDrainWaitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || fds[1].revents != 0) return;
    const ssize_t n = read(fd, sink, sizeof sink);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return;
    dropped += static_cast<std::size_t>(n);
  }
}

bool RunningCopyServer::ReadViewName(int fd, int64_t length, std::string* name) {
  if (length <= 0 || length > static_cast<int64_t>(RunningCopyProtocol::kMaxViewName)) {
    return false;
  }
  name->assign(static_cast<std::size_t>(length), '\0');
  auto* bytes = reinterpret_cast<uint8_t*>(name->data());
  if (!UnixStream::ReadExact(fd, bytes, name->size(), kRequestTimeoutMs, stopFd_)) return false;
  return name->find('\0') == std::string::npos;
}

}  // namespace platform
