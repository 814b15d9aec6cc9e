#include "app/DesktopDeviceCommands.h"

#include <utility>

#include "app/FrameIds.h"
#include "app/MainFrameController.h"
#include "views/CViewStore.h"

namespace app {

DesktopDeviceCommands::DesktopDeviceCommands(MainFrameController& controller,
                                             views::CViewStore& store, Runners runners)
    : controller_(controller), store_(store), runners_(std::move(runners)) {
  controller_.SetCommandHandler(cmd::kNetworkInformation, [this] { NetworkInformation(); });
  controller_.SetCommandHandler(cmd::kReset, [this] { Reset(); });
  controller_.SetCommandHandler(cmd::kEnterIpAddress, [this] { EnterIpAddress(); });
}

DesktopDeviceCommands::~DesktopDeviceCommands() {
  controller_.SetCommandHandler(cmd::kNetworkInformation, {});
  controller_.SetCommandHandler(cmd::kReset, {});
  controller_.SetCommandHandler(cmd::kEnterIpAddress, {});
}

void DesktopDeviceCommands::NetworkInformation() {
  controller_.StopSearch();
  if (runners_.networkInformation) runners_.networkInformation();
}

void DesktopDeviceCommands::Reset() {
  controller_.StopSearch();
  discovery::CDeviceRecord* record = store_.SelectedDevice();
  const views::CViewNode* view = store_.CurrentNode();
  if (record == nullptr || view == nullptr || !runners_.reset) return;
  runners_.reset(*record, *view);
}

void DesktopDeviceCommands::EnterIpAddress() {
  controller_.StopSearch();
  // Only a device that answered without an address gets one; the list offers no other.
  if (!store_.SelectedDeviceNeedsAddress() || !runners_.enterIpAddress) return;
  runners_.enterIpAddress(*store_.SelectedDevice());
}

}  // namespace app
