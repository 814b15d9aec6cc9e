// Datagram sockets without a network, for tests: sends are recorded, datagrams to receive are
// queued by the test (or by a reply script run on every send), and any call can be made to fail
// with a chosen errno. Descriptors are numbers from 1000 up that no kernel call accepts; a
// receive never waits (an empty queue gives EAGAIN). Safe to use from several threads.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/DatagramSockets.h"
#include "platform/FaultSchedule.h"

namespace platform {

class FakeDatagramSockets : public DatagramSockets {
 public:
  enum class Call {
    kOpen,
    kBind,
    kSetNonBlocking,
    kSetOption,
    kGetOption,
    kSendTo,
    kReceive,  // ReceiveFrom, and each datagram of ReceiveMany
    kShutdown,
    kClose,
  };

  struct Datagram {
    int fd = -1;              // the socket it left from, or waits in
    sockaddr_storage peer{};  // where it went to, or came from
    socklen_t peerSize = 0;
    std::vector<uint8_t> bytes;
  };

  static constexpr int kFirstFd = 1000;

  // The next times calls of call fail with error, doing nothing else.
  void FailNext(Call call, int error, int times = 1);
  // Every SetOption of this option fails with error (as SO_RCVBUFFORCE does without the right).
  void RefuseOption(int level, int name, int error);
  // Queues a datagram for fd from the IPv4 sender address (dotted) and port.
  void Deliver(int fd, const std::string& address, uint16_t port, std::vector<uint8_t> bytes);
  // Runs after each send is recorded, outside the lock, so that it may Deliver an answer.
  void OnSend(std::function<void(const Datagram&)> script);

  std::vector<Datagram> Sent() const;
  size_t Waiting(int fd) const;
  bool IsOpen(int fd) const;
  size_t OpenCount() const;
  int Calls(Call call) const;
  bool NonBlocking(int fd) const;
  // The last int value an option was set to on fd.
  std::optional<int> IntOption(int fd, int level, int name) const;
  // The port fd was bound to (host order), or nothing when it was not bound.
  std::optional<uint16_t> BoundPort(int fd) const;
  // The how of fd's last shutdown, or nothing.
  std::optional<int> ShutdownHow(int fd) const;
  // The IPv4 address (dotted) and port of a datagram's peer.
  static std::string PeerAddress(const Datagram& datagram);
  static uint16_t PeerPort(const Datagram& datagram);

  int Open(int domain, int type, int protocol) override;
  int Bind(int fd, const sockaddr* address, socklen_t size) override;
  int SetNonBlocking(int fd) override;
  int SetOption(int fd, int level, int name, const void* value, socklen_t size) override;
  int GetOption(int fd, int level, int name, void* value, socklen_t* size) override;
  ssize_t SendTo(int fd, const void* data, size_t length, int flags, const sockaddr* to,
                 socklen_t toSize) override;
  ssize_t ReceiveFrom(int fd, void* buffer, size_t size, int flags, sockaddr* from,
                      socklen_t* fromSize) override;
  int ReceiveMany(int fd, mmsghdr* messages, unsigned count, int flags) override;
  int Shutdown(int fd, int how) override;
  int Close(int fd) override;

 private:
  struct Socket {
    bool nonBlocking = false;
    std::optional<uint16_t> boundPort;
    std::optional<int> shutdownHow;
    std::map<std::pair<int, int>, std::vector<uint8_t>> options;
    std::deque<Datagram> queue;
  };

  // Counts the call; true (with errno set) when it is to fail, or when fd is not open (EBADF).
  bool Refuse(Call call, int fd);
  ssize_t ReceiveLocked(int fd, void* buffer, size_t size, int flags, sockaddr* from,
                        socklen_t* fromSize);

  mutable std::mutex mutex_;
  int nextFd_ = kFirstFd;
  std::map<int, Socket> sockets_;
  std::vector<Datagram> sent_;
  std::map<std::pair<int, int>, int> refusedOptions_;
  FaultSchedule<Call> faults_;
  std::function<void(const Datagram&)> script_;
};

}  // namespace platform
