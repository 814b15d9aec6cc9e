#include "vport/VirtualPortCommands.h"

#include "platform/Prompt.h"
#include "vport/AddVirtualPortForm.h"
#include "vport/CVirtualPortTable.h"
#include "vport/DeleteVirtualPortForm.h"
#include "vport/PortFlags.h"
#include "vport/VirtualPortDialogs.h"

namespace vport {

namespace {

std::string UnableToDeleteText(int comNumber) {
  return "Unable to delete virtual port " + ComNumberSet::Text(comNumber) +
         "\nAn application may have the port open.";
}

}  // namespace

VirtualPortCommands::VirtualPortCommands(CVirtualPortTable* table, VirtualPortDialogs& dialogs,
                                         platform::Prompt& prompt, std::string caption, Hooks hooks)
    : table_(table),
      dialogs_(dialogs),
      prompt_(prompt),
      caption_(std::move(caption)),
      hooks_(std::move(hooks)) {}

std::string VirtualPortCommands::TcpPortFor(bool rfc2217, std::int32_t devPort) {
  return std::to_string((rfc2217 ? kRfc2217TcpBase : kRawTcpBase) + devPort);
}

std::uint32_t VirtualPortCommands::FlagsFor(bool rfc2217, bool autoStart, bool strictBaud) {
  std::uint32_t flags = 0;
  if (rfc2217) flags |= PORTFLAG_RFC2217;
  if (autoStart) flags |= PORTFLAG_AUTOSTART;
  if (strictBaud) flags |= PORTFLAG_STRICTBAUD;
  return flags;
}

void VirtualPortCommands::Tell(const std::string& text) {
  prompt_.MessageBox(text, caption_, platform::MB_OK);
}

void VirtualPortCommands::StopSearch() {
  if (hooks_.stopSearch) hooks_.stopSearch();
}

void VirtualPortCommands::ColumnChanged(int comNumber, const std::string& hwAddr,
                                        std::int32_t devPort, bool bound) {
  if (!hooks_.columnChanged) return;
  hooks_.columnChanged(
      VirtualPortColumnChange{comNumber, ComNumberSet::Text(comNumber), hwAddr, devPort, bound});
}

VirtualPortCommands::Result VirtualPortCommands::CreateOrDelete(
    std::optional<SelectedDevicePort> selected) {
  StopSearch();
  if (hooks_.viewIsTcpIp && !hooks_.viewIsTcpIp()) {
    Tell("Protocol not supported");
    return Result::kNothing;
  }
  if (!selected) return Result::kNothing;
  if (!selected->detailsRead) {
    // The list rebuilds the entry in place; we keep only the fresh copy of its values.
    if (hooks_.rebuildSelected) selected = hooks_.rebuildSelected();
    if (!selected || !selected->detailsRead) {
      if (hooks_.reportError) hooks_.reportError(kErrorCannotCommunicate);
      return Result::kFailed;
    }
  }
  if (table_ == nullptr) return Result::kNothing;
  const SelectedDevicePort device = *selected;
  const int existing = table_->FindPort(device.hwAddr, device.devPort);

  AddVirtualPortForm form;
  form.comNumber = existing;
  form.devPort = device.devPort;
  form.ipAddr = device.ipAddr;
  for (int n = 1; n <= ComNumberSet::kMaxNumber; ++n) {
    form.available.Set(n, table_->GetSlotState(n) == PORT_SLOT_FREE);
  }
  if (existing != -1) {
    std::string comName, hwAddr, tcpPort;
    std::int32_t devPort = 0;
    std::uint32_t flags = 0;
    if (table_->GetPortInfo(existing, comName, hwAddr, devPort, flags, tcpPort) == 0) {
      form.rfc2217 = (flags & PORTFLAG_RFC2217) != 0;
      form.autoStart = (flags & PORTFLAG_AUTOSTART) != 0;
      form.strictBaud = (flags & PORTFLAG_STRICTBAUD) != 0;
      form.line = table_->GetPortLineSettings(existing);
    }
  }
  if (!dialogs_.RunAddDialog(form)) return Result::kCancelled;
  return existing == -1 ? Add(device, form) : Delete(device, existing);
}

VirtualPortCommands::Result VirtualPortCommands::Add(const SelectedDevicePort& device,
                                                     const AddVirtualPortForm& form) {
  const std::uint32_t flags = FlagsFor(form.rfc2217, form.autoStart, form.strictBaud);
  const std::string tcpPort = TcpPortFor(form.rfc2217, device.devPort);
  // Waits for the port to come up, so that only a port that exists is stored; a port that could
  // not be made was reported by its own thread.
  if (table_->CreatePort(form.comNumber, device.hwAddr, device.devPort, device.ipAddr, tcpPort,
                         flags, true, form.line) != 0) {
    Tell("Unable to create virtual port");
    return Result::kFailed;
  }
  if (form.autoStart) {
    table_->SavePort(form.comNumber);
  } else {
    // A record of an earlier binding of this number would bring that binding back at the next
    // start.
    table_->DeletePortKey(form.comNumber);
  }
  ColumnChanged(form.comNumber, device.hwAddr, device.devPort, true);
  return Result::kAdded;
}

VirtualPortCommands::Result VirtualPortCommands::Delete(const SelectedDevicePort& device,
                                                        int comNumber) {
  if (table_->DestroyPort(comNumber) != 0) {
    Tell(UnableToDeleteText(comNumber));
    return Result::kFailed;
  }
  table_->DeletePortKey(comNumber);
  ColumnChanged(comNumber, device.hwAddr, device.devPort, false);
  return Result::kDeleted;
}

VirtualPortCommands::Result VirtualPortCommands::ViewStatus(
    const std::optional<SelectedDevicePort>& selected) {
  StopSearch();
  if (!selected || table_ == nullptr) return Result::kNothing;
  const int n = table_->FindPort(selected->hwAddr, selected->devPort);
  if (n == -1) {
    Tell("No virtual COM port is associated with this server/port");
    return Result::kNothing;
  }
  table_->ShowPortStatus(n);
  return Result::kShown;
}

VirtualPortCommands::Result VirtualPortCommands::DeleteByNumber() {
  StopSearch();
  if (table_ == nullptr) return Result::kNothing;
  DeleteVirtualPortForm form;
  for (int n = 1; n <= ComNumberSet::kMaxNumber; ++n) {
    form.available.Set(n, table_->GetSlotState(n) == PORT_SLOT_DEFINED);
  }
  if (form.available.Empty()) {
    Tell("No virtual COM ports are defined");
    return Result::kNothing;
  }
  if (!dialogs_.RunDeleteDialog(form)) return Result::kCancelled;
  const int n = form.comNumber;
  if (!CVirtualPortTable::InRange(n)) return Result::kNothing;
  // The binding as it was, for the list: after a removal the table no longer knows it.
  std::string comName, hwAddr, tcpPort;
  std::int32_t devPort = 0;
  std::uint32_t flags = 0;
  table_->GetPortInfo(n, comName, hwAddr, devPort, flags, tcpPort);
  if (table_->DestroyPort(n) != 0) {
    const int answer = prompt_.MessageBox(
        UnableToDeleteText(n) + "\nDo you want to delete the Registry key for this port?", caption_,
        platform::MB_YESNO);
    if (answer != platform::IDYES) return Result::kFailed;
    table_->DeletePortKey(n);
    // The port itself stays until it is let go: the list still shows it.
    ColumnChanged(n, hwAddr, devPort, table_->GetSlotState(n) == PORT_SLOT_DEFINED);
    return Result::kKeyDeleted;
  }
  table_->DeletePortKey(n);
  ColumnChanged(n, hwAddr, devPort, false);
  return Result::kDeleted;
}

}  // namespace vport
