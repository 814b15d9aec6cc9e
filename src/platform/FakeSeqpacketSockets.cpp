#include "platform/FakeSeqpacketSockets.h"

#include <cerrno>

#include "platform/SystemSeqpacketSockets.h"

namespace platform {

namespace {

SeqpacketSockets& Kernel() {
  return SystemSeqpacketSockets::Instance();
}

}  // namespace

void FakeSeqpacketSockets::SetPeerUid(uid_t uid) {
  std::lock_guard lock(mutex_);
  peerUid_ = uid;
}

int FakeSeqpacketSockets::Listen(const std::string& path, mode_t mode, int backlog,
                                 Listener* listener) {
  if (const int error = faults_.Fault(Call::kListen); error != 0) return error;
  return Kernel().Listen(path, mode, backlog, listener);
}

void FakeSeqpacketSockets::Unlisten(const Listener& listener, const std::string& path) {
  Kernel().Unlisten(listener, path);
}

int FakeSeqpacketSockets::Accept(int listenFd) {
  if (const int error = faults_.Fault(Call::kAccept); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Accept(listenFd);
}

bool FakeSeqpacketSockets::PeerUid(int fd, uid_t* uid) {
  if (faults_.Fault(Call::kPeerUid) != 0) return false;
  if (!Kernel().PeerUid(fd, uid)) return false;
  std::lock_guard lock(mutex_);
  if (peerUid_) *uid = *peerUid_;
  return true;
}

ssize_t FakeSeqpacketSockets::Receive(int fd, void* buffer, size_t size) {
  if (const int error = faults_.Fault(Call::kReceive); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Receive(fd, buffer, size);
}

ssize_t FakeSeqpacketSockets::Send(int fd, const void* data, size_t size) {
  if (const int error = faults_.Fault(Call::kSend); error != 0) {
    errno = error;
    return -1;
  }
  return Kernel().Send(fd, data, size);
}

int FakeSeqpacketSockets::Close(int fd) {
  return Kernel().Close(fd);
}

}  // namespace platform
