#include "app/DesktopPortCommands.h"

#include "app/ErrorClass.h"
#include "app/ErrorReporter.h"
#include "app/FrameIds.h"
#include "app/MainFrameController.h"
#include "discovery/CDeviceColumnTable.h"
#include "discovery/CDeviceRecord.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"

namespace app {

namespace {

std::string ColumnText(const discovery::CDeviceRecord& record, int column) {
  const char* text = record.GetColumnText(column);
  return text != nullptr ? text : "";
}

}  // namespace

DesktopPortCommands::DesktopPortCommands(MainFrameController& controller, views::CViewStore& store,
                                         vport::CVirtualPortTable* table,
                                         vport::VirtualPortDialogs& dialogs,
                                         platform::Prompt& prompt, std::string caption,
                                         ErrorReport reportError)
    : controller_(controller),
      store_(store),
      reportError_(std::move(reportError)),
      commands_(table, dialogs, prompt, std::move(caption), Hooks()) {
  if (!reportError_) {
    reportError_ = [](int code) {
      ReportError(static_cast<unsigned>(code), ERRCLASS_IP, 0, ERRCLASS_NONE, 1);
    };
  }
  Register();
}

DesktopPortCommands::~DesktopPortCommands() {
  for (int id : {cmd::kVirtualPort, cmd::kConnectionStatus, cmd::kDeletePortByNumber,
                 cmd::kDeletePortByNumber2}) {
    controller_.SetCommandHandler(id, {});
  }
}

std::optional<vport::SelectedDevicePort> DesktopPortCommands::SelectedPort(
    const views::CViewStore& store) {
  int port = 0;
  const discovery::CDeviceRecord* record = store.SelectedDevice(&port);
  if (record == nullptr) return std::nullopt;
  vport::SelectedDevicePort selected;
  selected.ipAddr = ColumnText(*record, discovery::kColIpAddress);
  selected.hwAddr = ColumnText(*record, discovery::kColHwAddress);
  selected.devPort = port;
  selected.portCount = record->GetPortCount();
  selected.detailsRead = record->IsValid();
  return selected;
}

vport::VirtualPortCommands::Hooks DesktopPortCommands::Hooks() {
  vport::VirtualPortCommands::Hooks hooks;
  hooks.stopSearch = [this] { controller_.StopSearch(); };
  hooks.viewIsTcpIp = [this] {
    const views::CViewNode* view = store_.CurrentNode();
    return view != nullptr && view->Type() == MainFrameController::kTcpIpView;
  };
  // The store queries the device again and redoes its rows; the record may be another one
  // afterwards, so the values are copied anew.
  hooks.rebuildSelected = [this] {
    store_.RefreshOne();
    return SelectedPort(store_);
  };
  hooks.reportError = [this](int code) { reportError_(code); };
  hooks.columnChanged = [this](const vport::VirtualPortColumnChange&) {
    store_.RefreshVirtualPorts();
  };
  return hooks;
}

void DesktopPortCommands::Register() {
  controller_.SetCommandHandler(cmd::kVirtualPort,
                                [this] { commands_.CreateOrDelete(SelectedPort(store_)); });
  controller_.SetCommandHandler(cmd::kConnectionStatus,
                                [this] { commands_.ViewStatus(SelectedPort(store_)); });
  auto deleteByNumber = [this] { commands_.DeleteByNumber(); };
  controller_.SetCommandHandler(cmd::kDeletePortByNumber, deleteByNumber);
  controller_.SetCommandHandler(cmd::kDeletePortByNumber2, deleteByNumber);
}

}  // namespace app
