// Follows applications opening and closing a pseudo-terminal's slave node, through the process's
// one inotify instance (PtyOpenMonitor). Opens and closes are counted, so that the port counts as
// open while any application holds it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vport/PtyOpenMonitor.h"

namespace vport {

class PtyOpenWatcher : private PtyOpenMonitor::Listener {
 public:
  PtyOpenWatcher() = default;
  ~PtyOpenWatcher() { Stop(); }
  PtyOpenWatcher(const PtyOpenWatcher&) = delete;
  PtyOpenWatcher& operator=(const PtyOpenWatcher&) = delete;

  // Watches slavePath; descriptors opened before this call are not counted. wakeFd (an eventfd)
  // is written to when notifications arrive, so that the owner's loop calls Drain. Returns 0 or
  // errno.
  int Start(const std::string& slavePath, int wakeFd);
  void Stop();

  int OpenCount() const { return count_; }

  // Takes the notifications handed over so far and appends each change of the open state (true:
  // first open, false: last close) to transitions. Returns whether there were any. catchUp: first
  // reads what the kernel has queued by now (a close just made), rather than leave it to the
  // monitor's thread; it costs a read of the shared queue, so not for every event.
  bool Drain(std::vector<bool>& transitions, bool catchUp = false);
  // Sets the count from an outside census. inotify merges identical events that follow each other
  // unread (two opens in a row become one), so the count alone can drift.
  void Reconcile(int actualOpens, std::vector<bool>& transitions);

 private:
  void Notify(uint32_t mask) override;
  void Apply(int newCount, std::vector<bool>& transitions);

  std::shared_ptr<PtyOpenMonitor> monitor_;
  int watchId_ = -1;
  int wakeFd_ = -1;
  int count_ = 0;
  std::mutex mutex_;             // noted_ and lost_, filled on the monitor's thread
  std::vector<uint32_t> noted_;  // masks not yet drained, in order
  bool lost_ = false;            // notifications were lost (queue overflow)
};

}  // namespace vport
