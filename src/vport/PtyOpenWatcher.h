// Follows applications opening and closing a pseudo-terminal's slave node through inotify. Opens
// and closes are counted, so that the port counts as open while any application holds it.
#pragma once

#include <string>
#include <vector>

namespace vport {

class PtyOpenWatcher {
 public:
  PtyOpenWatcher() = default;
  ~PtyOpenWatcher() { Stop(); }
  PtyOpenWatcher(const PtyOpenWatcher&) = delete;
  PtyOpenWatcher& operator=(const PtyOpenWatcher&) = delete;

  // Watches slavePath; descriptors opened before this call are not counted. Returns 0 or errno.
  int Start(const std::string& slavePath);
  void Stop();

  int Fd() const { return fd_; }
  int OpenCount() const { return count_; }

  // Reads the queued notifications and appends each change of the open state (true: first
  // open, false: last close) to transitions. Returns whether there were any.
  bool Drain(std::vector<bool>& transitions);
  // Sets the count from an outside census. inotify merges identical events that follow each other
  // unread (two opens in a row become one), so the count alone can drift.
  void Reconcile(int actualOpens, std::vector<bool>& transitions);

 private:
  void Apply(int newCount, std::vector<bool>& transitions);

  int fd_ = -1;
  int count_ = 0;
};

}  // namespace vport
