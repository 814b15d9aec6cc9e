// One inotify instance for all the ports of the process. The kernel allows each user few inotify
// instances (128 by default, shared with every other program of the user), so one per port would
// stop the ports at about 128; watches are cheap and plentiful.
//
// A thread of the monitor reads the notifications as they come and hands each to the listener of
// its watch, which notes it and wakes its port's loop. A port that wants what is queued right now
// (its own open and close while priming, a close before a removal) calls Pump, which reads the
// queue on the caller's thread; reads and hand-overs are serialised, so nothing is reordered.
//
// The monitor exists while some port holds it (Acquire); the last one to let go ends its thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/InotifyInstance.h"
#include "platform/WakeEvent.h"

namespace vport {

class PtyOpenMonitor {
 public:
  class Listener {
   public:
    // Called with the monitor's lock held, on whichever thread read the notification: note the
    // event and wake the owner, nothing more. mask is the inotify event mask; IN_Q_OVERFLOW
    // means notifications were lost and the open count must be checked another way.
    virtual void Notify(uint32_t mask) = 0;
    virtual ~Listener() = default;
  };

  // The process's monitor, made when none exists. Null with error set (an errno value) when the
  // system gives no inotify instance or thread.
  static std::shared_ptr<PtyOpenMonitor> Acquire(int& error);
  // inotify instances in use by monitors of this process (0 or 1; for tests and diagnostics).
  static int InstancesInUse();

  ~PtyOpenMonitor();
  PtyOpenMonitor(const PtyOpenMonitor&) = delete;
  PtyOpenMonitor& operator=(const PtyOpenMonitor&) = delete;

  // Watches path for opens and closes; returns the watch id (>= 0) or -errno. After Remove of
  // that id the listener is never called again.
  int Add(const std::string& path, Listener* listener);
  void Remove(int watchId);
  // Reads and hands over what is queued now, without waiting.
  void Pump();
  // Hands one event over as Pump does each one it reads: to the listener of watch, or for
  // IN_Q_OVERFLOW to every listener. Tests bring in events the kernel will not make on demand.
  void Deliver(int watch, uint32_t mask);

 private:
  PtyOpenMonitor();
  void Run();
  void PumpLocked();
  void DeliverLocked(int watch, uint32_t mask);

  platform::InotifyInstance inotify_;
  platform::WakeEvent stop_;
  std::mutex mutex_;  // the listeners, and every read of inotify_ with its hand-over
  std::map<int, Listener*> listeners_;
  std::thread thread_;
};

}  // namespace vport
