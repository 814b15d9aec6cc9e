#include "UdpService.h"

#include <poll.h>

#include <cerrno>

namespace devsim {

namespace {
// Answers waiting beyond this are dropped, as a device with a full queue would drop them.
constexpr size_t kMaxQueued = 1 << 20;
// Datagrams read per Service call, so that sending is not starved by a flood.
constexpr int kMaxReadsPerCall = 256;
}  // namespace

short UdpService::Events(int64_t nowMs) const {
  short events = POLLIN;
  if (!queue_.empty() && nowMs >= resumeAtMs_) events |= POLLOUT;
  return events;
}

int UdpService::TimeoutMs(int64_t nowMs) const {
  if (queue_.empty() || nowMs >= resumeAtMs_) return -1;
  return static_cast<int>(resumeAtMs_ - nowMs);
}

void UdpService::Service(short revents, int64_t nowMs) {
  if (revents & POLLIN) {
    Datagram datagram;
    for (int i = 0; i < kMaxReadsPerCall && endpoint_.Receive(&datagram); ++i) {
      for (OutgoingDatagram& out : handler_->Handle(datagram)) {
        if (queue_.size() >= kMaxQueued) {
          ++dropped_;
          continue;
        }
        queue_.push_back(std::move(out));
      }
    }
  }
  Flush(nowMs);
}

void UdpService::Flush(int64_t nowMs) {
  if (nowMs < resumeAtMs_) return;
  size_t sentNow = 0;
  while (!queue_.empty() && sentNow < burst_) {
    const int rc = endpoint_.Send(queue_.front());
    if (rc == EAGAIN) return;  // POLLOUT brings us back
    if (rc == 0) {
      ++sent_;
    } else {
      ++dropped_;
    }
    queue_.pop_front();
    ++sentNow;
  }
  if (!queue_.empty() && gapMs_ > 0) resumeAtMs_ = nowMs + gapMs_;
}

}  // namespace devsim
