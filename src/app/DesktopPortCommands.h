// The port commands of the desktop program's device list: Virtual Port (32772), Connection Status
// (32774) and Delete Port by Number (32804, and 32780 which no menu carries), registered with the
// main window. Each runs vport::VirtualPortCommands on the device selected in the list, after the
// search is stopped; the list's Virtual Port column follows every change of the port table.
// Registered while the object lives, so it must go before the main window does.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "vport/SelectedDevicePort.h"
#include "vport/VirtualPortCommands.h"

namespace platform {
class Prompt;
}
namespace views {
class CViewStore;
}
namespace vport {
class CVirtualPortTable;
class VirtualPortDialogs;
}  // namespace vport

namespace app {

class MainFrameController;

class DesktopPortCommands {
 public:
  // A coded failure (class 1, the application's texts) through the error reporter.
  using ErrorReport = std::function<void(int code)>;

  // table none: the commands do nothing. caption titles their boxes; reportError none:
  // app::ReportError.
  DesktopPortCommands(MainFrameController& controller, views::CViewStore& store,
                      vport::CVirtualPortTable* table, vport::VirtualPortDialogs& dialogs,
                      platform::Prompt& prompt, std::string caption, ErrorReport reportError = {});
  ~DesktopPortCommands();
  DesktopPortCommands(const DesktopPortCommands&) = delete;
  DesktopPortCommands& operator=(const DesktopPortCommands&) = delete;

  // What the commands need of the selected row, copied out of its record; none when no row is
  // selected.
  static std::optional<vport::SelectedDevicePort> SelectedPort(const views::CViewStore& store);

 private:
  vport::VirtualPortCommands::Hooks Hooks();
  void Register();

  MainFrameController& controller_;
  views::CViewStore& store_;
  ErrorReport reportError_;
  vport::VirtualPortCommands commands_;
};

}  // namespace app
