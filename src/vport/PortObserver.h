// What a front end hears from a port's window: its state changes and the log text each tick
// moves into the log box. Called on the port's own thread; an observer shared by several ports
// must guard itself.
#pragma once

#include <string>

#include "vport/PortStatusModel.h"
#include "vport/PortStatusSnapshot.h"

namespace vport {

class PortObserver {
 public:
  virtual ~PortObserver() = default;
  // The port exists (link made) or was removed.
  virtual void PortCreated(const std::string& comName, const std::string& linkPath) {
    (void)comName;
    (void)linkPath;
  }
  virtual void PortRemoved(const std::string& comName) { (void)comName; }
  // A remark about the port beside its connection (its Wine link made, removed or left alone).
  // Called on the table's thread.
  virtual void Notice(const std::string& comName, const std::string& text) {
    (void)comName;
    (void)text;
  }
  // The port could not be made; reason is the system's (strerror text). Comes after the port's
  // own message "Error creating virtual port ...".
  virtual void PortCreationFailed(const std::string& comName, const std::string& reason) {
    (void)comName;
    (void)reason;
  }
  virtual void StateChanged(const std::string& comName, const std::string& statusText) {
    (void)comName;
    (void)statusText;
  }
  // What the status window shows: when the port is made (fresh), when the window is asked for
  // (show), at every tick while it is visible (with the log text the tick moved), at each change
  // of state while it is visible, and when the port goes (removed).
  virtual void StatusChanged(const PortStatusSnapshot& snapshot) { (void)snapshot; }
  // Text that moved into the log box (CR LF line ends, each line begun by CR LF).
  virtual void LogText(const std::string& comName, const std::string& text) {
    (void)comName;
    (void)text;
  }
};

}  // namespace vport
