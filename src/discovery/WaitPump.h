// The waiting thread's own events: a please-wait window that waits on a thread which also runs a
// user interface keeps that thread's events flowing while it waits.
#pragma once

namespace discovery {

class WaitPump {
 public:
  virtual ~WaitPump() = default;
  // Dispatches what the thread has pending, without blocking.
  virtual void PumpPending() = 0;
  // A descriptor that turns readable when the thread has events to dispatch, so the wait can
  // block on it; -1 when there is none, and the wait then wakes every kPumpSliceMs to pump.
  virtual int PumpFd() const { return -1; }
};

}  // namespace discovery
