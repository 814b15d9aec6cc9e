// What a front end hears from a port's window: its state changes and the log text each tick
// moves into the log box. Called on the port's own thread; an observer shared by several ports
// must guard itself.
#pragma once

#include <string>

#include "vport/PortStatusModel.h"

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
  virtual void StateChanged(const std::string& comName, const std::string& statusText) {
    (void)comName;
    (void)statusText;
  }
  // Text that moved into the log box (CR LF line ends, each line begun by CR LF).
  virtual void LogText(const std::string& comName, const std::string& text) {
    (void)comName;
    (void)text;
  }
};

}  // namespace vport
