// Starts the desktop program for real (offscreen, in a network namespace of its own, so that
// nothing it sends leaves it) and checks what a first start leaves in the settings, that a second
// copy ends silently, and that SIGTERM ends it cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "../cli/ProcessRunner.h"
#include "TempDir.h"
#include "platform/RegistryStore.h"
#include "platform/RunningCopyClient.h"

namespace {

const std::string kPortolan = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan";

bool CanIsolateNetwork() {
  return RunProcess("/usr/bin/unshare", {"-n", "/bin/true"}).exitCode == 0;
}

class DesktopStart : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kPortolan)) GTEST_SKIP() << "built without the desktop program";
    if (!CanIsolateNetwork()) GTEST_SKIP() << "cannot make a network namespace here";
    std::filesystem::create_directories(runtime.Path());
    ::chmod(runtime.Path().c_str(), 0700);
  }

  std::map<std::string, std::string> Environment() const {
    return {{"PORTOLAN_REGISTRY", config.Folder() + "registry.reg"},
            {"XDG_RUNTIME_DIR", runtime.Folder()},
            {"XDG_CONFIG_HOME", config.Folder()},
            {"PORTOLAN_PORT_DIR", runtime.Folder() + "ports"},
            {"WINDIR", config.Folder() + "windows"},
            {"QT_QPA_PLATFORM", "offscreen"}};
  }

  // Starts portolan in a namespace of its own; returns its pid.
  pid_t Start(const std::vector<std::string>& args) {
    pid_t pid = ::fork();
    if (pid == 0) {
      for (const auto& [name, value] : Environment()) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<std::string> all = {"/usr/bin/unshare", "-n", kPortolan};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& arg : all) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  }

  std::optional<uint32_t> RunIndex() {
    platform::RegistryStore store(config.Folder() + "registry.reg");
    auto value =
        store.GetValue("HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General", "RunIndex");
    if (!value) return std::nullopt;
    return value->dword;
  }

  // The first start writes the seeded view a value at a time after RunIndex; wait for its last.
  bool WaitForSeededView() {
    for (int i = 0; i < 300; ++i) {
      platform::RegistryStore store(config.Folder() + "registry.reg");
      if (store.GetValue("HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Views\\VirtualPortView",
                         "Icons")) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool WaitForRunIndex(uint32_t expected) {
    for (int i = 0; i < 300; ++i) {
      if (RunIndex() == expected) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool WaitForRunningCopy() const {
    for (int i = 0; i < 300; ++i) {
      if (platform::RunningCopyClient::QueryRunningCopy(500, runtime.Folder() + "portolan.sock")) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  bool WaitForCurrentView(const std::string& name) const {
    for (int i = 0; i < 300; ++i) {
      platform::RegistryStore store(config.Folder() + "registry.reg");
      auto value =
          store.GetValue("HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General", "CurrentView");
      if (value && value->text == name) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  static int WaitExit(pid_t pid) {
    for (int i = 0; i < 400; ++i) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
  }

  TempDir config, runtime;
};

TEST_F(DesktopStart, FirstStartSeedsSettingsSecondCopyEndsAndSigtermQuits) {
  pid_t first = Start({});
  ASSERT_TRUE(WaitForRunIndex(1));
  ASSERT_TRUE(WaitForSeededView());
  platform::RegistryStore store(config.Folder() + "registry.reg");
  const std::string root = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan";
  auto location = store.GetValue(root + "\\General", "Location");
  ASSERT_TRUE(location);
  EXPECT_EQ(location->text, std::string(PORTOLAN_BINARY_DIR) + "/bin/");
  EXPECT_EQ(store.GetValue(root + "\\Views", "First")->text, "No");
  EXPECT_EQ(store.GetValue(root + "\\Views\\VirtualPortView", "Type")->dword, 6u);

  // The guard is held: a second copy ends at once, silently, and counts no run.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  pid_t second = Start({});
  EXPECT_EQ(WaitExit(second), 0);
  EXPECT_EQ(RunIndex(), 1u);

  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first), 0);

  pid_t third = Start({});
  EXPECT_TRUE(WaitForRunIndex(2));
  ::kill(third, SIGTERM);
  EXPECT_EQ(WaitExit(third), 0);
}

TEST_F(DesktopStart, StoredPortsComeBackAtStartAndGoAtExit) {
  {
    platform::RegistryStore store(config.Folder() + "registry.reg");
    const std::string key = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Ports\\COM7";
    store.SetString(key, "DevHwAddr", "00409D123456");
    store.SetString(key, "DevIpAddr", "127.0.0.1");
    store.SetString(key, "DevTcpPrt", "9");  // nothing listens; only the port's creation counts
    store.SetDword(key, "ComPrtNum", 7);
    store.SetDword(key, "DevPrtNum", 0);
    store.SetDword(key, "PortFlags", 2);
  }
  const std::filesystem::path link = runtime.Path() / "ports" / "COM7";
  pid_t pid = Start({});
  bool appeared = false;
  for (int i = 0; i < 200 && !appeared; ++i) {
    appeared = std::filesystem::is_symlink(link);
    if (!appeared) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(appeared);
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

// The first window shows the first view's columns (150 + 700 + 48 pixels), as far as the screen
// (the offscreen one is 800 x 600) allows; what it closes at is stored for the next start.
TEST_F(DesktopStart, FirstWindowIsWideEnoughForTheFirstViewsColumns) {
  pid_t pid = Start({"/ns"});
  ASSERT_TRUE(WaitForRunningCopy());
  ::kill(pid, SIGTERM);
  ASSERT_EQ(WaitExit(pid), 0);
  platform::RegistryStore store(config.Folder() + "registry.reg");
  const std::string general = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General";
  auto dword = [&](const char* name) {
    auto value = store.GetValue(general, name);
    return value ? static_cast<int32_t>(value->dword) : 0;
  };
  const int width = dword("Right") - dword("Left");
  EXPECT_GT(width, 620);
  EXPECT_LE(width, 898);
  EXPECT_EQ(dword("Bottom") - dword("Top"), 520);
}

}  // namespace

TEST_F(DesktopStart, NewWindowAskedOfASecondCopyOpensTheViewInTheRunningOne) {
  {
    platform::RegistryStore store(config.Folder() + "registry.reg");
    const std::string views = "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Views\\";
    for (const std::string view : {"All Print Servers", "Lab"}) {
      store.SetDword(views + view, "Type", 6);
      store.SetDword(views + view, "Icons", 16);
      store.SetString(views + view, "Columns", "System Name,IP Address");
    }
    store.SetString("HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General", "CurrentView",
                    "All Print Servers");
  }
  pid_t first = Start({"/ns"});  // no first search
  ASSERT_TRUE(WaitForRunningCopy());
  pid_t second = Start({"/new", "/v", "Lab"});
  EXPECT_EQ(WaitExit(second), 0);
  EXPECT_TRUE(WaitForCurrentView("Lab"));
  ::kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first), 0);
}

// portolanctl ports status reaches the desktop program too, over its running-copy socket.
TEST_F(DesktopStart, PortsStatusReportsTheDesktopsPorts) {
  const std::string ctl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
  ASSERT_EQ(RunProcess(ctl, {"ports", "add", "COM77", "127.0.0.1", "0"}, Environment()).exitCode,
            0);
  pid_t desktop = Start({"/ns"});
  ASSERT_TRUE(WaitForRunningCopy());
  // The stored port comes up while the window opens: ask until it is reported.
  ProcessResult status;
  for (int i = 0; i < 300; ++i) {
    status = RunProcess(ctl, {"ports", "status"}, Environment());
    if (status.exitCode != 0 || status.out.find("COM77") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(status.out,
            "COM77  127.0.0.1:9100  Closed  rx 0  tx 0  reconnects 0  application none\n");
  ::kill(desktop, SIGTERM);
  EXPECT_EQ(WaitExit(desktop), 0);
  EXPECT_EQ(RunProcess(ctl, {"ports", "status"}, Environment()).exitCode, 1);
}
