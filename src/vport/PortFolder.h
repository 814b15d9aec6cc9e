// The folder that holds the COM<n> links applications open as their serial ports:
// $PORTOLAN_PORT_DIR, else $XDG_RUNTIME_DIR/portolan, else /tmp/portolan-<uid>/ports, made 0700.
#pragma once

#include <string>

#include "platform/FileOps.h"

namespace vport {

class PortFolder {
 public:
  enum class LinkState {
    Absent,   // nothing under that name
    Ours,     // a symbolic link to a pseudo-terminal node: ours, possibly left by a crashed run
    Foreign,  // anything else; never touched
    Error,    // the path could not be examined
  };

  // The folder named by the environment (not created).
  static PortFolder FromEnvironment();
  explicit PortFolder(std::string path, platform::FileOps& ops = platform::SystemFileOps())
      : path_(std::move(path)), ops_(&ops) {}

  const std::string& Path() const { return path_; }
  // Creates the folder (and missing parents) with mode 0700. Returns 0 or an errno value: the
  // folder (and the shared /tmp/portolan-<uid> above it) must be a real folder of ours that no
  // other user can enter, else ENOTDIR (a link or a file) or EPERM (another owner, or open to
  // others). *problem (when given) then says which path and why.
  int Ensure(std::string* problem = nullptr) const;
  // Ensure's problem as a text; empty when the folder is fit to use.
  std::string Problem() const;

  // "COM1" to "COM255" (any case, no leading zeros) -> the link name "COM<n>"; empty when invalid.
  static std::string LinkNameFor(const std::string& portName);
  std::string LinkPath(const std::string& linkName) const { return path_ + "/" + linkName; }

  static LinkState Inspect(const std::string& linkPath,
                           platform::FileOps& ops = platform::SystemFileOps());
  // Makes linkPath point at target in one step (temporary link, then rename). Refuses (EEXIST)
  // when something foreign is there. Returns 0 or an errno value.
  static int Publish(const std::string& linkPath, const std::string& target,
                     platform::FileOps& ops = platform::SystemFileOps());
  // Removes linkPath only while it still points at target.
  static bool RemoveIfTarget(const std::string& linkPath, const std::string& target,
                             platform::FileOps& ops = platform::SystemFileOps());
  // Removes every COM<n> link to a pseudo-terminal node; returns how many went.
  int SweepOurLinks() const;

 private:
  std::string path_;
  platform::FileOps* ops_;
};

}  // namespace vport
