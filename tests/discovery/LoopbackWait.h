// A wait loop for tests: it watches discovery sockets with poll (never blocking), and before each
// wait lets a scripted device on 127.0.0.1 answer the queries it received. Cancels and time-outs
// are scripted, so nothing here sleeps.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <vector>

#include "discovery/DeviceWait.h"

namespace discovery::test {

// A UDP socket on 127.0.0.x with an ephemeral port.
class LoopbackPeer {
 public:
  explicit LoopbackPeer(const char* address = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &local.sin_addr);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    socklen_t size = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
    port_ = ntohs(local.sin_port);
  }
  ~LoopbackPeer() { ::close(fd_); }
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  int fd() const { return fd_; }
  int port() const { return port_; }

  // Takes one waiting datagram; false when none is waiting.
  bool Receive(std::vector<uint8_t>* data, sockaddr_in* from) {
    uint8_t buffer[2048];
    socklen_t size = sizeof *from;
    const ssize_t n =
        ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(from), &size);
    if (n < 0) return false;
    data->assign(buffer, buffer + n);
    return true;
  }
  void SendTo(const sockaddr_in& to, const std::vector<uint8_t>& data) {
    ::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
  void SendTo(int port, const std::vector<uint8_t>& data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    SendTo(to, data);
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

class LoopbackWait : public DeviceWait {
 public:
  // What a wait does when no datagram is waiting on a watched socket.
  enum class Then { kTimeOut, kCancel };

  int Watch(int socket) override {
    if (failWatch != 0) return failWatch;
    watched.insert(socket);
    ++watchCalls;
    return 0;
  }
  void Forget(int socket) override {
    watched.erase(socket);
    ++forgetCalls;
  }
  void SetText(unsigned stringId) override { texts.push_back(stringId); }

  int Wait(unsigned message, int /*timeoutMs*/) override {
    ++waits;
    const bool sent = beforeWait ? beforeWait() : false;
    if (!script.empty()) {
      const Then next = script.front();
      script.pop_front();
      if (next == Then::kCancel) return kWaitCancelled;
    }
    if (message == kSocketMessage && AnyReadable(sent)) return static_cast<int>(kSocketMessage);
    return kWaitTimedOut;
  }

  // Called at the start of every wait: the scripted device answers here, and tells whether it
  // sent something (the wait then gives loopback delivery a moment instead of none).
  std::function<bool()> beforeWait;
  // Outcomes of the waits, in order, taken when nothing is readable; empty: time-out.
  std::deque<Then> script;
  std::set<int> watched;
  std::vector<unsigned> texts;
  int failWatch = 0;
  int watchCalls = 0;
  int forgetCalls = 0;
  int waits = 0;

 private:
  bool AnyReadable(bool expectData) const {
    std::vector<pollfd> fds;
    for (int fd : watched) fds.push_back({fd, POLLIN, 0});
    if (fds.empty()) return false;
    return ::poll(fds.data(), fds.size(), expectData ? 2000 : 0) > 0;
  }
};

}  // namespace discovery::test
