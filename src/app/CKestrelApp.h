// The application object: start-up in its fixed order, exit, help. The steps that belong to windows
// and to other subsystems are virtual, so that the desktop program fills them in and tests can
// watch the order; the defaults do nothing and succeed.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/AppSettings.h"
#include "app/BrandingInfo.h"
#include "app/CKestrelCommandLineInfo.h"
#include "app/OemBrandTable.h"
#include "app/Settings.h"

namespace platform {
class InstanceGuard;
class Prompt;
class RegistryStore;
}  // namespace platform

namespace app {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

class CKestrelApp {
 public:
  // The columns of the view made at first start (Views\VirtualPortView).
  static constexpr const char* kFirstViewColumns =
      "System Name,IP Address,H/W Address,Serial #,Port Name,Port #,Virtual Port";

  // store: the settings store to use (the default file when nullptr).
  explicit CKestrelApp(platform::RegistryStore* store = nullptr);
  virtual ~CKestrelApp();
  CKestrelApp(const CKestrelApp&) = delete;
  CKestrelApp& operator=(const CKestrelApp&) = delete;

  // true: run the message loop; false: end at once.
  bool InitInstance(const std::vector<std::string>& arguments);
  // Shuts the network layer down; returns the exit code (kExitSettingsUnreadable when start-up
  // ended over a settings file that cannot be read, kExitNoLock over a lock that cannot be made,
  // else 0).
  int ExitInstance();
  static constexpr int kExitSettingsUnreadable = 3;
  // The instance lock could not be taken for another reason than a running copy.
  static constexpr int kExitNoLock = 4;

  // Help contexts above 100 open topic 5; a topic without a page opens the contents.
  static unsigned MapHelpContext(unsigned context);
  void WinHelp(unsigned context);
  // "file://" and the absolute path, each name percent-encoded.
  static std::string FileUrl(const std::string& path);

  // Brand tag -> enterprise OID of the device reset: "Vantor" gives the vendor root, a tag of the
  // brand table its OID, any other tag keeps the last OID found.
  const std::string& LookUpBrand(const std::string& tag);

  Settings& GetSettings() { return *settings_; }
  const std::string& ProgramFolder() const { return programFolder_; }
  const std::string& ApplicationName() const { return applicationName_; }
  const CKestrelCommandLineInfo& CommandLine() const { return commandLine_; }
  // The arguments joined by blanks, as the command line stood (without the program's name).
  const std::string& CommandLineText() const { return commandLineText_; }

 protected:
  // Steps that other parts fill in. Defaults: nothing to do, success.
  virtual bool AcquireInstanceGuard();
  // Why AcquireInstanceGuard failed when no other copy holds the lock; empty otherwise.
  virtual std::string InstanceGuardProblem();
  virtual bool ToolkitVersionSupported() { return true; }
  virtual void EnableControlHosting() {}
  virtual std::string DetectProgramFolder();
  virtual std::string WindowsDirectory();
  virtual bool FindRunningCopy(const std::string& title);
  virtual void RaiseRunningCopy() {}
  virtual std::pair<int, int> DesktopSize() { return {1024, 768}; }
  virtual void CreatePortTable() {}
  virtual bool CreateMainWindow() { return true; }
  virtual void CreatePleaseWaitWindow() {}
  virtual void RunNetworkProbe() {}
  virtual bool LoadViews() { return true; }
  virtual void AttachViewStore(int setAppIcon) { (void)setAppIcon; }
  virtual void PostRefreshCommand() {}
  virtual void HideMainWindow() {}
  virtual void ShutdownNetwork() {}
  virtual void OpenHelpTopic(const std::string& url) { (void)url; }
  virtual platform::Prompt& GetPrompt();

  // Start-up pieces, each one step.
  void ReadBranding();
  void CountRun();
  void SeedFirstView();
  void MoveStoredWindowToOrigin();
  // Tells the user what was wrong with the settings file: lines skipped (and where the file as it
  // was is kept) go on; a file that cannot be read ends the start, since nothing can be saved.
  bool ReportSettingsFile();

 private:
  std::unique_ptr<platform::RegistryStore> ownedStore_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<platform::InstanceGuard> guard_;
  CKestrelCommandLineInfo commandLine_;
  std::string programFolder_;
  std::string dataFolder_;  // help pages and branding: see SystemInfo::DataFolderOf
  std::string applicationName_ = "Portolan";
  std::string commandLineText_;
  std::string brandOid_;
  int exitCode_ = 0;
};

}  // namespace app
