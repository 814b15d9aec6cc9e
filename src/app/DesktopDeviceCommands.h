// The commands of the desktop program about the device servers that are not port commands:
// Network Information (32887), Reset Server (32777) and Enter IP address (32895, for a device
// without an address), registered with the main window. Each
// stops the search first; what the command then shows or does runs through the runners, so that
// the rules here (which device a command goes to) stand apart from the dialogs and the network.
// Registered while the object lives, so it must go before the main window does.
#pragma once

#include <functional>

namespace discovery {
class CDeviceRecord;
}
namespace views {
class CViewNode;
class CViewStore;
}  // namespace views

namespace app {

class MainFrameController;

class DesktopDeviceCommands {
 public:
  struct Runners {
    // Shows the Network Information dialog.
    std::function<void()> networkInformation;
    // Resets or restores record, a device of view, through the Reset Server dialog.
    std::function<void(discovery::CDeviceRecord& record, const views::CViewNode& view)> reset;
    // Gives record, a device without an address, one (Enter IP address, dialog 109).
    std::function<void(discovery::CDeviceRecord& record)> enterIpAddress;
  };

  DesktopDeviceCommands(MainFrameController& controller, views::CViewStore& store, Runners runners);
  ~DesktopDeviceCommands();
  DesktopDeviceCommands(const DesktopDeviceCommands&) = delete;
  DesktopDeviceCommands& operator=(const DesktopDeviceCommands&) = delete;

 private:
  void NetworkInformation();
  void Reset();
  void EnterIpAddress();

  MainFrameController& controller_;
  views::CViewStore& store_;
  Runners runners_;
};

}  // namespace app
