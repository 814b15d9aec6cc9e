#include "vport/CVirtualPortTable.h"

#include <cctype>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/OpenFileLimit.h"
#include "platform/SerialPortList.h"
#include "vport/BridgeCodes.h"
#include "vport/CVSPortAx.h"
#include "vport/PortFolder.h"
#include "vport/WineLink.h"

namespace vport {

namespace {

// The control's start-up reset needs no port and no events.
class NoEvents : public VSPortEvents {};

}  // namespace

CVirtualPortTable::CVirtualPortTable(platform::RegistryStore& store, std::string rootPath)
    : CVirtualPortTable(store, std::move(rootPath), Options{}) {}

CVirtualPortTable::CVirtualPortTable(platform::RegistryStore& store, std::string rootPath,
                                     Options options)
    : store_(store), rootPath_(std::move(rootPath)), options_(std::move(options)) {
  // Each port holds a few descriptors (pty, events, its loop, a connection): 255 of them pass
  // the usual soft limit of 1024.
  platform::OpenFileLimit::Raise();
  for (auto& record : records_) FreeRecord(record);
  {
    NoEvents sink;
    CVSPortAx control(sink);
    control.StartupReset();
  }
  options_.clock->Sleep(kStartupResetWaitMs);
  MarkSystemPorts();
}

CVirtualPortTable::~CVirtualPortTable() {
  AbandonStartingPorts();  // the program ends during its start-up: do not finish it first
  // Removing the ports one by one (DestroyAllPorts) looks at every process for each port to see
  // whether an application holds it; at the end they go regardless, so nothing need be looked at.
  EndAllPorts();
}

void CVirtualPortTable::EndAllPorts() {
  for (auto& record : records_) {
    if (record.portThread) record.portThread->Quit();
  }
  for (auto& record : records_) {
    if (!record.portThread) continue;
    record.portThread->WaitWhileBusy();  // on the GUI thread, a message of the port is answered
    FreeRecord(record);                  // joins the thread; its window removes the port
  }
}

std::string CVirtualPortTable::ComName(int comNumber) {
  return "COM" + std::to_string(comNumber);
}

std::string CVirtualPortTable::PortSection(int comNumber) {
  return "Ports\\" + ComName(comNumber);
}

std::string CVirtualPortTable::KeyPath(int comNumber) const {
  return rootPath_ + "\\" + PortSection(comNumber);
}

namespace {

WineLink WineLinkOf(const std::string& comName) {
  return WineLink(WineLink::DosDevicesFromEnvironment(), comName,
                  PortFolder::FromEnvironment().LinkPath(comName));
}

}  // namespace

void CVirtualPortTable::MakeWineLink(const VirtualPortRecord& record) {
  WineLink link = WineLinkOf(record.comName);
  const std::string text = link.Describe(link.Make());
  if (options_.observer) options_.observer->Notice(record.comName, text);
}

void CVirtualPortTable::RemoveWineLink(const VirtualPortRecord& record) {
  WineLink link = WineLinkOf(record.comName);
  const std::string text = link.Describe(link.Remove());
  if (options_.observer) options_.observer->Notice(record.comName, text);
}

void CVirtualPortTable::Publish(int comNumber) {
  const VirtualPortRecord& record = records_[Index(comNumber)];
  board_->Set(comNumber, record.comName, record.ipAddr + ":" + record.tcpPort,
              record.portThread->FiguresSource());
}

void CVirtualPortTable::FreeRecord(VirtualPortRecord& record) {
  board_->Clear(static_cast<int>(&record - records_.data()) + 1);
  // The Wine link goes with the port (after its thread, which removes the port itself).
  const bool wine = record.state == PORT_SLOT_DEFINED && (record.flags & PORTFLAG_WINE) != 0;
  record.portThread.reset();
  if (wine) RemoveWineLink(record);
  record.state = PORT_SLOT_FREE;
  record.comName.clear();
  record.hwAddr.clear();
  record.devPort = 0;
  record.flags = 0;
  record.tcpPort.clear();
  record.ipAddr.clear();
  record.line.reset();
}

int CVirtualPortTable::SystemPortNumber(const std::string& data) {
  // The value data as a 128-byte buffer holds it: at most 127 characters.
  const std::string text = data.substr(0, 127);
  if (text.find("COM") == std::string::npos) return 0;
  std::size_t digit = 0;
  while (digit < text.size() && !std::isdigit(static_cast<unsigned char>(text[digit]))) ++digit;
  if (digit == text.size()) return 0;
  int number = 0;
  for (std::size_t i = digit; i < text.size() && i < digit + 3; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) break;
    number = number * 10 + (text[i] - '0');
  }
  return number >= 1 && number <= 254 ? number : 0;
}

void CVirtualPortTable::MarkSystemPorts() {
  const auto ports = platform::SerialPortList::SystemSerialPorts();
  for (std::size_t i = 0; i < ports.size() && i <= 255; ++i) {
    const int number = SystemPortNumber(ports[i].second);
    if (number != 0) records_[Index(number)].state = PORT_SLOT_SYSTEM;
  }
}

int CVirtualPortTable::CreatePort(int comNumber, const std::string& hwAddr, int32_t devPort,
                                  const std::string& ipAddr, const std::string& tcpPort,
                                  uint32_t flags, bool wait,
                                  const std::optional<LineSettings>& line) {
  if (!InRange(comNumber)) return kFailed;
  VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_FREE) return kFailed;
  const std::string comName = ComName(comNumber);
  auto thread = std::make_unique<CVirtualPortThread>(*options_.clock);
  thread->SetStartValues(ipAddr, tcpPort, comName, flags);
  thread->SetLineSettings(line);
  thread->SetObserver(options_.observer);
  thread->SetCaption(options_.caption);
  thread->SetConnectTimeout(options_.connectTimeoutMs);
  thread->SetBusy();
  if (!thread->Resume()) return kFailed;
  if (wait) {
    thread->WaitWhileBusy();
    if (!thread->PortExists()) return kFailed;  // the thread ends as its object goes
  }
  record.portThread = std::move(thread);
  record.hwAddr = hwAddr;
  record.flags = flags;
  record.comName = comName;
  record.state = PORT_SLOT_DEFINED;
  record.tcpPort = tcpPort;
  record.devPort = devPort;
  record.ipAddr = ipAddr;
  record.line = line;
  if (flags & PORTFLAG_WINE) MakeWineLink(record);
  if (wait) Publish(comNumber);
  return 0;
}

int CVirtualPortTable::DestroyPort(int comNumber) {
  if (!InRange(comNumber)) return 0;
  VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_DEFINED || !record.portThread) return 0;
  CVirtualPortThread& thread = *record.portThread;
  // A creation that is still running finishes first; its outcome decides what is left to do.
  thread.WaitWhileBusy();
  if (!thread.PortExists()) {
    // The port never came up: nothing to remove, and the slot is of no use to anyone.
    FreeRecord(record);
    return 0;
  }
  thread.SetBusy();
  thread.AbortSends();  // the removal closes the connection: a send stuck on it must not wait
  if (!thread.PostMessage(WM_VPORT_DESTROY)) {
    thread.WaitWhileBusy();
    return kFailed;
  }
  thread.WaitWhileBusy();
  if (thread.PortExists()) return kFailed;
  FreeRecord(record);  // joins the thread, which has nothing left to do but end
  return 0;
}

bool CVirtualPortTable::IsLive(int comNumber) const {
  if (!InRange(comNumber)) return false;
  const VirtualPortRecord& record = records_[Index(comNumber)];
  return record.portThread && !record.portThread->Busy() && record.portThread->PortExists();
}

int CVirtualPortTable::FindPort(const std::string& hwAddr, int32_t devPort) const {
  for (int n = 1; n <= kSlots; ++n) {
    const VirtualPortRecord& record = records_[Index(n)];
    if (record.hwAddr == hwAddr && record.devPort == devPort && IsLive(n)) return n;
  }
  return -1;
}

int CVirtualPortTable::GetPortInfo(int comNumber, std::string& comName, std::string& hwAddr,
                                   int32_t& devPort, uint32_t& flags, std::string& tcpPort) const {
  if (!InRange(comNumber)) return kFailed;
  const VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_DEFINED) return kFailed;
  comName = record.comName;
  hwAddr = record.hwAddr;
  devPort = record.devPort;
  flags = record.flags;
  tcpPort = record.tcpPort;
  return 0;
}

std::optional<LineSettings> CVirtualPortTable::GetPortLineSettings(int comNumber) const {
  if (!InRange(comNumber)) return std::nullopt;
  const VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_DEFINED) return std::nullopt;
  return record.line;
}

int32_t CVirtualPortTable::GetSlotState(int comNumber) const {
  if (!InRange(comNumber)) return PORT_SLOT_INVALID;
  return records_[Index(comNumber)].state;
}

bool CVirtualPortTable::PostToPort(int comNumber, uint32_t id, intptr_t wParam) {
  if (!InRange(comNumber)) return false;
  VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_DEFINED || !IsLive(comNumber)) return false;
  return record.portThread->PostMessage(id, wParam);
}

void CVirtualPortTable::ShowPortStatus(int comNumber) {
  PostToPort(comNumber, WM_VPORT_SHOWSTATUS);
}

void CVirtualPortTable::SavePort(int comNumber) {
  if (!InRange(comNumber)) return;
  const VirtualPortRecord& record = records_[Index(comNumber)];
  if (record.state != PORT_SLOT_DEFINED) return;
  const std::string key = rootPath_ + "\\Ports\\" + record.comName;
  store_.SetString(key, "DevHwAddr", record.hwAddr);
  store_.SetString(key, "DevIpAddr", record.ipAddr);
  store_.SetString(key, "DevTcpPrt", record.tcpPort);
  store_.SetDword(key, "ComPrtNum", static_cast<uint32_t>(comNumber));
  store_.SetDword(key, "DevPrtNum", static_cast<uint32_t>(record.devPort));
  store_.SetDword(key, "PortFlags", record.flags);
  // Only ports with fixed settings carry the value; the others are stored as they always were.
  if (record.line) {
    store_.SetString(key, "LineSettings", record.line->Text());
  } else {
    store_.DeleteValue(key, "LineSettings");
  }
}

std::string CVirtualPortTable::ReadString(const std::string& key, const std::string& name) {
  const auto value = store_.GetValue(key, name);
  if (!value || value->type != platform::RegType::String) return "";
  return value->text;
}

uint32_t CVirtualPortTable::ReadDword(const std::string& key, const std::string& name) {
  const auto value = store_.GetValue(key, name);
  if (!value || value->type != platform::RegType::Dword) return 0;
  return value->dword;
}

bool CVirtualPortTable::LoadPort(int comNumber, std::string& hwAddr, std::string& ipAddr,
                                 std::string& tcpPort, int32_t& devPort, uint32_t& flags) {
  if (!InRange(comNumber)) return false;
  const std::string key = KeyPath(comNumber);
  bool complete = false;
  hwAddr = ReadString(key, "DevHwAddr");
  if (!hwAddr.empty()) {
    ipAddr = ReadString(key, "DevIpAddr");
    if (!ipAddr.empty()) {
      tcpPort = ReadString(key, "DevTcpPrt");
      if (!tcpPort.empty()) {
        devPort = static_cast<int32_t>(ReadDword(key, "DevPrtNum"));
        flags = ReadDword(key, "PortFlags");
        complete = true;
      }
    }
  }
  if (!complete) DeletePortKey(comNumber);
  return complete;
}

void CVirtualPortTable::DeletePortKey(int comNumber) {
  if (!InRange(comNumber)) return;
  const std::string key = KeyPath(comNumber);
  if (store_.KeyExists(key)) store_.DeleteTree(key);
}

std::optional<LineSettings> CVirtualPortTable::LoadLineSettings(int comNumber) {
  if (!InRange(comNumber)) return std::nullopt;
  const std::string text = ReadString(KeyPath(comNumber), "LineSettings");
  if (text.empty()) return std::nullopt;
  auto line = LineSettings::Parse(text);
  if (!line && options_.observer) {
    options_.observer->Notice(
        ComName(comNumber),
        "stored line settings \"" + text + "\" ignored: not " + LineSettings::AcceptedForms());
  }
  return line;
}

void CVirtualPortTable::LoadAllPorts() {
  StartStoredPorts();
  CollectStartedPorts(true);
}

void CVirtualPortTable::StartStoredPorts() {
  for (int n = 1; n <= kSlots; ++n) {
    std::string hwAddr, ipAddr, tcpPort;
    int32_t devPort = 0;
    uint32_t flags = 0;
    if (LoadPort(n, hwAddr, ipAddr, tcpPort, devPort, flags) &&
        CreatePort(n, hwAddr, devPort, ipAddr, tcpPort, flags, false, LoadLineSettings(n)) == 0) {
      starting_.emplace_back(n, records_[Index(n)].portThread.get());
    }
  }
}

bool CVirtualPortTable::StillStarting(const std::pair<int, const CVirtualPortThread*>& port) const {
  const VirtualPortRecord& record = records_[Index(port.first)];
  return record.portThread && record.portThread.get() == port.second;
}

void CVirtualPortTable::TakeOutcome(int comNumber) {
  VirtualPortRecord& record = records_[Index(comNumber)];
  // As after a creation with wait: the slot of a port that could not be made stays free. The
  // thread has reported the failure itself.
  if (!record.portThread->PortExists()) {
    FreeRecord(record);
  } else {
    Publish(comNumber);
  }
}

bool CVirtualPortTable::CollectStartedPorts(bool block, const std::function<bool()>& stop) {
  std::vector<std::pair<int, const CVirtualPortThread*>> left;
  for (const auto& port : starting_) {
    if (!StillStarting(port)) continue;  // destroyed meanwhile
    CVirtualPortThread& thread = *records_[Index(port.first)].portThread;
    if (block && !stop) thread.WaitWhileBusy();
    while (block && thread.Busy()) {
      if (stop()) {
        AbandonStartingPorts();
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (thread.Busy()) {
      left.push_back(port);
    } else {
      TakeOutcome(port.first);
    }
  }
  starting_.swap(left);
  return starting_.empty();
}

void CVirtualPortTable::AbandonStartingPorts() {
  // Every loop quits first, so that the ports' waits while priming end together.
  for (const auto& port : starting_) {
    if (StillStarting(port)) records_[Index(port.first)].portThread->Quit();
  }
  for (const auto& port : starting_) {
    if (!StillStarting(port)) continue;
    VirtualPortRecord& record = records_[Index(port.first)];
    record.portThread->WaitWhileBusy();  // on the GUI thread, a message of the port is answered
    FreeRecord(record);                  // joins the thread; the port goes with its link
  }
  starting_.clear();
}

void CVirtualPortTable::DestroyAllPorts() {
  for (int n = 1; n <= kSlots; ++n) DestroyPort(n);
}

}  // namespace vport
