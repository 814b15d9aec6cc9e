// The application's commands as the main window runs them (offscreen): enabling, accelerators,
// the dialogs driven as a user would, the boxes through a scripted prompt, the desktop through a
// recording launcher, and Open in New Window through a running-copy socket of the test's own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "app/AppCommandViews.h"
#include "app/BrandingInfo.h"
#include "app/CKestrelApp.h"
#include "app/CMainFrame.h"
#include "app/DesktopAppCommands.h"
#include "app/FrameFakes.h"
#include "app/FrameIds.h"
#include "app/Settings.h"
#include "app/TempDir.h"
#include "platform/Autostart.h"
#include "platform/FileChooser.h"
#include "platform/RecordingLauncher.h"
#include "platform/RegistryStore.h"
#include "platform/RunningCopyClient.h"
#include "platform/RunningCopyServer.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"

namespace {

using app::UnlistedServerForm;
namespace cmd = app::cmd;

// The views as a script: what the commands ask is answered from fields, what they do is recorded.
class ScriptedViews : public app::AppCommandViews {
 public:
  int viewType = 6;
  std::optional<std::string> selectedIp;
  std::optional<std::string> treeView;
  std::vector<app::IpListRow> rows;
  std::set<std::string> findable;
  std::deque<int> sendResults;
  std::deque<bool> confirmResults;
  std::vector<std::string> searched, opened;
  std::vector<UnlistedServerForm> sent;
  std::vector<std::pair<std::string, int>> confirmed;
  int treeReselects = 0;

  int CurrentViewType() const override { return viewType; }
  std::optional<std::string> SelectedDeviceIp() const override { return selectedIp; }
  std::vector<app::IpListRow> ListedRows() const override { return rows; }
  std::optional<std::string> SelectedTreeView() const override { return treeView; }
  void ShowCurrentViewInTree() override { ++treeReselects; }
  bool FindAndSelect(const std::string& text) override {
    searched.push_back(text);
    return findable.count(text) != 0;
  }
  int SendSetAddress(const UnlistedServerForm& form) override {
    sent.push_back(form);
    if (sendResults.empty()) return 0;
    const int result = sendResults.front();
    sendResults.pop_front();
    return result;
  }
  bool ConfirmNewAddress(const std::string& ip, int seconds) override {
    confirmed.emplace_back(ip, seconds);
    if (confirmResults.empty()) return true;
    const bool result = confirmResults.front();
    confirmResults.pop_front();
    return result;
  }
  bool OpenView(const std::string& name) override {
    opened.push_back(name);
    return true;
  }
};

// Acts on each modal dialog as it comes up, in turn; a dialog with no step left is cancelled.
class DialogScript {
 public:
  using Step = std::function<void(QDialog&)>;
  DialogScript() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start(5);
  }
  void Then(Step step) { steps_.push_back(std::move(step)); }
  const std::vector<std::string>& Seen() const { return seen_; }

 private:
  void Tick() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog == current_) return;
    current_ = dialog;
    seen_.push_back(dialog->objectName().toStdString());
    if (steps_.empty()) {
      dialog->reject();
      return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(*dialog);
  }

  QTimer timer_;
  QPointer<QDialog> current_;
  std::deque<Step> steps_;
  std::vector<std::string> seen_;
};

void SetText(QDialog& dialog, const char* id, const std::string& text) {
  auto* edit = dialog.findChild<QLineEdit*>(id);
  ASSERT_NE(edit, nullptr) << id;
  edit->setText(QString::fromStdString(text));
}

std::string TextOf(QDialog& dialog, const char* id) {
  auto* edit = dialog.findChild<QLineEdit*>(id);
  return edit != nullptr ? edit->text().toStdString() : "(none)";
}

// Runs the event loop until done() holds (or about ten seconds have gone by).
void RunEventsUntil(const std::function<bool()>& done) {
  for (int turn = 0; turn < 2000 && !done(); ++turn) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Hands requests to the running copy of the test, at its own socket, and records them too.
class SocketLauncher : public platform::RecordingLauncher {
 public:
  explicit SocketLauncher(std::string socketPath) : socketPath_(std::move(socketPath)) {}
  bool HandToRunningCopy(const std::vector<std::string>& args) override {
    RecordingLauncher::HandToRunningCopy(args);
    return platform::RunningCopyClient::HandOver(args, 2000, socketPath_);
  }

 private:
  std::string socketPath_;
};

class AppCommandsWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::EnsureQApplication("appqt_AppCommandsWindowTest"); }

  void SetUp() override {
    registry_ = std::make_unique<platform::RegistryStore>(dir_.Folder() + "registry.reg");
    settings_ = std::make_unique<app::Settings>(*registry_);
    branding_.programName = "Portolan Pro";
    branding_.companyName = "Harbour Works";
    branding_.supportEmail = "help@example.com";
    frame_ = std::make_unique<app::CMainFrame>(*settings_, prompt_, branding_);
    frame_->Attach(&store_, nullptr, nullptr, nullptr, 0);
  }

  app::AppCommandContext Context(platform::Launcher& launcher) {
    app::AppCommandContext context;
    context.caption = "Portolan Pro";
    context.branding = branding_;
    context.programPath = "/opt/portolan/bin/portolan";
    context.help = [this](unsigned topic) { helpContexts_.push_back(topic); };
    context.reportError = [this](int code) { errors_.push_back(code); };
    context.resetTimeout = [] { return 7; };
    context.tcpAvailable = [this] { return tcp_; };
    context.launcher = &launcher;
    context.files = &files_;
    return context;
  }

  app::DesktopAppCommands& Commands(platform::Launcher& launcher) {
    commands_ = std::make_unique<app::DesktopAppCommands>(*frame_, views_, *settings_, prompt_,
                                                          Context(launcher));
    commands_->Register();
    return *commands_;
  }
  app::DesktopAppCommands& Commands() { return Commands(launcher_); }

  bool Run(int id) { return frame_->RunCommand(id); }
  bool Enabled(int id) { return frame_->Controller().StateOf(id).enabled; }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& record : prompt_.Records()) texts.push_back(record.text);
    return texts;
  }
  int Stops() const {
    return static_cast<int>(std::count(store_.calls.begin(), store_.calls.end(), "stop"));
  }

  TempDir dir_;
  std::unique_ptr<platform::RegistryStore> registry_;
  std::unique_ptr<app::Settings> settings_;
  platform::ScriptedPrompt prompt_;
  app::BrandingInfo branding_;
  RecordingStore store_;
  std::unique_ptr<app::CMainFrame> frame_;
  ScriptedViews views_;
  platform::RecordingLauncher launcher_;
  platform::ScriptedFileChooser files_;
  std::unique_ptr<app::DesktopAppCommands> commands_;
  std::vector<unsigned> helpContexts_;
  std::vector<int> errors_;
  bool tcp_ = true;
};

// ---- enabling and accelerators ----

TEST_F(AppCommandsWindowTest, CommandsAreDisabledUntilRegisteredAndThenFollowTheViewType) {
  const std::vector<int> registered = {cmd::kSearch,
                                       cmd::kSetupUnlisted,
                                       cmd::kHttpSession,
                                       cmd::kSaveIpList,
                                       cmd::kEmailSupport,
                                       cmd::kOptions,
                                       cmd::kAbout,
                                       cmd::kHelpIndex,
                                       cmd::kHelp,
                                       cmd::kContextHelp,
                                       cmd::kTreeOpenNewWindow,
                                       32790,
                                       32820};
  for (int id : registered) EXPECT_FALSE(Enabled(id)) << id;
  Commands();
  for (int id : registered) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_TRUE(frame_->Action(cmd::kHttpSession)->isEnabled());

  store_.view.type = 7;  // NetWare: no web page, no list to save; its Search says why not
  frame_->UpdateCommandStates();
  EXPECT_FALSE(Enabled(cmd::kHttpSession));
  EXPECT_FALSE(Enabled(cmd::kSaveIpList));
  EXPECT_TRUE(Enabled(cmd::kSearch));
  store_.view.type = 8;
  EXPECT_FALSE(Enabled(cmd::kSearch));
  EXPECT_FALSE(Run(cmd::kSearch));
  // The ones that act on a list row wait for the list's focus and selection.
  EXPECT_FALSE(Enabled(cmd::kUnused9));
  EXPECT_FALSE(Enabled(cmd::kUnused3));
}

TEST_F(AppCommandsWindowTest, EveryAcceleratorRunsItsCommandAndNoKeyRunsTwo) {
  const std::vector<std::pair<const char*, int>> keys = {{"F5", cmd::kRefresh},
                                                         {"Esc", cmd::kStop},
                                                         {"F6", cmd::kShowViewTree},
                                                         {"F9", cmd::kSearch},
                                                         {"F3", cmd::kHttpSession},
                                                         {"F1", cmd::kHelp},
                                                         {"Shift+F1", cmd::kContextHelp},
                                                         {"Alt+C", cmd::kVirtualPort},
                                                         {"Alt+S", cmd::kConnectionStatus},
                                                         {"Alt+W", cmd::kDeletePortByNumber},
                                                         {"Ctrl+Alt+I", cmd::kUnused9},
                                                         {"Tab", cmd::kNextPane}};
  for (const auto& [key, id] : keys) {
    QAction* action = frame_->Action(id);
    ASSERT_NE(action, nullptr) << id;
    EXPECT_EQ(action->shortcut(), QKeySequence(key)) << key;
    int owners = 0;
    for (QAction* other : frame_->actions()) owners += other->shortcut() == QKeySequence(key);
    EXPECT_EQ(owners, 1) << key;
  }
  // The menu shows F1 beside Contents, which the toolbar and tray name plainly.
  EXPECT_TRUE(frame_->Action(cmd::kHelpIndex)->text().endsWith("\tF1"));
  EXPECT_EQ(frame_->Action(cmd::kHelpIndex)->toolTip(), "Contents");
}

TEST_F(AppCommandsWindowTest, SaveIpListAndTheUnlistedServerAreReachableFromTheMenus) {
  std::map<QString, QList<QAction*>> menus;
  for (QAction* title : frame_->menuBar()->actions())
    menus[title->text()] = title->menu()->actions();
  EXPECT_EQ(menus["&File"].value(0), frame_->Action(cmd::kSaveIpList));
  EXPECT_EQ(menus["&File"].last(), frame_->Action(cmd::kExit));
  EXPECT_EQ(menus["&Tools"].value(0), frame_->Action(cmd::kSearch));
  EXPECT_EQ(menus["&Tools"].value(1), frame_->Action(cmd::kSetupUnlisted));
  Commands();
  frame_->UpdateCommandStates();
  EXPECT_TRUE(frame_->Action(cmd::kSaveIpList)->isEnabled());
  EXPECT_TRUE(frame_->Action(cmd::kSetupUnlisted)->isEnabled());
}

TEST_F(AppCommandsWindowTest, HelpKeysOpenTheFramesTopicAndContentsTheContents) {
  Commands();
  frame_->Action(cmd::kHelp)->trigger();
  EXPECT_TRUE(Run(cmd::kContextHelp));
  EXPECT_TRUE(Run(cmd::kHelpIndex));
  EXPECT_EQ(helpContexts_, (std::vector<unsigned>{0x20080, 0x20080, 0}));
  EXPECT_EQ(app::CKestrelApp::MapHelpContext(helpContexts_[0]), 5u);
}

// ---- the desktop ----

TEST_F(AppCommandsWindowTest, HttpSessionOpensTheSelectedDevicesPage) {
  Commands();
  views_.selectedIp = "127.0.0.5";
  tcp_ = false;
  EXPECT_TRUE(Run(cmd::kHttpSession));
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{"TCP/IP protocol not available. Cannot make HTTP connection.",
                                      "Unable to launch browser."}));
  ASSERT_EQ(launcher_.Calls().size(), 1u);
  EXPECT_EQ(launcher_.Calls()[0].url, "http://127.0.0.5");
  EXPECT_EQ(prompt_.Records()[1].caption, "Portolan Pro");

  launcher_.SetResult(true);
  tcp_ = true;
  views_.selectedIp.reset();
  EXPECT_TRUE(Run(cmd::kHttpSession));  // nothing selected: nothing opened, nothing said
  EXPECT_EQ(launcher_.Calls().size(), 1u);
  EXPECT_EQ(prompt_.Count(), 2u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the wait cursor went with the command
}

TEST_F(AppCommandsWindowTest, EmailSupportWithoutAnAddressIsDisabledAndSaysWhy) {
  branding_.supportEmail.clear();
  Commands();
  EXPECT_FALSE(Enabled(cmd::kEmailSupport));
  EXPECT_FALSE(Run(cmd::kEmailSupport));
  EXPECT_TRUE(launcher_.Calls().empty());
  EXPECT_NE(frame_->Action(cmd::kEmailSupport)->toolTip().indexOf("No support address"), -1);
}

TEST_F(AppCommandsWindowTest, EmailSupportWritesToTheBrandsAddressAboutTheProgram) {
  branding_.supportEmail = "help@example.com?cc=all@example.com";
  Commands();
  launcher_.SetResult(true);
  EXPECT_TRUE(Run(cmd::kEmailSupport));
  ASSERT_EQ(launcher_.Calls().size(), 1u);
  EXPECT_EQ(launcher_.Calls()[0].what, "mail");
  EXPECT_EQ(launcher_.Calls()[0].url,
            "mailto:help@example.com%3Fcc=all@example.com?subject=Portolan%20Pro%20Support");
  EXPECT_EQ(prompt_.Count(), 0u);
}

// ---- search and the unlisted server ----

TEST_F(AppCommandsWindowTest, SearchAsksAgainForAnInvalidAddressAndSaysWhenNotFound) {
  Commands();
  DialogScript script;
  script.Then([](QDialog& dialog) {
    SetText(dialog, "1031", "127.0.0");
    dialog.accept();
  });
  std::string kept;
  script.Then([&kept](QDialog& dialog) {
    kept = TextOf(dialog, "1031");
    SetText(dialog, "1031", "127.0.0.9");
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kSearch));
  EXPECT_EQ(script.Seen(), (std::vector<std::string>{"115", "115"}));
  EXPECT_EQ(kept, "127.0.0");
  EXPECT_EQ(views_.searched, std::vector<std::string>{"127.0.0.9"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"The IP address is invalid.",
                                               "The server cannot be found."}));
  EXPECT_EQ(Stops(), 1);

  views_.findable = {"127.0.0.9"};
  script.Then([](QDialog& dialog) {
    SetText(dialog, "1031", "127.0.0.9");
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kSearch));
  EXPECT_EQ(prompt_.Count(), 2u);  // found: nothing more to say
}

TEST_F(AppCommandsWindowTest, SearchOnAViewOfAnotherProtocolSaysItIsNotSupported) {
  Commands();
  store_.view.type = 7;
  views_.viewType = 7;
  DialogScript script;
  EXPECT_TRUE(Run(cmd::kSearch));
  EXPECT_TRUE(script.Seen().empty());
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "The Search tool is not supported for the protocol of the current view."});
}

TEST_F(AppCommandsWindowTest, UnlistedServerComesBackUntilTheServerAnswersAtItsNewAddress) {
  Commands();
  views_.sendResults = {5004, 0, 0};
  views_.confirmResults = {false, true};
  views_.findable = {"127.0.0.20"};
  DialogScript script;
  std::vector<UnlistedServerForm> shown;
  auto record = [&shown](QDialog& dialog) {
    UnlistedServerForm form;
    form.serialNumber = TextOf(dialog, "1032");
    form.ipAddress = TextOf(dialog, "1033");
    form.sendAddress = TextOf(dialog, "1034");
    shown.push_back(form);
  };
  script.Then([&](QDialog& dialog) {
    record(dialog);
    SetText(dialog, "1032", "4660");
    SetText(dialog, "1033", "127.0.0.20");
    SetText(dialog, "1034", "127.0.0.255");
    dialog.accept();
  });
  for (int again = 0; again < 2; ++again) {
    script.Then([&](QDialog& dialog) {
      record(dialog);
      dialog.accept();
    });
  }
  EXPECT_TRUE(Run(cmd::kSetupUnlisted));
  EXPECT_EQ(script.Seen(), (std::vector<std::string>{"116", "116", "116"}));
  // What was typed comes back each time.
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].ipAddress, "");
  EXPECT_EQ(shown[2].serialNumber, "4660");
  EXPECT_EQ(shown[2].sendAddress, "127.0.0.255");
  ASSERT_EQ(views_.sent.size(), 3u);
  EXPECT_EQ(views_.sent[0].ipAddress, "127.0.0.20");
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error sending the initialization request."});
  EXPECT_EQ(views_.confirmed,
            (std::vector<std::pair<std::string, int>>{{"127.0.0.20", 7}, {"127.0.0.20", 7}}));
  EXPECT_EQ(errors_, std::vector<int>{5018});
  EXPECT_EQ(views_.searched, std::vector<std::string>{"127.0.0.20"});
}

TEST_F(AppCommandsWindowTest, UnlistedServerTellsABadSerialNumberAndEndsOnCancel) {
  Commands();
  views_.sendResults = {2};
  DialogScript script;
  script.Then([](QDialog& dialog) {
    SetText(dialog, "1032", "12x");
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kSetupUnlisted));  // the second showing is cancelled
  EXPECT_EQ(script.Seen().size(), 2u);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter a positive integer."});
  EXPECT_TRUE(views_.confirmed.empty());
  EXPECT_TRUE(errors_.empty());
}

// ---- files and settings ----

TEST_F(AppCommandsWindowTest, SaveIpListWritesTheListedAddressesWhereTheUserChose) {
  Commands();
  views_.rows = {{0x00000, "127.0.0.1"},
                 {0x10000, "127.0.0.1"},
                 {0x20000, "127.0.0.2"},
                 {0x00001, "0.0.0.0"},
                 {0x00002, "127.0.0.3"}};
  const std::string path = dir_.Folder() + "list.txt";
  files_.QueueAnswer(path);
  EXPECT_TRUE(Run(cmd::kSaveIpList));
  EXPECT_EQ(ReadFile(path), "127.0.0.1\n127.0.0.3\n");
  ASSERT_EQ(files_.Requests().size(), 1u);
  EXPECT_EQ(files_.Requests()[0].title, "Save Current List");
  EXPECT_EQ(Stops(), 1);

  files_.QueueAnswer(dir_.Folder() + "no-such-folder/list.txt");
  EXPECT_TRUE(Run(cmd::kSaveIpList));
  EXPECT_EQ(errors_, std::vector<int>{5024});
  EXPECT_TRUE(Run(cmd::kSaveIpList));  // cancelled: nothing written, nothing said
  EXPECT_EQ(errors_.size(), 1u);
}

class ConfigHome {
 public:
  explicit ConfigHome(const std::string& folder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) old_ = old;
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~ConfigHome() {
    if (old_) {
      ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }

 private:
  std::optional<std::string> old_;
};

void Check(QDialog& dialog, const char* id, bool on) {
  auto* box = dialog.findChild<QCheckBox*>(id);
  ASSERT_NE(box, nullptr) << id;
  box->setChecked(on);
}

// Sets both boxes of the start-up options and ends the dialog with OK or Cancel.
DialogScript::Step StartupBoxes(bool startWithSession, bool startMinimized, bool ok) {
  return [=](QDialog& dialog) {
    Check(dialog, "1195", startWithSession);
    Check(dialog, "1196", startMinimized);
    if (ok) {
      dialog.accept();
    } else {
      dialog.reject();
    }
  };
}

TEST_F(AppCommandsWindowTest, StartupOptionsWriteTheAutostartEntryAndOnlyTheMinimizedBit) {
  ConfigHome home(dir_.Folder() + "config");
  settings_->WriteInt("General", "Flags", 0x13);
  Commands();
  DialogScript script;
  script.Then(StartupBoxes(true, true, true));
  EXPECT_TRUE(Run(cmd::kOptions));
  EXPECT_EQ(script.Seen(), std::vector<std::string>{"114"});
  EXPECT_EQ(settings_->GetInt("General", "Flags", 0), 0x113);
  EXPECT_TRUE(platform::Autostart::IsEnabled());
  EXPECT_EQ(platform::Autostart::GetArguments(),
            std::vector<std::string>{"/opt/portolan/bin/portolan"});

  script.Then(StartupBoxes(false, false, false));
  EXPECT_TRUE(Run(cmd::kOptions));  // Cancel changes nothing
  EXPECT_EQ(settings_->GetInt("General", "Flags", 0), 0x113);
  EXPECT_TRUE(platform::Autostart::IsEnabled());

  script.Then([](QDialog& dialog) {
    auto* start = dialog.findChild<QCheckBox*>("1195");
    auto* minimized = dialog.findChild<QCheckBox*>("1196");
    EXPECT_TRUE(start->isChecked());
    EXPECT_TRUE(minimized->isChecked());
    start->setChecked(false);
    minimized->setChecked(false);
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kOptions));
  EXPECT_EQ(settings_->GetInt("General", "Flags", 0), 0x13);
  EXPECT_FALSE(platform::Autostart::IsEnabled());
  EXPECT_EQ(prompt_.Count(), 0u);
  EXPECT_EQ(Stops(), 3);
}

TEST_F(AppCommandsWindowTest, StartupOptionsSayWhenTheAutostartEntryCannotBeWritten) {
  // The autostart folder's place is taken by a file.
  ConfigHome home(dir_.Folder() + "config");
  std::filesystem::create_directories(dir_.Path() / "config");
  dir_.Write("config/autostart", "not a folder");
  Commands();
  DialogScript script;
  script.Then(StartupBoxes(true, true, true));
  EXPECT_TRUE(Run(cmd::kOptions));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"The autostart entry could not be changed."});
  EXPECT_EQ(settings_->GetInt("General", "Flags", 0), 0x100);  // the flag is saved all the same
}

// ---- boxes ----

TEST_F(AppCommandsWindowTest, AboutShowsTheBrandsBox) {
  Commands();
  DialogScript script;
  std::string title;
  script.Then([&title](QDialog& dialog) {
    title = dialog.windowTitle().toStdString();
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kAbout));
  EXPECT_EQ(script.Seen(), std::vector<std::string>{"100"});
  EXPECT_EQ(title, "About Portolan Pro");
}

TEST_F(AppCommandsWindowTest, PlaceholdersShowTheirPlainBoxAfterStoppingTheSearch) {
  Commands();
  for (int id : {32790, 32888, 32807, 32820, 32793}) EXPECT_TRUE(Run(id)) << id;
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{"Unused function 1", "Unused function 6", "Unused function 7",
                                      "Feature Not Yet Complete", "Unused function 8"}));
  for (const auto& record : prompt_.Records()) {
    EXPECT_EQ(record.caption, "Portolan Pro");
    EXPECT_EQ(record.type, static_cast<unsigned>(platform::MB_OK));
  }
  EXPECT_EQ(Stops(), 5);
}

// ---- Open in New Window ----

class RunningCopyOfTheTest {
 public:
  RunningCopyOfTheTest(const std::string& path, std::function<void(const std::string&)> open)
      : server_([] {}, path) {
    server_.SetOpenViewCallback([open = std::move(open)](const std::string& name) {
      QMetaObject::invokeMethod(
          qApp, [open, name] { open(name); }, Qt::QueuedConnection);
    });
  }
  bool Start() { return server_.Start(); }

 private:
  platform::RunningCopyServer server_;
};

TEST_F(AppCommandsWindowTest, OpenInNewWindowHandsTheViewToTheRunningCopyAsAnArgument) {
  const std::string socket = dir_.Folder() + "portolan.sock";
  SocketLauncher launcher(socket);
  app::DesktopAppCommands& commands = Commands(launcher);
  RunningCopyOfTheTest running(
      socket, [&commands](const std::string& name) { commands.OpenViewHere(name); });
  ASSERT_TRUE(running.Start());
  views_.treeView = "Lab \"A\"; /v Other";
  EXPECT_TRUE(Run(cmd::kTreeOpenNewWindow));
  ASSERT_EQ(launcher.Calls().size(), 1u);
  EXPECT_EQ(launcher.Calls()[0].args,
            (std::vector<std::string>{"/new", "/v", "Lab \"A\"; /v Other"}));
  EXPECT_EQ(views_.treeReselects, 1);  // the tree goes back to the current view at once
  RunEventsUntil([this] { return !views_.opened.empty(); });
  EXPECT_EQ(views_.opened, std::vector<std::string>{"Lab \"A\"; /v Other"});
  EXPECT_EQ(Stops(), 1);
}

TEST_F(AppCommandsWindowTest, AViewAskedForWhileADialogIsOpenOpensWhenItCloses) {
  app::DesktopAppCommands& commands = Commands();
  DialogScript script;
  std::vector<std::string> openedDuringDialog;
  script.Then([&](QDialog& dialog) {
    commands.OpenViewHere("First");
    commands.OpenViewHere("Lab");  // the later request wins
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    openedDuringDialog = views_.opened;
    dialog.accept();
  });
  EXPECT_TRUE(Run(cmd::kAbout));
  EXPECT_TRUE(openedDuringDialog.empty());
  RunEventsUntil([this] { return !views_.opened.empty(); });
  EXPECT_EQ(views_.opened, std::vector<std::string>{"Lab"});
}

TEST_F(AppCommandsWindowTest, OpenInNewWindowOpensHereWhenNoCopyTakesIt) {
  Commands();  // the recorder takes nothing
  views_.treeView = "Lab";
  EXPECT_TRUE(Run(cmd::kTreeOpenNewWindow));
  EXPECT_EQ(views_.opened, std::vector<std::string>{"Lab"});
  views_.treeView.reset();  // a folder: nothing to open
  EXPECT_TRUE(Run(cmd::kTreeOpenNewWindow));
  EXPECT_EQ(launcher_.Calls().size(), 1u);
  EXPECT_EQ(views_.treeReselects, 2);
}

}  // namespace
