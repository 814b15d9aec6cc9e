// The SNMP engine serves one thread at a time. Extended queries of several devices run side by
// side on threads of their own: each holds the engine's turn while it builds, sends and reads its
// messages, and gives the turn up while it waits for a reply, which is when the others take it.
// So the waits, which are nearly all of a query's time, overlap, and the engine never sees two
// threads at once.
#pragma once

#include <cstdint>
#include <mutex>

#include "snmp/SnmpWaitWindow.h"

namespace discovery {

class SnmpEngineTurn : public snmp::SnmpWaitWindow {
 public:
  // Takes the turn (blocking while another thread has it); waits go to inner.
  explicit SnmpEngineTurn(snmp::SnmpWaitWindow& inner);
  ~SnmpEngineTurn() override = default;  // the lock gives the turn back
  SnmpEngineTurn(const SnmpEngineTurn&) = delete;
  SnmpEngineTurn& operator=(const SnmpEngineTurn&) = delete;

  platform::MessagePoster* Poster() override { return inner_.Poster(); }
  int WatchFd(int fd, uint32_t message) override { return inner_.WatchFd(fd, message); }
  void ForgetFd(int fd) override { inner_.ForgetFd(fd); }
  // Gives the turn up for the length of the wait.
  int Wait(unsigned message, int timeoutMs) override;
  void SetText(unsigned stringId) override { inner_.SetText(stringId); }

 private:
  static std::mutex& EngineMutex();

  snmp::SnmpWaitWindow& inner_;
  std::unique_lock<std::mutex> lock_;
};

}  // namespace discovery
