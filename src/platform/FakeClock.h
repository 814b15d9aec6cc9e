// Virtual time for tests. With auto-advance (the default) a Sleep, or a Poll that finds nothing
// ready, moves the time forward at once by the time it would have waited, so a single thread runs
// through time-outs without sleeping. With auto-advance off, Sleep and Poll block (Poll still
// wakes for its fds) until another thread calls Advance far enough: then a test thread can wait
// for the loop thread to block (WaitForBlocked) and step the time exactly.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace platform {

class FakeClock : public Clock {
 public:
  explicit FakeClock(uint32_t start = 0) : now_(start) {}

  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  int Poll(pollfd* fds, size_t count, int timeoutMs) override;

  void Advance(uint32_t ms);
  void SetAutoAdvance(bool on);
  // Waits (in real time, up to realTimeoutMs) until at least count threads block in this clock.
  bool WaitForBlocked(int count = 1, int realTimeoutMs = 10000);
  int Blocked() const;
  // Blocking waits begun so far; with WaitForNewBlock a test sees a thread block again after it
  // woke, even when it blocked again before the test looked.
  uint64_t Blocks() const;
  bool WaitForNewBlock(uint64_t blocksBefore, int realTimeoutMs = 10000);

 private:
  int BlockingPoll(pollfd* fds, size_t count, int timeoutMs, uint32_t start);

  mutable std::mutex mutex_;
  std::condition_variable changed_;   // time, blocked count or block count changed
  std::condition_variable advanced_;  // time moved: wakes sleepers
  uint32_t now_;
  bool autoAdvance_ = true;
  int blocked_ = 0;
  uint64_t blocks_ = 0;
  std::vector<int> pollWakers_;  // eventfds of the threads blocked in Poll
};

}  // namespace platform
