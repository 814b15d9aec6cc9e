// An SNMP agent on a UDP socket: reads requests, lets the agent answer, and sends the answers when
// they are due (late by the agent's delay, or held until released). It runs either inside a
// caller's loop (Service with the caller's clock) or on a thread of its own.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace devsim {

class SnmpAgent;

class SnmpAgentServer {
 public:
  explicit SnmpAgentServer(SnmpAgent& agent) : agent_(agent) {}
  ~SnmpAgentServer();
  SnmpAgentServer(const SnmpAgentServer&) = delete;
  SnmpAgentServer& operator=(const SnmpAgentServer&) = delete;

  // Binds a UDP socket to address:port (port 0: an ephemeral one). False on failure.
  bool Open(const std::string& address = "127.0.0.1", uint16_t port = 0);
  uint16_t Port() const { return port_; }
  int Fd() const { return fd_; }

  // Reads every waiting request and sends the answers due at nowMs.
  void Service(uint32_t nowMs);
  // Milliseconds until the next answer is due; -1 when none waits (or all are held).
  int MsUntilDue(uint32_t nowMs) const;

  // Held answers stay queued until ReleaseHeld, which sends them at the next Service.
  void SetHold(bool hold) { hold_ = hold; }
  void ReleaseHeld();
  size_t Queued() const { return queue_.size(); }
  uint64_t Sent() const { return sent_.load(); }

  // Serves on a thread of its own, in real time, until Stop (or destruction).
  bool Start();
  void Stop();

 private:
  struct Pending {
    uint32_t dueMs = 0;
    bool held = false;
    sockaddr_in to{};
    std::vector<uint8_t> bytes;
  };
  void ReadRequests(uint32_t nowMs);
  void SendDue(uint32_t nowMs);
  void Run();

  SnmpAgent& agent_;
  int fd_ = -1;
  int stopFd_ = -1;
  uint16_t port_ = 0;
  bool hold_ = false;
  bool release_ = false;
  std::deque<Pending> queue_;
  std::atomic<uint64_t> sent_{0};
  std::thread thread_;
};

}  // namespace devsim
