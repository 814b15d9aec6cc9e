// The events of a virtual serial port, delivered by CVSPortAx::ProcessEvents on the thread that
// calls it. Every handler has an empty default so a sink binds only what it uses.
#pragma once

#include <cstdint>
#include <optional>

#include "vport/PortSettings.h"

namespace vport {

class VSPortEvents {
 public:
  virtual ~VSPortEvents() = default;

  // The application wrote; count is what can be read now.
  virtual void PortDataAvailable(long count) { (void)count; }
  // The application wrote, seen on the data descriptor that the owner watches itself (see
  // CVSPortAx::DataFd), before anything was counted. A sink that reads what waits without a count
  // does so and returns true; false has PortDataAvailable follow with the count.
  virtual bool PortDataReadable() { return false; }
  // The first application opened the port (true) or the last one closed it (false).
  virtual void PortOpenedClosed(bool open) { (void)open; }
  virtual void BaudRateChanged(long baud) { (void)baud; }
  // Stop bits 0 one, 2 two. A pseudo-terminal forces 8 data bits and no parity whatever the
  // application asked for, so parity and word length cannot be observed and come empty.
  virtual void LineControlChanged(long stopBits, std::optional<long> parity,
                                  std::optional<long> wordLength) {
    (void)stopBits;
    (void)parity;
    (void)wordLength;
  }
  virtual void HandFlowChanged(const HandFlow& flow) { (void)flow; }
  virtual void SpecialCharsChanged(const SpecialChars& chars) { (void)chars; }
  virtual void TimeoutsChanged(const CommTimeouts& timeouts) { (void)timeouts; }
  // The application wrote its settings (tcsetattr and its kin), changed or not; after the change
  // events of that write. The open of the port is not a write.
  virtual void SettingsWritten(const PortSettings& settings) { (void)settings; }

  // A pseudo-terminal has no modem lines, breaks or wait mask: these never fire on Linux. They
  // are here so that a sink written for the full event set compiles unchanged.
  virtual void DtrChanged(bool on) { (void)on; }
  virtual void RtsChanged(bool on) { (void)on; }
  virtual void RingSignalled() {}
  virtual void EventMaskChanged(long mask) { (void)mask; }
  virtual void BreakChanged(bool on) { (void)on; }
};

}  // namespace vport
