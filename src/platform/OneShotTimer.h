// A one-shot timer as a descriptor (timerfd, monotonic clock, non-blocking, close-on-exec), for a
// part that runs in a MessageLoop and wants a callback of its own at a time it chooses: the loop
// watches the descriptor, which turns readable when the time comes.
#pragma once

#include <cstdint>

namespace platform {

class OneShotTimer {
 public:
  OneShotTimer() = default;
  ~OneShotTimer() { Close(); }
  OneShotTimer(const OneShotTimer&) = delete;
  OneShotTimer& operator=(const OneShotTimer&) = delete;

  // Makes the descriptor (closing an earlier one): 0, or the errno value.
  int Open();
  void Close();
  int Fd() const { return fd_; }
  // Fires once, ms from now (at least 1 ms), replacing an earlier setting.
  bool Arm(uint32_t ms) const;
  // Stops it and takes a firing not yet read, so that Fd() is no longer readable.
  void Disarm() const;

 private:
  int fd_ = -1;
};

}  // namespace platform
