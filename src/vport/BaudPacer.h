// Paces bytes handed to an application at a serial line's rate: credit accrues with the time since
// the last delivery, so over any stretch of time the reader gets no more than the line could carry
// (plus a short burst, see kBurstMs).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Clock.h"

namespace vport {

class BaudPacer {
 public:
  // Idle time beyond this earns no more credit. It must cover the pause a caller makes after a
  // partial write (the bridge sleeps 100 ms), else a paced port could not reach its line rate.
  static constexpr uint32_t kBurstMs = 200;

  explicit BaudPacer(platform::Clock& clock) : clock_(clock) {}

  // Starts pacing afresh at the current time with no credit.
  void Restart();
  // Sets the line; a zero baud keeps the previous rate (B0 is a hang-up, not a speed).
  void SetLine(long baud, unsigned bitsPerChar);
  // Bytes that may be delivered now.
  size_t Allowance();
  // Records n delivered bytes; n must not exceed the last Allowance().
  void Consume(size_t n);

  long Baud() const { return baud_; }

 private:
  void Accrue();
  uint64_t CapMillibits() const;
  uint64_t CharMillibits() const { return uint64_t{bitsPerChar_} * 1000; }

  platform::Clock& clock_;
  long baud_ = 9600;
  unsigned bitsPerChar_ = 10;
  uint32_t lastTick_ = 0;
  bool started_ = false;
  uint64_t creditMillibits_ = 0;  // bits * 1000, so that ms * baud needs no division
};

}  // namespace vport
