#include "vport/PortFigures.h"

namespace vport {

void PortFigures::Created() {
  rx_.store(0, std::memory_order_relaxed);
  tx_.store(0, std::memory_order_relaxed);
  std::lock_guard lock(mutex_);
  state_ = PortReport::State::kClosed;
  connectedSince_ = 0;
  reconnects_ = 0;
  lastError_.clear();
}

void PortFigures::Connecting() {
  std::lock_guard lock(mutex_);
  state_ = PortReport::State::kConnecting;
  connectedSince_ = 0;
}

void PortFigures::Opened(std::int64_t nowSeconds) {
  std::lock_guard lock(mutex_);
  state_ = PortReport::State::kOpen;
  connectedSince_ = nowSeconds;
}

void PortFigures::Closed() {
  std::lock_guard lock(mutex_);
  state_ = PortReport::State::kClosed;
  connectedSince_ = 0;
}

void PortFigures::Failed(const std::string& reason) {
  std::string kept = Cut(reason, kMaxErrorText);
  std::lock_guard lock(mutex_);
  state_ = PortReport::State::kClosed;
  connectedSince_ = 0;
  lastError_ = std::move(kept);
}

PortReport PortFigures::Read() const {
  PortReport report;
  report.rxBytes = rx_.load(std::memory_order_relaxed);
  report.txBytes = tx_.load(std::memory_order_relaxed);
  std::lock_guard lock(mutex_);
  report.state = state_;
  report.connectedSince = connectedSince_;
  report.reconnects = reconnects_;
  report.lastError = lastError_;
  return report;
}

std::string PortFigures::Cut(const std::string& text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t end = max;
  // Back to the first byte of a sequence: continuation bytes are 10xxxxxx.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace vport
