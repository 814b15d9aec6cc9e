// A port's live figures for monitoring: the port's thread writes them as its status model hears
// the bridge's events, and any other thread reads them at any time (`ports status`, /metrics).
// The byte counters are atomics, bumped on the data path without a lock; the rare events
// (connect, open, close, failure) take a small lock. Unlike the status window's counters, which
// start over with each connection, these only grow while the port lives, as monitoring counters
// must.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "vport/PortReport.h"

namespace vport {

class PortFigures {
 public:
  // Longest last-error text kept (a log line, cut on a character boundary).
  static constexpr std::size_t kMaxErrorText = 512;

  // The port thread.
  void Created();  // a new local port: everything starts over
  void Connecting();
  void Opened(std::int64_t nowSeconds);
  void Closed();
  void Failed(const std::string& reason);  // state Closed, reason kept as the last error
  void AddRx(std::int64_t count) { rx_.fetch_add(Count(count), std::memory_order_relaxed); }
  void AddTx(std::int64_t count) { tx_.fetch_add(Count(count), std::memory_order_relaxed); }

  // Any thread: state, times, counters and last error (comName, server and applicationOpen are
  // left for the caller, which knows them).
  PortReport Read() const;

  // text cut to at most max bytes, without splitting a UTF-8 sequence.
  static std::string Cut(const std::string& text, std::size_t max);

 private:
  static std::uint64_t Count(std::int64_t count) {
    return count > 0 ? static_cast<std::uint64_t>(count) : 0;
  }

  std::atomic<std::uint64_t> rx_{0};
  std::atomic<std::uint64_t> tx_{0};
  mutable std::mutex mutex_;  // the fields below
  PortReport::State state_ = PortReport::State::kClosed;
  std::int64_t connectedSince_ = 0;
  std::uint32_t reconnects_ = 0;  // stays 0 until the bridge reconnects by itself
  std::string lastError_;
};

}  // namespace vport
