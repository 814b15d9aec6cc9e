#include "platform/FakeSeqpacketSockets.h"

#include <cerrno>

#include "platform/SystemSeqpacketSockets.h"

namespace platform {

namespace {

SeqpacketSockets& Kernel() {
  return SystemSeqpacketSockets::Instance();
}

}  // namespace

void FakeSeqpacketSockets::FailNext(Call call, int error, int times) {
  std::lock_guard lock(mutex_);
  failures_[call] = {error, times};
}

void FakeSeqpacketSockets::SetPeerUid(uid_t uid) {
  std::lock_guard lock(mutex_);
  peerUid_ = uid;
}

int FakeSeqpacketSockets::Calls(Call call) const {
  std::lock_guard lock(mutex_);
  const auto it = calls_.find(call);
  return it == calls_.end() ? 0 : it->second;
}

int FakeSeqpacketSockets::Fault(Call call) {
  std::lock_guard lock(mutex_);
  ++calls_[call];
  auto it = failures_.find(call);
  if (it == failures_.end() || it->second.second <= 0) return 0;
  --it->second.second;
  return it->second.first;
}

int FakeSeqpacketSockets::Listen(const std::string& path, mode_t mode, int backlog,
                                 Listener* listener) {
  if (const int error = Fault(Call::kListen); error != 0) return error;
  return Kernel().Listen(path, mode, backlog, listener);
}

void FakeSeqpacketSockets::Unlisten(const Listener& listener, const std::string& path) {
  Kernel().Unlisten(listener, path);
}

int FakeSeqpacketSockets::Accept(int listenFd) {
  if (const int error = Fault(Call::kAccept); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Accept(listenFd);
}

bool FakeSeqpacketSockets::PeerUid(int fd, uid_t* uid) {
  if (Fault(Call::kPeerUid) != 0) return false;
  if (!Kernel().PeerUid(fd, uid)) return false;
  std::lock_guard lock(mutex_);
  if (peerUid_) *uid = *peerUid_;
  return true;
}

ssize_t FakeSeqpacketSockets::Receive(int fd, void* buffer, size_t size) {
  if (const int error = Fault(Call::kReceive); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Receive(fd, buffer, size);
}

ssize_t FakeSeqpacketSockets::Send(int fd, const void* data, size_t size) {
  if (const int error = Fault(Call::kSend); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Send(fd, data, size);
}

int FakeSeqpacketSockets::Close(int fd) {
  return Kernel().Close(fd);
}

}  // namespace platform
