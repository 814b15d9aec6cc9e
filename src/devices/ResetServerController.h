// The Reset Server command without its window: the checks before any traffic, the community
// check, reading the device's command, protocol and restore variables under the wait window, and
// the dialog's Reset and Restore buttons. The "Reset Server" dialog and portolanctl reset/restore
// are faces of this controller and send the same requests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/CSnmpVarGroup.h"
#include "devices/EnterpriseRoot.h"
#include "devices/RestoreLines.h"

namespace app {
class DeviceAccessList;
}
namespace discovery {
class CDeviceRecord;
class CPleaseWaitDlg;
}  // namespace discovery
namespace platform {
class Clock;
class Prompt;
}  // namespace platform
namespace snmp {
class CSnmpManager;
}

namespace devices {

class CommunityPrompt;

struct ResetServerSettings {
  int viewProtocol = 6;          // the current view's protocol; only TCP/IP (6) is served
  int getTimeout = 500;          // hundredths of a second (Timeouts\GetTimeout)
  int setTimeout = 500;          // Timeouts\SetTimeout
  int queryAtSeconds = 40;       // the time limit of the query after a reset or restore
  uint32_t resetPauseMs = 3000;  // the device restarts and may not answer meanwhile
  BrandRoots roots;
  std::string appName = "Portolan";  // the caption of plain message boxes
};

// How Start ended.
enum class ResetStart {
  kDialog,               // read: the dialog opens with Lines()
  kCancelled,            // the user cancelled the device's query
  kNotValid,             // 5018 reported
  kNotConfigured,        // 5027 reported
  kTelnet,               // a device of reply format 2: the telnet command runs instead
  kProtocolUnsupported,  // "Protocol not yet supported" shown
  kCommunityCancelled,   // the community check was cancelled
  kReadFailed,           // reading the groups failed; 5018 and the request code reported
};

class ResetServerController {
 public:
  static constexpr int kCommand = 32777;
  static constexpr int kStayOpen = 0;
  static constexpr int kResetDone = 3014;    // the dialog ends after a successful reset
  static constexpr int kRestoreDone = 3015;  // ... and after a successful restore
  static constexpr const char* kCaption = "Reset Server";
  static constexpr const char* kReadingText = "Reading Information";
  static constexpr const char* kRestoringText = "Restoring Print Server";
  static constexpr const char* kProtocolNotSupported = "Protocol not yet supported";
  static constexpr int kMaxProtocols = 64;
  // The read error of a protocol count above kMaxProtocols (a varbind the program cannot take).
  static constexpr int kTooManyProtocols = 3154;

  // (codeA, classA, codeB, classB): shows and logs one coded failure (ReportError with show).
  using Reporter = std::function<void(unsigned, int, unsigned, int)>;
  // (address, seconds): queries the device once after a reset or restore; its result.
  using FollowUpQuery = std::function<int(const std::string&, int)>;

  ResetServerController(discovery::CDeviceRecord& device, const app::DeviceAccessList& access,
                        discovery::CPleaseWaitDlg& wait, platform::Prompt& prompt,
                        CommunityPrompt& communities, ResetServerSettings settings, Reporter report,
                        platform::Clock& clock);
  ~ResetServerController();
  ResetServerController(const ResetServerController&) = delete;
  ResetServerController& operator=(const ResetServerController&) = delete;

  // Replaces the query after a reset or restore (a temporary record asking the device once).
  void SetFollowUpQuery(FollowUpQuery query) { followUp_ = std::move(query); }
  // Told when the dialog is to be disabled (false) and enabled again (true) around a restore.
  void SetEnableDialog(std::function<void(bool)> enable) { enableDialog_ = std::move(enable); }

  // Runs the command up to the dialog.
  ResetStart Start();

  // The dialog's list, all unchecked after Start.
  const std::vector<RestoreLine>& Lines() const { return lines_; }
  void SetChecked(size_t line, bool checked);
  bool IsChecked(size_t line) const;
  // False after Ignore in the community check: the set community is known to be wrong.
  bool WritesAllowed() const { return writesAllowed_; }

  // The buttons: kStayOpen, or kResetDone / kRestoreDone when the dialog ends.
  int Reset();
  int Restore();
  // The dialog closed, for whatever reason: the device is queried again and the request objects
  // go.
  void Close();

  const std::string& Root() const { return root_; }
  // The request code of the last failure (0 when none).
  int LastError() const { return lastError_; }

 private:
  ResetStart CheckDevice();
  int ReadGroups();
  int ReadProtocols(std::vector<DeviceProtocol>* protocols);
  void FollowUp(int result);
  int Finish(int result, unsigned failureMessage, int done);
  int DefaultFollowUp(const std::string& address, int seconds);

  discovery::CDeviceRecord& device_;
  const app::DeviceAccessList& access_;
  discovery::CPleaseWaitDlg& wait_;
  platform::Prompt& prompt_;
  CommunityPrompt& communities_;
  ResetServerSettings settings_;
  Reporter report_;
  platform::Clock& clock_;
  FollowUpQuery followUp_;
  std::function<void(bool)> enableDialog_;

  std::string address_;
  std::string root_;
  bool writesAllowed_ = false;
  std::unique_ptr<snmp::CSnmpManager> manager_;
  std::unique_ptr<CSnmpVarGroup> command_;
  std::unique_ptr<CSnmpVarGroup> restore_;
  std::vector<RestoreLine> lines_;
  std::vector<bool> checked_;
  bool opened_ = false;
  int lastError_ = 0;
};

}  // namespace devices
