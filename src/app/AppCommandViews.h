// What the application's commands need of the views: the current view's type, the list's rows
// and selection, the tree's selection, and the searches for one device. The desktop program
// answers over its view store; tests answer with a script, so that no command reaches a network.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/AddressSearchCommands.h"
#include "app/IpListExport.h"

namespace app {

class AppCommandViews {
 public:
  virtual ~AppCommandViews() = default;

  // The current view's type (6: TCP/IP); 0 when there is none.
  virtual int CurrentViewType() const = 0;
  // The IP address of the device of the selected row.
  virtual std::optional<std::string> SelectedDeviceIp() const = 0;
  // The list's rows in the order shown, with the address of each row's device.
  virtual std::vector<IpListRow> ListedRows() const = 0;
  // The name of the view selected in the tree (nothing for a folder or no selection).
  virtual std::optional<std::string> SelectedTreeView() const = 0;
  // The tree shows the current view selected again.
  virtual void ShowCurrentViewInTree() = 0;
  // The device with that text, or at that address, gets its row selected; false when not found.
  virtual bool FindAndSelect(const std::string& text) = 0;
  // Sends the set-address request that the form describes: a discovery::SetAddressResult (0 when
  // it went out; a socket failure is reported where it happened) or the id of the message that
  // says why not (5003, 5004).
  virtual int SendSetAddress(const UnlistedServerForm& form) = 0;
  // After the request: true when the device answers at ip within seconds (under the wait window).
  virtual bool ConfirmNewAddress(const std::string& ip, int seconds) = 0;
  // Makes the named view current and searches it; false when there is no such view or it cannot
  // be opened.
  virtual bool OpenView(const std::string& name) = 0;
};

}  // namespace app
