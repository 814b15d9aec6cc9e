#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FakePrompt.h"
#include "TempDir.h"
#include "app/AppSettings.h"
#include "app/BrandingInfo.h"
#include "app/CKestrelApp.h"
#include "app/OemBrandTable.h"
#include "app/StartupRefreshGuard.h"
#include "platform/InstanceGuard.h"
#include "platform/Launcher.h"
#include "platform/RecordingLauncher.h"
#include "platform/RegistryStore.h"

namespace {

// Records the steps that other parts fill in, so the order and the exits can be checked.
class RecordingApp : public app::CKestrelApp {
 public:
  RecordingApp(platform::RegistryStore& store, const TempDir& programDir, const TempDir& windowsDir)
      : CKestrelApp(&store), program(programDir.Folder()), windows(windowsDir.Folder()) {}

  std::vector<std::string> steps;
  FakePrompt prompt;
  bool guardFree = true;
  bool realGuard = false;  // the program's own instance lock, in $XDG_RUNTIME_DIR
  bool toolkitOk = true;
  bool runningCopy = false;
  bool mainWindow = true;
  bool views = true;
  std::string program, windows, helpUrl;
  int appIcon = -1;

 protected:
  bool AcquireInstanceGuard() override {
    Step("guard");
    return realGuard ? CKestrelApp::AcquireInstanceGuard() : guardFree;
  }
  bool ToolkitVersionSupported() override { return Step("toolkit"), toolkitOk; }
  void EnableControlHosting() override { Step("hosting"); }
  std::string DetectProgramFolder() override { return program; }
  std::string WindowsDirectory() override { return windows; }
  bool FindRunningCopy(const std::string& title) override {
    Step("find:" + title);
    return runningCopy;
  }
  void RaiseRunningCopy() override { Step("raise"); }
  std::pair<int, int> DesktopSize() override { return {1280, 1024}; }
  void CreatePortTable() override { Step("ports"); }
  bool CreateMainWindow() override { return Step("mainwindow"), mainWindow; }
  void CreatePleaseWaitWindow() override { Step("pleasewait"); }
  void RunNetworkProbe() override { Step("probe"); }
  bool LoadViews() override { return Step("views"), views; }
  void AttachViewStore(int setAppIcon) override {
    Step("attach");
    appIcon = setAppIcon;
  }
  void PostRefreshCommand() override { Step("refresh"); }
  void HideMainWindow() override { Step("hide"); }
  void ShutdownNetwork() override { Step("shutdown"); }
  void OpenHelpTopic(const std::string& url) override { helpUrl = url; }
  platform::Prompt& GetPrompt() override { return prompt; }

 private:
  void Step(const std::string& name) { steps.push_back(name); }
};

class StartupTest : public ::testing::Test {
 protected:
  platform::RegistryStore store{""};
  TempDir programDir, windowsDir;
  const std::string root = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";

  std::optional<platform::RegValue> Value(const std::string& key, const std::string& name) {
    return store.GetValue(root + (key.empty() ? "" : "\\" + key), name);
  }
};

TEST_F(StartupTest, FirstStartRunsEveryStepInOrderAndSeedsTheSettings) {
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({}));
  std::vector<std::string> expected = {"guard", "toolkit",    "hosting",    "find:Portolan",
                                       "ports", "mainwindow", "pleasewait", "probe",
                                       "views", "attach",     "refresh"};
  EXPECT_EQ(app.steps, expected);
  EXPECT_EQ(Value("General", "RunIndex")->dword, 1u);
  EXPECT_EQ(Value("General", "Location")->text, programDir.Folder());
  EXPECT_EQ(Value("Views", "First")->text, "No");
  EXPECT_EQ(Value("Views\\VirtualPortView", "Columns")->text,
            "System Name,IP Address,H/W Address,Serial #,Port Name,Port #,Virtual Port");
  EXPECT_EQ(Value("Views\\VirtualPortView", "Sort")->text, ">IP Address");
  EXPECT_EQ(Value("Views\\VirtualPortView", "Type")->dword, 6u);
  EXPECT_EQ(Value("Views\\VirtualPortView", "Icons")->dword, 16u);
  EXPECT_TRUE(app.prompt.shown.empty());  // no legacy files, no questions
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(app.steps.back(), "shutdown");
}

TEST_F(StartupTest, SettingsFileWithBadLinesIsShownAndTheStartGoesOn) {
  const std::string file = programDir.Folder() + "registry.reg";
  programDir.Write("registry.reg", "Windows Registry Editor Version 5.00\n\n[" + root +
                                       "\\Ports\\COM5]\n"
                                       "\"DevIpAddr\"=\"127.0.0.10\"\n\"Bad\"=qword:1\n");
  platform::RegistryStore fileStore(file);
  RecordingApp app(fileStore, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({}));
  ASSERT_EQ(app.prompt.shown.size(), 1u);
  EXPECT_NE(app.prompt.shown[0].text.find("1 line could not be read"), std::string::npos)
      << app.prompt.shown[0].text;
  EXPECT_NE(app.prompt.shown[0].text.find(fileStore.LastCorruptCopy()), std::string::npos);
  EXPECT_EQ(app.prompt.shown[0].caption, "Portolan");
  EXPECT_EQ(fileStore.GetValue(root + "\\Ports\\COM5", "DevIpAddr")->text, "127.0.0.10");
  EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(StartupTest, SettingsPathThatCannotBeReadIsShownAndEndsTheStart) {
  const std::string file = programDir.Folder() + "registry.reg";
  std::filesystem::create_directory(file);
  platform::RegistryStore fileStore(file);
  RecordingApp app(fileStore, programDir, windowsDir);
  EXPECT_FALSE(app.InitInstance({}));
  ASSERT_EQ(app.prompt.shown.size(), 1u);
  EXPECT_NE(app.prompt.shown[0].text.find("is a folder"), std::string::npos);
  EXPECT_EQ(std::count(app.steps.begin(), app.steps.end(), "mainwindow"), 0);
  EXPECT_EQ(app.ExitInstance(), app::CKestrelApp::kExitSettingsUnreadable);
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(StartupTest, RunIndexStopsAtEleven) {
  for (int run = 1; run <= 13; ++run) {
    RecordingApp app(store, programDir, windowsDir);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(Value("General", "RunIndex")->dword, static_cast<uint32_t>(std::min(run, 11)));
  }
}

TEST_F(StartupTest, SeededViewIsNotRecreatedOnceDeleted) {
  {
    RecordingApp app(store, programDir, windowsDir);
    app.InitInstance({});
  }
  store.DeleteTree(root + "\\Views\\VirtualPortView");
  {
    RecordingApp app(store, programDir, windowsDir);
    app.InitInstance({});
  }
  EXPECT_FALSE(store.KeyExists(root + "\\Views\\VirtualPortView"));
}

TEST_F(StartupTest, SecondCopyEndsSilentlyBeforeAnythingElse) {
  RecordingApp app(store, programDir, windowsDir);
  app.guardFree = false;
  EXPECT_FALSE(app.InitInstance({}));
  EXPECT_EQ(app.steps, std::vector<std::string>{"guard"});
  EXPECT_TRUE(app.prompt.shown.empty());
  EXPECT_FALSE(Value("General", "RunIndex"));
}

// Only a lock that another copy holds ends the start quietly; a lock file that cannot be made is
// shown with its path and reason, and the program ends with an error.
TEST_F(StartupTest, LockThatCannotBeMadeIsShownWhileALockHeldElsewhereEndsQuietly) {
  TempDir runtime;
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  const std::string lock = runtime.Folder() + platform::InstanceGuard::kFileName;
  {
    platform::InstanceGuard other(runtime.Path().string());
    ASSERT_TRUE(other.Acquire());
    RecordingApp app(store, programDir, windowsDir);
    app.realGuard = true;
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_TRUE(app.prompt.shown.empty());
    EXPECT_EQ(app.ExitInstance(), 0);
  }
  std::filesystem::remove(lock);
  std::filesystem::create_directory(lock);
  RecordingApp app(store, programDir, windowsDir);
  app.realGuard = true;
  EXPECT_FALSE(app.InitInstance({}));
  ASSERT_EQ(app.prompt.shown.size(), 1u);
  EXPECT_EQ(app.prompt.shown[0].text,
            "Portolan cannot start:\ncannot make the lock file " + lock + ": Is a directory");
  EXPECT_EQ(app.steps, std::vector<std::string>{"guard"});
  EXPECT_EQ(app.ExitInstance(), app::CKestrelApp::kExitNoLock);
  if (saved) {
    setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
  } else {
    unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST_F(StartupTest, SecondCopyAskedForANewWindowHandsItsArgumentsToTheRunningCopy) {
  platform::RecordingLauncher launcher;
  platform::InstallLauncher(&launcher);
  RecordingApp plain(store, programDir, windowsDir);
  plain.guardFree = false;
  EXPECT_FALSE(plain.InitInstance({"/v", "Lab"}));
  EXPECT_TRUE(launcher.Calls().empty());
  RecordingApp asked(store, programDir, windowsDir);
  asked.guardFree = false;
  EXPECT_FALSE(asked.InitInstance({"/new", "/v", "Lab; rm -rf ~"}));
  platform::InstallLauncher(nullptr);
  ASSERT_EQ(launcher.Calls().size(), 1u);
  EXPECT_EQ(launcher.Calls()[0].what, "copy");
  EXPECT_EQ(launcher.Calls()[0].args, (std::vector<std::string>{"/new", "/v", "Lab; rm -rf ~"}));
  EXPECT_EQ(asked.steps, std::vector<std::string>{"guard"});
  EXPECT_FALSE(Value("General", "RunIndex"));
}

TEST_F(StartupTest, OldToolkitShowsTheMessageAndEnds) {
  RecordingApp app(store, programDir, windowsDir);
  app.toolkitOk = false;
  EXPECT_FALSE(app.InitInstance({}));
  ASSERT_EQ(app.prompt.shown.size(), 1u);
  EXPECT_EQ(app.prompt.shown[0].text.rfind("This application requires version 4.72 or greater", 0),
            0u);
  EXPECT_EQ(app.steps.back(), "toolkit");
}

TEST_F(StartupTest, RunningCopyIsRaisedUnlessNew) {
  RecordingApp app(store, programDir, windowsDir);
  app.runningCopy = true;
  EXPECT_FALSE(app.InitInstance({}));
  EXPECT_EQ(app.steps.back(), "raise");

  store.SetDword(root + "\\General", "Left", 100);
  store.SetDword(root + "\\General", "Top", 50);
  store.SetDword(root + "\\General", "Right", 900);
  store.SetDword(root + "\\General", "Bottom", 650);
  RecordingApp second(store, programDir, windowsDir);
  second.runningCopy = true;
  EXPECT_TRUE(second.InitInstance({"/new", "/v", "Printers"}));
  EXPECT_EQ(Value("General", "Left")->dword, 0u);
  EXPECT_EQ(Value("General", "Top")->dword, 0u);
  EXPECT_EQ(Value("General", "Right")->dword, 800u);
  EXPECT_EQ(Value("General", "Bottom")->dword, 600u);
  EXPECT_EQ(Value("General", "CurrentView")->text, "Printers");
}

TEST_F(StartupTest, NewWithoutStoredPlacementUsesTheCentredDefault) {
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({"/new"}));
  EXPECT_EQ(Value("General", "Right")->dword, 620u);
  EXPECT_EQ(Value("General", "Bottom")->dword, 440u);
}

TEST_F(StartupTest, ViewOptionWithoutNameStoresTrue) {
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({"/v"}));
  EXPECT_EQ(Value("General", "CurrentView")->text, "TRUE");
}

TEST_F(StartupTest, EndsWhenNoMainWindowOrNoViewAndHidesWhenAsked) {
  RecordingApp noWindow(store, programDir, windowsDir);
  noWindow.mainWindow = false;
  EXPECT_FALSE(noWindow.InitInstance({}));
  EXPECT_EQ(noWindow.steps.back(), "mainwindow");

  RecordingApp noView(store, programDir, windowsDir);
  noView.views = false;
  EXPECT_FALSE(noView.InitInstance({}));
  EXPECT_EQ(noView.steps.back(), "views");

  store.SetDword(root + "\\General", "Flags", 0x100);
  store.SetDword(root + "\\General\\Icons", "SetAppIcon", 1);
  RecordingApp hidden(store, programDir, windowsDir);
  EXPECT_TRUE(hidden.InitInstance({}));
  EXPECT_EQ(hidden.steps.back(), "hide");
  EXPECT_EQ(hidden.appIcon, 1);
}

TEST_F(StartupTest, BrandingNamesTheRegistryKeyTitleAndAbsoluteFiles) {
  programDir.Write("Portolan.ini",
                   "[General]\r\nPorgramName=Harbour\r\nCompanyName=Acme Ltd\r\n"
                   "CompanyReg=Acme\r\nCompanyAvi=anim.gif\r\nCompanyBmp=/abs/logo.bmp\r\n");
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({}));
  EXPECT_EQ(app.steps[3], "find:Harbour - Acme Ltd");
  EXPECT_EQ(app.ApplicationName(), "Harbour");
  EXPECT_EQ(app::TheBranding().companyAvi, programDir.Folder() + "anim.gif");
  EXPECT_EQ(app::TheBranding().companyBmp, "/abs/logo.bmp");
  EXPECT_TRUE(store.GetValue("HKEY_CURRENT_USER\\Software\\Acme\\Portolan\\General", "RunIndex"));
  EXPECT_FALSE(Value("General", "RunIndex"));
}

TEST_F(StartupTest, OwnBrandingUnlessAVendorsFileIsThere) {
  std::filesystem::create_directories(programDir.Path() / "branding");
  programDir.Write("branding/Portolan.ini",
                   "[General]\r\nPorgramName=Portolan\r\nCompanyName=Portolan Project\r\n"
                   "CompanyBmp=portolan-about.png\r\n");
  {
    RecordingApp own(store, programDir, windowsDir);
    ASSERT_TRUE(own.InitInstance({}));
    EXPECT_EQ(own.steps[3], "find:Portolan - Portolan Project");
    EXPECT_EQ(app::TheBranding().companyBmp, programDir.Folder() + "branding/portolan-about.png");
    EXPECT_EQ(app::TheBranding().supportEmail, "");
  }
  // A vendor's file is read whole: nothing of ours fills what it leaves out.
  programDir.Write("Portolan.ini", "[General]\r\nPorgramName=Harbour\r\n");
  RecordingApp vendor(store, programDir, windowsDir);
  ASSERT_TRUE(vendor.InitInstance({}));
  EXPECT_EQ(vendor.ApplicationName(), "Harbour");
  EXPECT_EQ(app::TheBranding().companyName, "");
  EXPECT_EQ(app::TheBranding().companyBmp, "");
}

TEST_F(StartupTest, TheCommandLineIsKeptAsTypedForTheNoSearchRule) {
  struct Case {
    std::vector<std::string> arguments;
    const char* text;
    bool skips;
  };
  const Case cases[] = {
      {{"/ns"}, "/ns", true},
      {{"-NS", "/v", "Lab"}, "-NS /v Lab", true},
      {{"/v", "Lab", "/ns"}, "/v Lab /ns", false},  // not the second and third characters
      {{"/new", "/v", "Lab"}, "/new /v Lab", false},
      {{}, "", false},
  };
  for (const Case& c : cases) {
    RecordingApp app(store, programDir, windowsDir);
    ASSERT_TRUE(app.InitInstance(c.arguments));
    EXPECT_EQ(app.CommandLineText(), c.text);
    EXPECT_EQ(app::StartupRefreshGuard::AsksToSkip(app.CommandLineText()), c.skips) << c.text;
  }
}

TEST_F(StartupTest, AppSettingsAndBrandTableAreLoaded) {
  store.SetDword(root + "\\Timeouts", "GetTimeout", 250);
  store.SetDword(root + "\\Access\\IP", "DiscoveryPort", 4300);
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({}));
  EXPECT_EQ(app::TheAppSettings().getTimeout, 250);
  EXPECT_EQ(app::TheAppSettings().discoveryPort, 4300);
  EXPECT_EQ(app::TheOemBrandTable().Entries().front().tag, "Corvane");
}

TEST_F(StartupTest, HelpOpensTheMappedTopicAndBrandLookupKeepsTheLastOid) {
  std::filesystem::create_directories(programDir.Path() / "help");
  for (const char* page : {"help/index.html", "help/topic5.html", "help/topic24.html"}) {
    programDir.Write(page, "<html></html>");
  }
  RecordingApp app(store, programDir, windowsDir);
  ASSERT_TRUE(app.InitInstance({}));
  app.WinHelp(24);
  EXPECT_EQ(app.helpUrl, "file://" + programDir.Folder() + "help/topic24.html");
  app.WinHelp(32811 + 0x10000);
  EXPECT_EQ(app.helpUrl, "file://" + programDir.Folder() + "help/topic5.html");
  app.WinHelp(77);  // no page of its own
  EXPECT_EQ(app.helpUrl, "file://" + programDir.Folder() + "help/index.html");
  app.WinHelp(0);
  EXPECT_EQ(app.helpUrl, "file://" + programDir.Folder() + "help/index.html");
  EXPECT_EQ(app::CKestrelApp::FileUrl("/opt/My Tools/#1/help/index.html"),
            "file:///opt/My%20Tools/%231/help/index.html");
  EXPECT_EQ(app.LookUpBrand("Vantor"), app::VendorEnterpriseRoot());
  EXPECT_EQ(app.LookUpBrand("Unknown"), app::VendorEnterpriseRoot());
  EXPECT_EQ(app.LookUpBrand("Corvane"), std::string(app::kOemEnterpriseRoot) + ".2.3.5");
}

}  // namespace

// Installed, the program is in usr/bin/ and its help pages and branding in usr/share/portolan/.
TEST_F(StartupTest, InstalledProgramFindsHelpAndBrandingInItsDataFolder) {
  std::filesystem::create_directories(programDir.Path() / "usr/bin");
  std::filesystem::create_directories(programDir.Path() / "usr/share/portolan");
  programDir.Write("usr/share/portolan/Portolan.ini",
                   "[General]\r\nPorgramName=Harbour\r\nCompanyAvi=anim.gif\r\n");
  programDir.Write("usr/bin/Portolan.ini", "[General]\r\nPorgramName=Wrong\r\n");
  const std::string data = programDir.Folder() + "usr/share/portolan/";
  RecordingApp app(store, programDir, windowsDir);
  app.program = programDir.Folder() + "usr/bin/";
  ASSERT_TRUE(app.InitInstance({}));
  EXPECT_EQ(app.ApplicationName(), "Harbour");
  EXPECT_EQ(app::TheBranding().companyAvi, data + "anim.gif");
  EXPECT_EQ(Value("General", "Location")->text, app.program);
  std::filesystem::create_directories(programDir.Path() / "usr/share/portolan/help");
  programDir.Write("usr/share/portolan/help/topic24.html", "<html></html>");
  app.WinHelp(24);
  EXPECT_EQ(app.helpUrl, "file://" + data + "help/topic24.html");
}
