// portolanctl reset, restore and netinfo against the device simulator on loopback: what the
// simulator's agent logs of every Set it takes, the lines and exit codes, the community check
// without a terminal, and the failures reported with their codes.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../app/TempDir.h"
#include "DevSimProcess.h"
#include "ProcessRunner.h"
#include "TerminalSession.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
const std::string kRoot = "1.3.6.1.4.1.32473";

class PortolanctlMaintenance : public ::testing::Test {
 protected:
  // A simulated device at 127.0.0.23 with its agent, logging Sets into the test's folder.
  void StartDevice(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {
        "--udp-port", "0",           "--no-tcp", "--no-multicast", "--base-ip",
        "127.0.0.23", "--snmp-port", "0",        "--snmp-log",     dir.Folder() + "sets.log"};
    args.insert(args.end(), extra.begin(), extra.end());
    sim = std::make_unique<DevSimProcess>(args);
    ASSERT_TRUE(sim->Ready());
    ASSERT_NE(sim->SnmpPort(), 0);
    // The device's own communities, and short SNMP waits for the failure cases.
    ASSERT_EQ(Ctl({"access", "set", "127.0.0.*", "--get", "public", "--set", "private"}).exitCode,
              0);
    ASSERT_EQ(Ctl({"settings", "set", "Timeouts", "SetTimeout", "20", "--dword"}).exitCode, 0);
  }

  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  }
  // A device command with the simulator's ports.
  ProcessResult Device(std::vector<std::string> args) {
    args.insert(args.end(), {"--port", std::to_string(sim->Port()), "--snmp-port",
                             std::to_string(sim->SnmpPort())});
    return Ctl(args);
  }
  std::vector<std::string> SetLog() const {
    std::ifstream in(dir.Folder() + "sets.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  TempDir dir;
  std::unique_ptr<DevSimProcess> sim;
};

TEST_F(PortolanctlMaintenance, ResetWritesTheResetVariableOnce) {
  StartDevice();
  const auto reset = Device({"reset", "127.0.0.23", "--yes"});
  ASSERT_EQ(reset.exitCode, 0) << reset.err;
  EXPECT_EQ(reset.out, "127.0.0.23: reset\n");
  EXPECT_NE(reset.err.find("Reading Information"), std::string::npos);
  EXPECT_EQ(SetLog(), std::vector<std::string>{"device 1 127.0.0.23: set " + kRoot +
                                               ".2.2.0 = INTEGER: 2 -> answered"});
  EXPECT_EQ(reset.err.find("public"), std::string::npos);
  EXPECT_EQ(reset.err.find("private"), std::string::npos);
}

TEST_F(PortolanctlMaintenance, RestoreListsTheLinesAndRestoresTheChosenOnes) {
  StartDevice();
  const auto list = Device({"restore", "127.0.0.23", "--list"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "1 Output Ports\n2 LPD\n3 IPP\n");
  EXPECT_TRUE(SetLog().empty());

  ASSERT_EQ(Device({"restore", "127.0.0.23", "--item", "2", "--yes"}).exitCode, 0);
  ASSERT_EQ(Device({"restore", "127.0.0.23", "--item", "1", "3", "--yes"}).exitCode, 0);
  ASSERT_EQ(Device({"restore", "127.0.0.23", "--item", "1", "--item", "2", "--item", "3", "--yes"})
                .exitCode,
            0);
  ASSERT_EQ(Device({"restore", "127.0.0.23", "--all", "--yes"}).exitCode, 0);
  const std::string device = "device 1 127.0.0.23: set ";
  EXPECT_EQ(SetLog(), (std::vector<std::string>{
                          device + kRoot + ".6.3.1.3.1.0 = INTEGER: 2 -> answered",
                          device + kRoot + ".6.2.2.1.0 = INTEGER: 2; " + kRoot +
                              ".6.3.3.3.1.0 = INTEGER: 2 -> answered",
                          device + kRoot + ".2.4.0 = INTEGER: 2 -> answered",
                          device + kRoot + ".2.4.0 = INTEGER: 2 -> answered",
                      }));
  const auto beyond = Device({"restore", "127.0.0.23", "--item", "4", "--yes"});
  EXPECT_EQ(beyond.exitCode, 2);
  EXPECT_EQ(SetLog().size(), 4u);
}

TEST_F(PortolanctlMaintenance, AWrongCommunityWithoutATerminalExitsThreeAndWritesNothing) {
  StartDevice();
  ASSERT_EQ(Ctl({"access", "delete", "127.0.0.*"}).exitCode, 0);  // back to quorum
  const auto reset = Device({"reset", "127.0.0.23", "--yes"});
  EXPECT_EQ(reset.exitCode, 3);
  EXPECT_NE(reset.err.find("The GET community name (password) is invalid"), std::string::npos);
  EXPECT_EQ(reset.err.find("quorum"), std::string::npos);
  EXPECT_TRUE(SetLog().empty());
}

TEST_F(PortolanctlMaintenance, AWrongSetCommunityIsAlsoRefused) {
  StartDevice();
  ASSERT_EQ(Ctl({"access", "set", "127.0.0.*", "--set", "nope"}).exitCode, 0);
  const auto restore = Device({"restore", "127.0.0.23", "--all", "--yes"});
  EXPECT_EQ(restore.exitCode, 3);
  EXPECT_NE(restore.err.find("The SET community name (password) is invalid"), std::string::npos);
  EXPECT_TRUE(SetLog().empty());
}

TEST_F(PortolanctlMaintenance, OnATerminalTheCommunitiesAndTheQuestionAreAsked) {
  StartDevice();
  ASSERT_EQ(Ctl({"access", "delete", "127.0.0.*"}).exitCode, 0);  // back to quorum
  TerminalSession terminal(kCtl,
                           {"reset", "127.0.0.23", "--port", std::to_string(sim->Port()),
                            "--snmp-port", std::to_string(sim->SnmpPort())},
                           {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  ASSERT_TRUE(terminal.WaitFor("The GET community name (password) is invalid"))
      << terminal.Screen();
  // Each question shows with echo off already, so an answer typed the moment it shows is
  // neither echoed nor dropped.
  ASSERT_TRUE(terminal.WaitFor("Community: "));
  EXPECT_FALSE(terminal.Echoing());
  terminal.Type("wrong\n");
  ASSERT_TRUE(terminal.WaitFor("Community: "));  // asked again while it does not match
  EXPECT_FALSE(terminal.Echoing());
  terminal.Type("public\n");
  ASSERT_TRUE(terminal.WaitFor("The SET community name (password) is invalid"));
  ASSERT_TRUE(terminal.WaitFor("Community (empty: ignore, read-only access): "));
  EXPECT_FALSE(terminal.Echoing());
  // The answer to the next question, typed ahead, is kept when echo comes back on.
  terminal.Type("private\ny\n");
  ASSERT_TRUE(terminal.WaitFor("Reset the Server? [y/N] ")) << terminal.Screen();
  EXPECT_EQ(terminal.Finish(), 0) << terminal.Screen();
  EXPECT_EQ(SetLog().size(), 1u);
  // The names typed were not echoed.
  EXPECT_EQ(terminal.Screen().find("public"), std::string::npos) << terminal.Screen();
  EXPECT_EQ(terminal.Screen().find("private"), std::string::npos);
}

// Killed while it asks for a community (echo off), the program gives the terminal its echo back
// on the way out, and still ends as the signal ends it.
TEST_F(PortolanctlMaintenance, KilledAtTheCommunityQuestionTheTerminalEchoesAgain) {
  StartDevice();
  ASSERT_EQ(Ctl({"access", "delete", "127.0.0.*"}).exitCode, 0);  // back to quorum
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    TerminalSession terminal(kCtl,
                             {"reset", "127.0.0.23", "--port", std::to_string(sim->Port()),
                              "--snmp-port", std::to_string(sim->SnmpPort())},
                             {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
    ASSERT_TRUE(terminal.WaitFor("Community: ")) << terminal.Screen();
    ASSERT_FALSE(terminal.Echoing());
    terminal.Signal(signal);
    EXPECT_EQ(terminal.Finish(), 128 + signal);
    EXPECT_TRUE(terminal.Echoing());
  }
  EXPECT_TRUE(SetLog().empty());
}

TEST_F(PortolanctlMaintenance, OnATerminalIgnoreLeavesNothingToDo) {
  StartDevice();
  ASSERT_EQ(Ctl({"access", "set", "127.0.0.*", "--set", "nope"}).exitCode, 0);
  TerminalSession terminal(kCtl,
                           {"restore", "127.0.0.23", "--all", "--port", std::to_string(sim->Port()),
                            "--snmp-port", std::to_string(sim->SnmpPort())},
                           {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  ASSERT_TRUE(terminal.WaitFor("Community (empty: ignore, read-only access): "))
      << terminal.Screen();
  terminal.Type("\n");
  EXPECT_EQ(terminal.Finish(), 3);
  EXPECT_NE(terminal.Screen().find("read-only access"), std::string::npos);
  EXPECT_TRUE(SetLog().empty());
}

TEST_F(PortolanctlMaintenance, QuestionsNeedATerminalOrYes) {
  StartDevice();
  const auto reset = Device({"reset", "127.0.0.23"});
  EXPECT_EQ(reset.exitCode, 2);
  EXPECT_NE(reset.err.find("--yes"), std::string::npos);
  EXPECT_TRUE(SetLog().empty());
  EXPECT_EQ(Device({"restore", "127.0.0.23"}).exitCode, 2);
  EXPECT_EQ(Device({"restore", "127.0.0.23", "--all", "--item", "1"}).exitCode, 2);
  EXPECT_EQ(Device({"reset", "127.0.0.300", "--yes"}).exitCode, 2);
}

TEST_F(PortolanctlMaintenance, AnUnansweredResetIsReportedWith9047) {
  StartDevice({"--snmp-ignore-set"});
  const auto reset = Device({"reset", "127.0.0.23", "--yes"});
  EXPECT_EQ(reset.exitCode, 1);
  EXPECT_NE(reset.err.find("Error occurred while resetting device. SNMP Error. (IP9047,SN3094)"),
            std::string::npos)
      << reset.err;
  const auto log = SetLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "device 1 127.0.0.23: set " + kRoot + ".2.2.0 = INTEGER: 2 -> ignored");
}

TEST_F(PortolanctlMaintenance, ARefusedRestoreIsReportedWith9048) {
  StartDevice({"--snmp-set-error", "5"});
  const auto restore = Device({"restore", "127.0.0.23", "--item", "1", "--yes"});
  EXPECT_EQ(restore.exitCode, 3);
  EXPECT_NE(restore.err.find("(IP9048,SN3160)"), std::string::npos) << restore.err;
  ASSERT_EQ(SetLog().size(), 1u);
  EXPECT_NE(SetLog()[0].find("-> error 5"), std::string::npos);
}

TEST_F(PortolanctlMaintenance, ABuiltInBrandsDeviceIsServedUnderItsRoot) {
  StartDevice({"--maker", "Corvane"});
  ASSERT_EQ(Device({"reset", "127.0.0.23", "--yes"}).exitCode, 0);
  EXPECT_EQ(SetLog(), std::vector<std::string>{"device 1 127.0.0.23: set " + kRoot +
                                               ".100.2.3.5.2.2.0 = INTEGER: 2 -> answered"});
}

TEST_F(PortolanctlMaintenance, ADeviceThatDoesNotAnswerIs5018) {
  StartDevice();
  const auto reset = Device({"reset", "127.0.0.99", "--yes", "--timeout", "200"});
  EXPECT_EQ(reset.exitCode, 1);
  EXPECT_NE(reset.err.find("Cannot communicate with the server. (IP5018)"), std::string::npos)
      << reset.err;
}

TEST(PortolanctlNetinfo, PrintsTheDialogsLines) {
  TempDir dir;
  const auto info =
      RunProcess(kCtl, {"netinfo"}, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  EXPECT_EQ(info.out.rfind("Winsock: ", 0), 0u);
  EXPECT_NE(info.out.find("\nIP Support: Yes\n"), std::string::npos);
  EXPECT_NE(info.out.find("\nVINES Support: No\n"), std::string::npos);
  EXPECT_EQ(RunProcess(kCtl, {"netinfo", "extra"}).exitCode, 2);
}

}  // namespace
