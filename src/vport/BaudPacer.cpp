#include "vport/BaudPacer.h"

#include <algorithm>

namespace vport {

void BaudPacer::Restart() {
  lastTick_ = clock_.TickCount();
  started_ = true;
  creditMillibits_ = 0;
}

void BaudPacer::SetLine(long baud, unsigned bitsPerChar) {
  Accrue();  // time so far is worth what the old line carried
  if (baud > 0) baud_ = baud;
  if (bitsPerChar > 0) bitsPerChar_ = bitsPerChar;
  creditMillibits_ = std::min(creditMillibits_, CapMillibits());
}

uint64_t BaudPacer::CapMillibits() const {
  return std::max(CharMillibits(), uint64_t{kBurstMs} * static_cast<uint64_t>(baud_));
}

void BaudPacer::Accrue() {
  if (!started_) Restart();
  const uint32_t now = clock_.TickCount();
  const uint32_t elapsed = now - lastTick_;  // unsigned: right across the 32-bit wrap
  lastTick_ = now;
  const uint64_t earned = uint64_t{std::min(elapsed, kBurstMs)} * static_cast<uint64_t>(baud_);
  creditMillibits_ = std::min(creditMillibits_ + earned, CapMillibits());
}

size_t BaudPacer::Allowance() {
  Accrue();
  return static_cast<size_t>(creditMillibits_ / CharMillibits());
}

void BaudPacer::Consume(size_t n) {
  const uint64_t cost = uint64_t{n} * CharMillibits();
  creditMillibits_ = cost > creditMillibits_ ? 0 : creditMillibits_ - cost;
}

}  // namespace vport
