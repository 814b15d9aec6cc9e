#include "app/CKestrelApp.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "app/LegacySettingsImporter.h"
#include "platform/InstanceGuard.h"
#include "platform/Launcher.h"
#include "platform/Prompt.h"
#include "platform/RegistryStore.h"
#include "platform/RunningCopyClient.h"
#include "platform/SystemInfo.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr unsigned kToolkitTooOldId = 5040;
constexpr int kMaxCountedRuns = 10;
constexpr unsigned kDefaultHelpTopic = 5;
constexpr unsigned kLastOwnHelpContext = 100;

}  // namespace

CKestrelApp::CKestrelApp(platform::RegistryStore* store) {
  if (store == nullptr) {
    ownedStore_ = std::make_unique<platform::RegistryStore>(platform::RegistryStore::DefaultPath());
    store = ownedStore_.get();
  }
  settings_ = std::make_unique<Settings>(*store);
  InstallSettings(settings_.get());
}

CKestrelApp::~CKestrelApp() {
  InstallSettings(nullptr);
}

bool CKestrelApp::AcquireInstanceGuard() {
  guard_ = std::make_unique<platform::InstanceGuard>();
  return guard_->Acquire();
}

std::string CKestrelApp::InstanceGuardProblem() {
  if (guard_ == nullptr || guard_->AnotherCopyRuns()) return {};
  return guard_->Problem();
}

std::string CKestrelApp::DetectProgramFolder() {
  return platform::SystemInfo::ProgramFolder();
}

std::string CKestrelApp::WindowsDirectory() {
  return platform::SystemInfo::WindowsDirectory();
}

bool CKestrelApp::FindRunningCopy(const std::string& title) {
  (void)title;  // the running copy answers on its socket, whatever its title
  return platform::RunningCopyClient::QueryRunningCopy(500);
}

platform::Prompt& CKestrelApp::GetPrompt() {
  return platform::CurrentPrompt();
}

void CKestrelApp::ReadBranding() {
  programFolder_ = DetectProgramFolder();
  dataFolder_ = platform::SystemInfo::DataFolderOf(programFolder_);
  BrandingInfo& branding = TheBranding();
  branding = BrandingInfo::Read(dataFolder_);
  settings_->SetRegistryKey(branding.companyReg);
  if (!branding.programName.empty()) applicationName_ = branding.programName;
}

void CKestrelApp::CountRun() {
  int runIndex = settings_->GetInt("General", "RunIndex", 0);
  if (runIndex == 0) {
    LegacySettingsImporter(*settings_, GetPrompt()).ImportAll(WindowsDirectory());
    settings_->WriteString("General", "Location", programFolder_);
  }
  if (runIndex <= kMaxCountedRuns) settings_->WriteInt("General", "RunIndex", runIndex + 1);
}

void CKestrelApp::SeedFirstView() {
  if (!settings_->GetString("Views", "First", "").empty()) return;
  settings_->WriteString("Views", "First", "No");
  const std::string view = "Views\\VirtualPortView";
  settings_->WriteString(view, "Columns", kFirstViewColumns);
  settings_->WriteString(view, "Sort", ">IP Address");
  settings_->WriteInt(view, "Type", 6);
  settings_->WriteInt(view, "Icons", 16);
}

void CKestrelApp::MoveStoredWindowToOrigin() {
  auto [width, height] = DesktopSize();
  Rect fallback{width / 2 - 310, height / 2 - 220, width / 2 + 310, height / 2 + 220};
  int left = settings_->GetInt("General", "Left", fallback.left);
  int top = settings_->GetInt("General", "Top", fallback.top);
  int right = settings_->GetInt("General", "Right", fallback.right);
  int bottom = settings_->GetInt("General", "Bottom", fallback.bottom);
  settings_->WriteInt("General", "Left", 0);
  settings_->WriteInt("General", "Top", 0);
  settings_->WriteInt("General", "Right", right - left);
  settings_->WriteInt("General", "Bottom", bottom - top);
}

bool CKestrelApp::InitInstance(const std::vector<std::string>& arguments) {
  if (!AcquireInstanceGuard()) {
    // Only a lock held by another copy means one runs; any other failure is said, not hidden.
    if (const std::string problem = InstanceGuardProblem(); !problem.empty()) {
      std::cerr << "portolan: " << problem << "\n";
      GetPrompt().MessageBox("Portolan cannot start:\n" + problem, applicationName_,
                             platform::MB_OK | platform::MB_ICONERROR);
      exitCode_ = kExitNoLock;
      return false;
    }
    // A second copy ends silently; one asked for a new window ("/new", as Open in New Window
    // asks) hands its arguments to the running copy, which opens the view in its own window.
    CKestrelCommandLineInfo request;
    request.Parse(arguments);
    if (request.Has("new")) platform::CurrentLauncher().HandToRunningCopy(arguments);
    return false;
  }
  if (!ToolkitVersionSupported()) {
    GetPrompt().MessageBox(res::LoadString(kToolkitTooOldId), applicationName_, platform::MB_OK);
    return false;
  }
  EnableControlHosting();
  ReadBranding();
  if (!ReportSettingsFile()) return false;
  CountRun();
  TheAppSettings().Load(*settings_);
  TheOemBrandTable().Fill(*settings_);
  SeedFirstView();
  commandLine_.Parse(arguments);
  for (const std::string& argument : arguments) {
    commandLineText_ += (commandLineText_.empty() ? "" : " ") + argument;
  }

  bool runningCopy = FindRunningCopy(TheBranding().MainWindowTitle());
  if (commandLine_.Has("new")) {
    MoveStoredWindowToOrigin();
  } else if (runningCopy) {
    RaiseRunningCopy();
    return false;
  }

  CreatePortTable();
  if (!CreateMainWindow()) return false;
  std::string view = commandLine_.Get("v");
  if (!view.empty()) settings_->WriteString("General", "CurrentView", view);
  CreatePleaseWaitWindow();
  RunNetworkProbe();
  if (!LoadViews()) return false;
  AttachViewStore(TheAppSettings().setAppIcon);
  TheAppSettings().LoadDiscoveryPort(*settings_);
  PostRefreshCommand();
  if (settings_->GetInt("General", "Flags", 0) & 0x100) HideMainWindow();
  return true;
}

int CKestrelApp::ExitInstance() {
  ShutdownNetwork();
  return exitCode_;
}

bool CKestrelApp::ReportSettingsFile() {
  platform::RegistryStore& store = settings_->Store();
  if (store.Status() != platform::REG_OK) std::cerr << "portolan: " << store.StatusText() << "\n";
  if (store.Unreadable()) {
    GetPrompt().MessageBox("The settings file cannot be read:\n" + store.StatusText(),
                           applicationName_, platform::MB_OK | platform::MB_ICONERROR);
    exitCode_ = kExitSettingsUnreadable;
    return false;
  }
  if (store.Status() == platform::REG_CORRUPT) {
    GetPrompt().MessageBox("Some settings could not be read:\n" + store.StatusText(),
                           applicationName_, platform::MB_OK | platform::MB_ICONWARNING);
  }
  return true;
}

unsigned CKestrelApp::MapHelpContext(unsigned context) {
  return context > kLastOwnHelpContext ? kDefaultHelpTopic : context;
}

void CKestrelApp::WinHelp(unsigned context) {
  unsigned topic = MapHelpContext(context);
  std::string page = topic == 0 ? "index.html" : "topic" + std::to_string(topic) + ".html";
  std::string path = dataFolder_ + "help/" + page;
  // A topic without a page of its own opens the contents rather than a browser's error page.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) path = dataFolder_ + "help/index.html";
  OpenHelpTopic(FileUrl(path));
}

std::string CKestrelApp::FileUrl(const std::string& path) {
  // Each name of the path percent-encoded, so that blanks and '#' stay part of it.
  std::string url = "file://";
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    url += platform::Launcher::PercentEncode(path.substr(start, slash - start));
    if (slash < path.size()) url += '/';
    start = slash + 1;
  }
  return url;
}

const std::string& CKestrelApp::LookUpBrand(const std::string& tag) {
  if (tag == MakerTag()) {
    brandOid_ = VendorEnterpriseRoot();
  } else if (const std::string* oid = TheOemBrandTable().FindFirst(tag)) {
    brandOid_ = *oid;
  }
  return brandOid_;
}

}  // namespace app
