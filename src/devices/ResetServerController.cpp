#include "devices/ResetServerController.h"

#include "app/DeviceAccessList.h"
#include "devices/CommunityCheck.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/CPleaseWaitDlg.h"
#include "platform/Prompt.h"
#include "res/StringTable.h"
#include "snmp/CSnmpManager.h"

namespace devices {

namespace {

constexpr int kIpProtocol = 6;
constexpr int kTelnetFormat = 2;
constexpr int kErrorClassApp = 1;
constexpr int kErrorClassSnmp = 4;
constexpr unsigned kCannotCommunicate = 5018;
constexpr unsigned kNotConfigured = 5027;
constexpr unsigned kResetQuestion = 9008;
constexpr unsigned kRestoreQuestion = 9009;
constexpr unsigned kNothingChecked = 9010;
constexpr unsigned kResetFailed = 9047;
constexpr unsigned kRestoreFailed = 9048;
constexpr unsigned kResettingText = 6112;
// Nothing is ever posted with this id: the pause after a reset ends by time (or Cancel).
constexpr unsigned kNoMessage = 0;
constexpr int32_t kDoIt = 2;  // the value that makes a command variable act

// The command group's variables: reset is index 1, restore-all index 3.
const std::vector<std::string> kCommandGroup = {".2.1.0", ".2.2.0", ".2.3.0", ".2.4.0"};
constexpr int kResetVariable = 1;
constexpr int kRestoreAllVariable = 3;
// The protocols group: the number of enabled protocols is index 1.
const std::vector<std::string> kProtocolsGroup = {".1.1.0", ".1.15.1.0", ".6.1.2.0"};
constexpr int kProtocolCountVariable = 1;

}  // namespace

ResetServerController::ResetServerController(discovery::CDeviceRecord& device,
                                             const app::DeviceAccessList& access,
                                             discovery::CPleaseWaitDlg& wait,
                                             platform::Prompt& prompt, CommunityPrompt& communities,
                                             ResetServerSettings settings, Reporter report,
                                             platform::Clock& clock)
    : device_(device),
      access_(access),
      wait_(wait),
      prompt_(prompt),
      communities_(communities),
      settings_(std::move(settings)),
      report_(std::move(report)),
      clock_(clock) {}

ResetServerController::~ResetServerController() = default;

ResetStart ResetServerController::CheckDevice() {
  if (!device_.IsValid()) {
    if (device_.Query() == discovery::kRecordCancelled) return ResetStart::kCancelled;
    if (!device_.IsValid()) {
      report_(kCannotCommunicate, kErrorClassApp, 0, 0);
      return ResetStart::kNotValid;
    }
  }
  if (!device_.IsConfigured()) {
    report_(kNotConfigured, kErrorClassApp, 0, 0);
    return ResetStart::kNotConfigured;
  }
  if (device_.GetFormat() == kTelnetFormat) return ResetStart::kTelnet;
  const auto* ip = dynamic_cast<const discovery::CIpDeviceRecord*>(&device_);
  if (settings_.viewProtocol != kIpProtocol || ip == nullptr) {
    prompt_.MessageBox(kProtocolNotSupported, settings_.appName, platform::MB_OK);
    return ResetStart::kProtocolUnsupported;
  }
  address_ = ip->IpAddress();
  return ResetStart::kDialog;
}

ResetStart ResetServerController::Start() {
  const ResetStart checked = CheckDevice();
  if (checked != ResetStart::kDialog) return checked;
  auto [get, set] = access_.CommunitiesFor(address_);
  root_ = SelectEnterpriseRoot(device_.MakerTag(), settings_.roots);
  const int check = CheckCommunities(device_, &get, &set, communities_);
  if (check == kCommunitiesCancelled) return ResetStart::kCommunityCancelled;
  writesAllowed_ = check == kCommunitiesAccepted;

  snmp::SnmpOperationContext context;
  context.family = discovery::CIpDeviceRecord::kAddressFamily;
  context.address = address_;
  context.getCommunity = get;
  context.setCommunity = writesAllowed_ ? set : std::string();
  context.wait = &wait_;
  int status = snmp::kSnmpOk;
  manager_ = std::make_unique<snmp::CSnmpManager>(context, &status, clock_);
  int result = status;
  if (result == snmp::kSnmpOk) {
    wait_.Begin();
    wait_.SetText(kReadingText, false);
    result = ReadGroups();
    wait_.End();
  }
  if (result != snmp::kSnmpOk) {
    lastError_ = result;
    report_(kCannotCommunicate, kErrorClassApp, static_cast<unsigned>(result), kErrorClassSnmp);
    lines_.clear();
    restore_.reset();
    command_.reset();
    manager_.reset();
    return ResetStart::kReadFailed;
  }
  checked_.assign(lines_.size(), false);
  opened_ = true;
  return ResetStart::kDialog;
}

int ResetServerController::ReadGroups() {
  command_ = std::make_unique<CSnmpVarGroup>(root_, settings_.getTimeout, settings_.setTimeout,
                                             kCommandGroup);
  int result = command_->Read(*manager_);
  if (result != snmp::kSnmpOk) return result;
  std::vector<DeviceProtocol> protocols;
  result = ReadProtocols(&protocols);
  if (result != snmp::kSnmpOk) return result;
  restore_ = std::make_unique<CSnmpVarGroup>(root_, settings_.getTimeout, settings_.setTimeout);
  lines_ = BuildRestoreLines(protocols, restore_.get());
  return restore_->Read(*manager_);
}

int ResetServerController::ReadProtocols(std::vector<DeviceProtocol>* protocols) {
  CSnmpVarGroup group(root_, settings_.getTimeout, settings_.setTimeout, kProtocolsGroup);
  int result = group.Read(*manager_);
  if (result != snmp::kSnmpOk) return result;
  int32_t count = 0;
  result = group.GetInteger(kProtocolCountVariable, &count);
  if (result != snmp::kSnmpOk) return result;
  // The count comes from the device: a negative one means none, a huge one is not believed.
  if (count > kMaxProtocols) return kTooManyProtocols;
  if (count <= 0) return snmp::kSnmpOk;
  CSnmpVarGroup table(root_, settings_.getTimeout, settings_.setTimeout);
  for (int i = 1; i <= count; ++i) {
    table.Add(".1.15.2.1.2." + std::to_string(i));
    table.Add(".1.15.2.1.3." + std::to_string(i));
  }
  result = table.Read(*manager_);
  if (result != snmp::kSnmpOk) return result;
  for (int i = 0; i < count; ++i) {
    DeviceProtocol protocol;
    table.GetText(2 * i, &protocol.name);
    int32_t type = -1;
    if (table.GetInteger(2 * i + 1, &type) == snmp::kSnmpOk) protocol.type = type;
    protocols->push_back(std::move(protocol));
  }
  return snmp::kSnmpOk;
}

void ResetServerController::SetChecked(size_t line, bool checked) {
  if (line < checked_.size()) checked_[line] = checked;
}

bool ResetServerController::IsChecked(size_t line) const {
  return line < checked_.size() && checked_[line];
}

int ResetServerController::Reset() {
  if (!opened_ || !writesAllowed_) return kStayOpen;
  if (prompt_.MessageBox(res::LoadString(kResetQuestion), settings_.appName,
                         platform::MB_OKCANCEL | platform::MB_ICONQUESTION) != platform::IDOK) {
    return kStayOpen;
  }
  wait_.Begin();
  wait_.SetText(kResettingText);
  command_->SetInteger(kResetVariable, kDoIt);
  const int result = command_->Write(*manager_);
  wait_.Wait(kNoMessage, static_cast<int>(settings_.resetPauseMs));
  FollowUp(result);
  return Finish(result, kResetFailed, kResetDone);
}

int ResetServerController::Restore() {
  if (!opened_ || !writesAllowed_) return kStayOpen;
  size_t checkedCount = 0;
  for (bool checked : checked_) checkedCount += checked ? 1 : 0;
  if (checkedCount == 0) {
    prompt_.MessageBox(res::LoadString(kNothingChecked), settings_.appName,
                       platform::MB_OK | platform::MB_ICONEXCLAMATION);
    return kStayOpen;
  }
  if (prompt_.MessageBox(res::LoadString(kRestoreQuestion), settings_.appName,
                         platform::MB_OKCANCEL | platform::MB_ICONQUESTION) != platform::IDOK) {
    return kStayOpen;
  }
  if (enableDialog_) enableDialog_(false);
  wait_.Begin();
  wait_.SetText(kRestoringText, false);
  int result = snmp::kSnmpOk;
  if (checkedCount == checked_.size()) {
    command_->SetInteger(kRestoreAllVariable, kDoIt);
    result = command_->Write(*manager_);
  } else {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (checked_[i]) restore_->SetInteger(lines_[i].variable, kDoIt);
    }
    result = restore_->Write(*manager_);
  }
  FollowUp(result);
  if (enableDialog_) enableDialog_(true);
  return Finish(result, kRestoreFailed, kRestoreDone);
}

// After a successful write the device is asked once more, so that its record shows it again.
void ResetServerController::FollowUp(int result) {
  if (result != snmp::kSnmpOk) return;
  if (followUp_) {
    followUp_(address_, settings_.queryAtSeconds);
  } else {
    DefaultFollowUp(address_, settings_.queryAtSeconds);
  }
}

// Closes the wait window that the button opened and reports a failure.
int ResetServerController::Finish(int result, unsigned failureMessage, int done) {
  wait_.End();
  if (result != snmp::kSnmpOk) {
    lastError_ = result;
    report_(failureMessage, kErrorClassApp, static_cast<unsigned>(result), kErrorClassSnmp);
    return kStayOpen;
  }
  return done;
}

int ResetServerController::DefaultFollowUp(const std::string& address, int seconds) {
  discovery::CIpDeviceRecord probe(&wait_, device_.Options());
  discovery::CDeviceRecord::QueryTarget target{address, &wait_};
  return probe.QueryAt(seconds, target);
}

void ResetServerController::Close() {
  if (!opened_) return;
  opened_ = false;
  device_.Query();
  restore_.reset();
  command_.reset();
  manager_.reset();
}

}  // namespace devices
