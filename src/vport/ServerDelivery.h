// Bytes from the server that the application's side of the port has not taken yet. The port
// thread never waits for the application: it hands over what the port takes now, keeps the rest
// here, and comes back when the port has room. Meanwhile the socket is not read, so TCP holds
// the server back, and nothing is dropped for a slow reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vport {

class CVSPortAx;

class ServerDelivery {
 public:
  // How long the application may take nothing before it is told (once per stall) that it does
  // not read: 100 attempts of 100 ms.
  static constexpr uint32_t kStallMs = 10000;

  bool Pending() const { return done_ < held_.size(); }
  std::size_t Held() const { return held_.size() - done_; }
  // Writes what the port takes now, keeps the rest (appended after anything held). now: the
  // tick count, for the stall. True when everything is in the port.
  bool Deliver(CVSPortAx& port, const uint8_t* data, std::size_t count, uint32_t now);
  // Another try with what is held; true when nothing is left.
  bool Retry(CVSPortAx& port, uint32_t now);
  // True when the port has taken nothing for kStallMs while bytes were held; once until what is
  // held is all in.
  bool StallToReport(uint32_t now);
  void Clear();

 private:
  void Took(std::size_t n, uint32_t now);

  std::vector<uint8_t> held_;
  std::size_t done_ = 0;
  uint32_t lastTaken_ = 0;  // tick of the last progress, or of the first byte held
  bool stallReported_ = false;
};

}  // namespace vport
