// The kernel's seqpacket sockets with faults on demand, for tests of their server: any call can be
// made to fail with a chosen errno (doing nothing else), and peers can be given another user.
// Connections stay real, so that the message loop polls them. Safe to use from several threads.
#pragma once

#include <mutex>
#include <optional>

#include "platform/FaultSchedule.h"
#include "platform/SeqpacketSockets.h"

namespace platform {

class FakeSeqpacketSockets : public SeqpacketSockets {
 public:
  enum class Call { kListen, kAccept, kPeerUid, kReceive, kSend };

  // The next times calls of call fail with error.
  void FailNext(Call call, int error, int times = 1) { faults_.FailNext(call, error, times); }
  // Every peer from now on is of uid.
  void SetPeerUid(uid_t uid);
  int Calls(Call call) const { return faults_.Calls(call); }

  int Listen(const std::string& path, mode_t mode, int backlog, Listener* listener) override;
  void Unlisten(const Listener& listener, const std::string& path) override;
  int Accept(int listenFd) override;
  bool PeerUid(int fd, uid_t* uid) override;
  ssize_t Receive(int fd, void* buffer, size_t size) override;
  ssize_t Send(int fd, const void* data, size_t size) override;
  int Close(int fd) override;

 private:
  FaultSchedule<Call> faults_;
  std::mutex mutex_;
  std::optional<uid_t> peerUid_;
};

}  // namespace platform
