// A UDP endpoint with its protocol handler and a paced queue of answers: answers leave in bursts
// of `burst` datagrams with a pause between bursts, and wait for room when the socket is full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "DatagramHandler.h"
#include "UdpEndpoint.h"

namespace devsim {

class UdpService {
 public:
  UdpService(std::unique_ptr<DatagramHandler> handler, size_t burst, int gapMs)
      : handler_(std::move(handler)), burst_(burst == 0 ? 1 : burst), gapMs_(gapMs) {}

  UdpEndpoint& Endpoint() { return endpoint_; }

  // poll events wanted now (POLLIN, plus POLLOUT while answers wait and no pause is running).
  short Events(int64_t nowMs) const;
  // Milliseconds until the pause ends, -1 when nothing waits for a pause.
  int TimeoutMs(int64_t nowMs) const;
  // Reads every waiting datagram and sends what the pacing allows.
  void Service(short revents, int64_t nowMs);

  size_t Queued() const { return queue_.size(); }
  uint64_t Sent() const { return sent_; }
  uint64_t Dropped() const { return dropped_; }

 private:
  void Flush(int64_t nowMs);

  UdpEndpoint endpoint_;
  std::unique_ptr<DatagramHandler> handler_;
  std::deque<OutgoingDatagram> queue_;
  size_t burst_;
  int gapMs_;
  int64_t resumeAtMs_ = 0;
  uint64_t sent_ = 0;
  uint64_t dropped_ = 0;
};

}  // namespace devsim
