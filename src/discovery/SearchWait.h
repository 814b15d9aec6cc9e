// The wait loop a search runs under: the device wait, plus the nesting of a search and the Cancel
// that Stop sends from another thread.
#pragma once

#include <string>

#include "discovery/DeviceWait.h"

namespace discovery {

class SearchWait : public DeviceWait {
 public:
  virtual void Begin() = 0;
  virtual void End() = 0;
  // Callable from any thread; the next (or running) Wait returns kWaitCancelled. A Wait that
  // starts later clears it, which is why Stop repeats it until the search has ended.
  virtual void Cancel() = 0;
  // Shows (or, in the background, posts) a progress text made while the search runs, such as a
  // sweep's range and how far it has come. Waits that show nothing ignore it.
  virtual void SetProgressText(const std::string& text) { (void)text; }
};

}  // namespace discovery
