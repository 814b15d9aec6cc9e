// The scheduling policy of a port thread, chosen by how busy the machine is.
//
// A round trip wakes the port thread just as the task that woke it (the application, or the
// kernel's pty worker) is about to block. Under the normal policy the woken port thread
// preempts that task, runs, and hands the CPU back for the task to finish blocking: two needless
// switches per leg. Under the batch policy it waits the few microseconds until the task blocks.
// But when CPU-bound tasks keep the CPUs busy, a batch thread waits for a time slice to end
// (milliseconds): so the batch policy is taken only while every CPU has idle time to spare
// (IdleCpuMonitor), and the normal one as soon as any CPU has none.
//
// Only the port thread itself calls OnWake: the policy is the calling thread's. Its environment
// switch: PORTOLAN_PORT_SCHEDULING=normal keeps the normal policy throughout.
#pragma once

#include <cstdint>

#include "platform/ThreadScheduling.h"
#include "vport/IdleCpuMonitor.h"

namespace vport {

class PortThreadPolicy {
 public:
  PortThreadPolicy(IdleCpuMonitor& monitor, platform::ThreadScheduling& scheduling, bool enabled);
  // The process's monitor and the system's scheduling, enabled unless the environment says no.
  PortThreadPolicy();

  // The port thread is about to handle data: take the policy that the CPUs' state asks for.
  void OnWake(uint32_t nowMs);
  bool Batch() const { return batch_; }

  // False when PORTOLAN_PORT_SCHEDULING is "normal".
  static bool EnabledByEnvironment();

 private:
  IdleCpuMonitor& monitor_;
  platform::ThreadScheduling& scheduling_;
  bool enabled_;
  bool batch_ = false;
  bool refused_ = false;  // the system refused a change: keep the policy there is
};

}  // namespace vport
