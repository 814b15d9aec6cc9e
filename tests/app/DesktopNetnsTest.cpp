// The desktop program end to end: started (offscreen) in one network namespace of the test's own,
// with simulated device servers in the other, its first refresh lists every device in the window.
// The window's rows are read from the file the program writes when PORTOLAN_LIST_DUMP names one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "TempDir.h"
#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "cli/ProcessRunner.h"

namespace {

const std::string kPortolan = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan";
const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DesktopNetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kPortolan.c_str(), X_OK) != 0 ||
        ::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
      GTEST_SKIP() << "build portolan and portolan-devsim first";
    }
    if (!net_.Ok()) GTEST_SKIP() << "needs root and network namespaces";
    std::filesystem::create_directories(dir_.Path() / "run");
    ::chmod((dir_.Path() / "run").c_str(), 0700);
  }
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  void StartProgram() {
    const std::string dump = dump_;
    pid_ = ::fork();
    if (pid_ == 0) {
      const std::map<std::string, std::string> env = {
          {"PORTOLAN_REGISTRY", dir_.Folder() + "registry.reg"},
          {"XDG_RUNTIME_DIR", dir_.Folder() + "run"},
          {"XDG_CONFIG_HOME", dir_.Folder()},
          {"PORTOLAN_PORT_DIR", dir_.Folder() + "run/ports"},
          {"WINDIR", dir_.Folder() + "windows"},
          {"PORTOLAN_LIST_DUMP", dump},
          {"QT_QPA_PLATFORM", "offscreen"}};
      for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<std::string> args = {"/usr/sbin/ip", "netns", "exec", net_.A(), kPortolan};
      std::vector<char*> argv;
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }

  // The rows of the list once the first search has ended (the file appears then), or none when
  // the program never got that far.
  std::vector<std::string> ListedRows() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (std::filesystem::exists(dump_)) return Lines(dump_);
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
  }

  NetnsPair net_;
  TempDir dir_;
  std::string dump_ = dir_.Folder() + "list.txt";
  std::unique_ptr<DevSimProcess> sim_;
  pid_t pid_ = -1;
};

TEST_F(DesktopNetnsTest, TheFirstRefreshListsEveryDeviceInTheWindow) {
  ASSERT_TRUE(net_.AddDeviceAddresses(20, 3));
  sim_ = std::make_unique<DevSimProcess>(
      std::vector<std::string>{"--count", "3", "--base-ip", "10.0.0.20", "--mask", "255.255.0.0",
                               "--ports", "2", "--no-tcp"},
      net_.B());
  ASSERT_TRUE(sim_->Ready());
  StartProgram();
  const std::vector<std::string> rows = ListedRows();
  // The seeded view lists one row per port (two each) with System Name, IP Address, H/W Address.
  ASSERT_EQ(rows.size(), 6u);
  std::set<std::string> addresses;
  for (const std::string& row : rows) {
    std::istringstream cells(row);
    std::string name, ip, hw;
    std::getline(cells, name, '\t');
    std::getline(cells, ip, '\t');
    std::getline(cells, hw, '\t');
    addresses.insert(ip + " " + hw);
  }
  EXPECT_EQ(addresses, (std::set<std::string>{"10.0.0.20 02504F000001", "10.0.0.21 02504F000002",
                                              "10.0.0.22 02504F000003"}));
  // Sorted by IP Address, as the seeded view says.
  EXPECT_NE(rows.front().find("10.0.0.20"), std::string::npos);
  EXPECT_NE(rows.back().find("10.0.0.22"), std::string::npos);
}

// A view that shows values of the devices' SNMP agents: every row carries its agent's firmware
// version and location, and the wireless device its SSID, data rate and mode.
TEST_F(DesktopNetnsTest, AViewWithSnmpColumnsShowsTheAgentsValues) {
  ASSERT_TRUE(net_.AddDeviceAddresses(40, 3));
  dir_.Write("devices.ini",
             "[device]\ncount = 2\nip = 10.0.0.40\nmask = 255.255.0.0\nname = \"WIRED {n}\"\n"
             "firmware = 7.1.0\nlocation = \"Print room\"\n\n"
             "[device]\nname = \"RADIO {n}\"\nmask = 255.255.0.0\nfirmware = 8.0.2\n"
             "location = Hall\nwireless = yes\nssid = office-net\n");
  sim_ = std::make_unique<DevSimProcess>(
      std::vector<std::string>{"--config", dir_.Folder() + "devices.ini", "--no-tcp", "--snmp-port",
                               "161"},
      net_.B());
  ASSERT_TRUE(sim_->Ready());
  const std::map<std::string, std::string> env = {
      {"PORTOLAN_REGISTRY", dir_.Folder() + "registry.reg"}};
  ASSERT_EQ(RunProcess(kCtl, {"views", "new", "Agents"}, env).exitCode, 0);
  for (const std::vector<std::string>& set :
       {std::vector<std::string>{"Views\\TCP/IP\\Agents", "Columns",
                                 "System Name,Firmware Version,Location,SSID,Data Rate,"
                                 "Wireless Mode"},
        std::vector<std::string>{"General", "CurrentView", "Agents"}}) {
    std::vector<std::string> args = {"settings", "set"};
    args.insert(args.end(), set.begin(), set.end());
    ASSERT_EQ(RunProcess(kCtl, args, env).exitCode, 0);
  }
  StartProgram();
  std::vector<std::string> rows = ListedRows();
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows,
            (std::vector<std::string>{"RADIO 0003\t8.0.2\tHall\toffice-net\t54\tInfrastructure",
                                      "WIRED 0001\t7.1.0\tPrint room\t\t\t",
                                      "WIRED 0002\t7.1.0\tPrint room\t\t\t"}));
}

}  // namespace
