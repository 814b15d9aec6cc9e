// The status windows of all ports, on the GUI thread. Give Observer() to the port table when it
// is made: the port threads then hand their snapshots over through it, and the window of a port
// appears when the port is asked to show its status. The windows send the user's requests to the
// port threads through the table given to SetTable. Destroy the table before this object.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/QtMessagePoster.h"
#include "vport/PortStatusRelay.h"
#include "vport/PortStatusWindow.h"

namespace vport {

class CVirtualPortTable;

class PortStatusWindows {
 public:
  struct Services {
    platform::Prompt* prompt = nullptr;      // the boxes of "Save..."; none: the current prompt
    platform::FileChooser* files = nullptr;  // its save dialog; none: the Qt file dialog
    std::string caption = "Portolan";        // caption of those boxes
    std::function<void(unsigned)> help;      // opens a help topic by number
    PortObserver* next = nullptr;            // hears every report of the ports too
  };

  explicit PortStatusWindows(Services services);
  ~PortStatusWindows();
  PortStatusWindows(const PortStatusWindows&) = delete;
  PortStatusWindows& operator=(const PortStatusWindows&) = delete;

  PortObserver& Observer() { return relay_; }
  void SetTable(CVirtualPortTable* table) { table_ = table; }

  // The window of a port ("COM5"), null until it was first asked for.
  PortStatusWindow* Window(const std::string& comName) const;

 private:
  void TakeSnapshots();
  bool PostToPort(const std::string& comName, std::uint32_t id, std::intptr_t wParam);

  Services services_;
  std::unique_ptr<platform::FileChooser> ownFiles_;
  CVirtualPortTable* table_ = nullptr;
  platform::QtMessagePoster poster_;
  PortStatusRelay relay_;
  std::map<std::string, std::unique_ptr<PortStatusWindow>> windows_;
};

}  // namespace vport
