// The three port commands of the device list: create or delete the port of the selected device
// port, show its status window, delete a port by number. GUI-free: dialogs, messages and the
// list are reached through the interfaces and hooks given here, so tests drive the whole command.
// Main thread only (the port table's thread).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "vport/SelectedDevicePort.h"

namespace platform {
class Prompt;
}

namespace vport {

class AddVirtualPortForm;
class CVirtualPortTable;
class VirtualPortDialogs;

class VirtualPortCommands {
 public:
  static constexpr int kRawTcpBase = 9100;
  static constexpr int kRfc2217TcpBase = 9200;
  static constexpr int kErrorCannotCommunicate = 5018;

  enum class Result {
    kNothing,     // nothing to act on (no selection, no table, not a TCP/IP view)
    kCancelled,   // the user cancelled a dialog
    kAdded,       // a port was created (and stored when it is to come back at start)
    kDeleted,     // a port was removed and its stored record deleted
    kKeyDeleted,  // the port could not be removed; the user had its stored record deleted
    kFailed,      // the table refused; the user was told
    kShown,       // the status window was asked for
  };

  struct Hooks {
    std::function<void()> stopSearch;   // the Stop command's prologue
    std::function<bool()> viewIsTcpIp;  // the current view's protocol; none: TCP/IP
    // Rebuilds the selected entry of the list (its details read again) and copies it anew.
    std::function<std::optional<SelectedDevicePort>()> rebuildSelected;
    std::function<void(int code)> reportError;  // a coded failure through the error reporter
    std::function<void(const VirtualPortColumnChange&)> columnChanged;
  };

  // table may be null (no port table): the commands then do nothing. caption titles the boxes.
  VirtualPortCommands(CVirtualPortTable* table, VirtualPortDialogs& dialogs,
                      platform::Prompt& prompt, std::string caption, Hooks hooks);

  Result CreateOrDelete(std::optional<SelectedDevicePort> selected);
  Result ViewStatus(const std::optional<SelectedDevicePort>& selected);
  Result DeleteByNumber();

  // The server's TCP port for a device port: 9100 + index raw, 9200 + index with RFC 2217.
  static std::string TcpPortFor(bool rfc2217, std::int32_t devPort);
  static std::uint32_t FlagsFor(bool rfc2217, bool autoStart, bool strictBaud);

 private:
  Result Add(const SelectedDevicePort& device, const AddVirtualPortForm& form);
  Result Delete(const SelectedDevicePort& device, int comNumber);
  void Tell(const std::string& text);
  void StopSearch();
  void ColumnChanged(int comNumber, const std::string& hwAddr, std::int32_t devPort, bool bound);

  CVirtualPortTable* table_;
  VirtualPortDialogs& dialogs_;
  platform::Prompt& prompt_;
  std::string caption_;
  Hooks hooks_;
};

}  // namespace vport
