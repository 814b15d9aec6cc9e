#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../app/TempDir.h"
#include "../vport/BridgeTestSupport.h"
#include "BackgroundCtl.h"
#include "CtlFixture.h"
#include "DevicePortListener.h"
#include "ProcessRunner.h"

namespace {

class PortolanctlPorts : public test::CtlFixture {};

TEST_F(PortolanctlPorts, AddListDelete) {
  auto added =
      Ctl({"ports", "add", "COM5", "192.168.1.20", "1", "--rfc2217", "--hw", "00-80-D4-00-00-01"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "COM5 -> 192.168.1.20:9201, device port 1 (Port # 2) rfc2217\n");
  ASSERT_EQ(Ctl({"ports", "add", "com7", "192.168.1.21", "0", "--strict-baud"}).exitCode, 0);

  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM5", "DevTcpPrt"}).out, "9201\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM5", "PortFlags"}).out, "3\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM5", "ComPrtNum"}).out, "5\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM7", "DevTcpPrt"}).out, "9100\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM7", "PortFlags"}).out, "6\n");

  auto list = Ctl({"ports", "list"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out,
            "COM5  192.168.1.20:9201  device port 1 (Port # 2)  hw 0080D4000001 rfc2217\n"
            "COM7  192.168.1.21:9100  device port 0 (Port # 1)  hw 000000000000 strict-baud\n");

  EXPECT_EQ(Ctl({"ports", "delete", "COM5"}).exitCode, 0);
  EXPECT_EQ(Ctl({"ports", "delete", "COM5"}).exitCode, 1);
  EXPECT_EQ(Ctl({"ports", "list"}).out.find("COM5"), std::string::npos);
}

TEST_F(PortolanctlPorts, AddRefusesBadAndTakenPorts) {
  EXPECT_EQ(Ctl({"ports", "add", "COM3", "127.0.0.1", "0"}).exitCode, 3);  // the system's
  EXPECT_EQ(Ctl({"ports", "add", "COM0", "127.0.0.1", "0"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM256", "127.0.0.1", "0"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM05", "127.0.0.1", "0"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM5", "300.1.1.1", "0"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.1", "-1"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.1", "60000"}).exitCode, 2);
  auto six = Ctl({"ports", "add", "COM5", "127.0.0.1", "6"});  // the devices have Port # 1 ... 6
  EXPECT_EQ(six.exitCode, 2);
  EXPECT_NE(six.err.find("0 for Port # 1"), std::string::npos) << six.err;
  EXPECT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.1"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.1", "0", "--bogus"}).exitCode, 2);
  ASSERT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.1", "0"}).exitCode, 0);
  auto taken = Ctl({"ports", "add", "COM5", "127.0.0.1", "1"});
  EXPECT_EQ(taken.exitCode, 3);
  EXPECT_NE(taken.err.find("already in use"), std::string::npos);
  EXPECT_EQ(Ctl({"ports", "frobnicate"}).exitCode, 2);
}

TEST_F(PortolanctlPorts, RunBridgesStoredAndGivenPortsAndCleansUpOnSigterm) {
  DevicePortListener server;
  ASSERT_GE(server.devPort, 0);
  ASSERT_EQ(Ctl({"ports", "add", "COM8", server.ip, std::to_string(server.devPort)}).exitCode, 0);
  Background run(
      {"run", "--port", "COM9=" + server.ip + ":" + std::to_string(server.devPort), "--log"},
      Env());
  const std::string ports = dir.Folder() + "ports/";
  ASSERT_TRUE(run.WaitFor("COM8: " + ports + "COM8\n")) << run.Text();
  ASSERT_TRUE(run.WaitFor("COM9: " + ports + "COM9\n")) << run.Text();
  ASSERT_TRUE(run.WaitFor("COM9 -> " + server.ip + ":" + std::to_string(9100 + server.devPort) +
                          ", device port " + std::to_string(server.devPort) + " (Port # " +
                          std::to_string(server.devPort + 1) + ")\n"))
      << run.Text();
  ASSERT_TRUE(run.WaitFor("running 2 port(s)")) << run.Text();

  // A second copy is refused while this one runs.
  auto second = Ctl({"run"});
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_NE(second.err.find("already running"), std::string::npos) << second.err;

  const int app = vport::test::OpenAsApplication(ports + "COM9");
  ASSERT_GE(app, 0);
  pollfd p{server.fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 20000), 1);
  const int peer = accept(server.fd, nullptr, nullptr);
  ASSERT_TRUE(run.WaitFor("COM9: Open")) << run.Text();
  ASSERT_EQ(write(app, "ping", 4), 4);
  const auto got = vport::test::ReadExactly(peer, 4);
  EXPECT_EQ(std::string(got.begin(), got.end()), "ping");
  EXPECT_TRUE(run.WaitFor("COM9| Port received 4 byte(s).\n")) << run.Text();

  // The application still holds COM9 when the run ends: the port goes anyway.
  EXPECT_EQ(run.Stop(SIGTERM), 0);
  EXPECT_NE(run.Text().find("stopped\n"), std::string::npos) << run.Text();
  struct stat info {};
  EXPECT_NE(lstat((ports + "COM8").c_str(), &info), 0);
  EXPECT_NE(lstat((ports + "COM9").c_str(), &info), 0);
  close(app);
  close(peer);
}

// A port stored with --wine is listed so and shows in the Wine prefix while it runs.
TEST_F(PortolanctlPorts, WinePortsAreListedAndLinkedIntoThePrefixWhileTheyRun) {
  auto added = Ctl({"ports", "add", "COM6", "127.0.0.1", "0", "--wine"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "COM6 -> 127.0.0.1:9100, device port 0 (Port # 1) wine\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM6", "PortFlags"}).out, "10\n");
  EXPECT_EQ(Ctl({"ports", "list"}).out,
            "COM6  127.0.0.1:9100  device port 0 (Port # 1)  hw 000000000000 wine\n");

  const std::string dosDevices = dir.Folder() + "prefix/dosdevices";
  ASSERT_EQ(mkdir((dir.Folder() + "prefix").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dosDevices.c_str(), 0700), 0);
  auto env = Env();
  env["WINEPREFIX"] = dir.Folder() + "prefix";
  Background run({"run"}, env);
  ASSERT_TRUE(run.WaitFor("COM6: Wine link " + dosDevices + "/com6 made\n")) << run.Text();
  ASSERT_TRUE(run.WaitFor("running 1 port(s)")) << run.Text();
  char target[512] = {};
  ASSERT_GT(readlink((dosDevices + "/com6").c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), dir.Folder() + "ports/COM6");
  EXPECT_EQ(run.Stop(SIGTERM), 0);
  EXPECT_NE(run.Text().find("COM6: Wine link " + dosDevices + "/com6 removed\n"), std::string::npos)
      << run.Text();
  struct stat info {};
  EXPECT_NE(lstat((dosDevices + "/com6").c_str(), &info), 0);
}

TEST_F(PortolanctlPorts, LineSettingsAreStoredListedAndCheckedWithTheAcceptedForms) {
  auto added = Ctl({"ports", "add", "COM5", "127.0.0.1", "1", "--rfc2217", "--line", "7e1"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "COM5 -> 127.0.0.1:9201, device port 1 (Port # 2) rfc2217 line 7E1\n");
  EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM5", "LineSettings"}).out, "7E1\n");
  EXPECT_EQ(Ctl({"ports", "list"}).out,
            "COM5  127.0.0.1:9201  device port 1 (Port # 2)  hw 000000000000 rfc2217 line 7E1\n");

  for (const char* bad : {"7E", "9N1", "8X1", "8N3", "7-E-1"}) {
    auto refused = Ctl({"ports", "add", "COM6", "127.0.0.1", "0", "--rfc2217", "--line", bad});
    EXPECT_EQ(refused.exitCode, 2) << bad;
    EXPECT_NE(refused.err.find(std::string("\"") + bad +
                               "\" is not a line setting (data bits 5-8, "
                               "parity N, O, E, M or S, stop bits 1, "
                               "1.5 or 2"),
              std::string::npos)
        << refused.err;
  }
  auto raw = Ctl({"ports", "add", "COM6", "127.0.0.1", "0", "--line", "7E1"});
  EXPECT_EQ(raw.exitCode, 2);
  EXPECT_NE(raw.err.find("only over RFC 2217"), std::string::npos) << raw.err;
  EXPECT_EQ(Ctl({"ports", "list"}).out.find("COM6"), std::string::npos);

  auto badRun = Ctl({"run", "--port", "COM6=127.0.0.1:1,rfc2217,line=7Z1"});
  EXPECT_EQ(badRun.exitCode, 2);
  EXPECT_NE(badRun.err.find("\"7Z1\" is not a line setting"), std::string::npos) << badRun.err;
  auto rawRun = Ctl({"run", "--port", "COM6=127.0.0.1:1,line=7E1"});
  EXPECT_EQ(rawRun.exitCode, 2);
  EXPECT_NE(rawRun.err.find("only over RFC 2217"), std::string::npos) << rawRun.err;
}

TEST_F(PortolanctlPorts, RunRejectsBadPortSpecs) {
  EXPECT_EQ(Ctl({"run", "--port", "COM5=127.0.0.1"}).exitCode, 2);
  EXPECT_EQ(Ctl({"run", "--port", "COM5=127.0.0.1:1,fast"}).exitCode, 2);
  EXPECT_EQ(Ctl({"run", "--port", "LPT1=127.0.0.1:1"}).exitCode, 2);
  EXPECT_EQ(Ctl({"run", "--port", "COM5=127.0.0.1:6"}).exitCode, 2);
  EXPECT_EQ(Ctl({"run", "--port"}).exitCode, 2);
  // Nothing stored and nothing given: nothing to run.
  EXPECT_EQ(Ctl({"run"}).exitCode, 3);
}

TEST_F(PortolanctlPorts, HardwareAddressFormsAreStoredInOneForm) {
  for (const char* hw :
       {"0080d4000001", "00:80:D4:00:00:01", "00-80-d4-00-00-01", "0080.D400.0001"}) {
    auto added = Ctl({"ports", "add", "COM5", "127.0.0.1", "0", "--hw", hw});
    ASSERT_EQ(added.exitCode, 0) << hw << ": " << added.err;
    EXPECT_EQ(Ctl({"settings", "get", "Ports\\COM5", "DevHwAddr"}).out, "0080D4000001\n") << hw;
    ASSERT_EQ(Ctl({"ports", "delete", "COM5"}).exitCode, 0);
  }
  for (const char* hw : {"", "xyz", "0080D400000", "0080D40000012", "00:80-D4:00:00:01",
                         "0080:D4:00:00:01", "00:80:D4:00:00:01:", "0g80D4000001"}) {
    auto refused = Ctl({"ports", "add", "COM5", "127.0.0.1", "0", "--hw", hw});
    EXPECT_EQ(refused.exitCode, 2) << hw;
    EXPECT_NE(refused.err.find("00:80:D4:00:00:01"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Ctl({"ports", "list"}).out, "");
}

TEST_F(PortolanctlPorts, SecondPortOnTheSameDevicePortIsStoredWithAWarning) {
  ASSERT_EQ(Ctl({"ports", "add", "COM4", "127.0.0.10", "2"}).exitCode, 0);
  auto other = Ctl({"ports", "add", "COM5", "127.0.0.10", "3"});
  EXPECT_EQ(other.err, "");
  auto same = Ctl({"ports", "add", "COM6", "127.0.0.10", "2", "--rfc2217"});
  EXPECT_EQ(same.exitCode, 0);
  EXPECT_NE(same.err.find("warning: COM4 is bound to the same device port"), std::string::npos)
      << same.err;
}

TEST_F(PortolanctlPorts, RunRefusesToRebindAStoredPort) {
  ASSERT_EQ(Ctl({"ports", "add", "COM5", "127.0.0.10", "1"}).exitCode, 0);
  auto run = Ctl({"run", "--port", "COM5=127.0.0.11:0"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("COM5 is a stored port (127.0.0.10:9101, device port 1 (Port # 2))"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, "");  // nothing ran
  EXPECT_EQ(run.err.find("cannot be used"), std::string::npos);
}

TEST_F(PortolanctlPorts, HelpNamesTheDevicePortIndex) {
  auto help = Ctl({"--help"});
  const std::string phrase = "DEVPORT: device port index, 0 for Port # 1";
  const size_t first = help.out.find(phrase);
  ASSERT_NE(first, std::string::npos) << help.out;
  EXPECT_NE(help.out.find(phrase, first + 1), std::string::npos) << "ports add and run";
}

}  // namespace

// Many stored ports; a signal while they are still coming up ends the run, and every link goes.
TEST_F(PortolanctlPorts, RunStoppedDuringItsStartUpRemovesEveryLink) {
  {
    std::ofstream reg(dir.Folder() + "registry.reg");
    reg << "Windows Registry Editor Version 5.00\r\n";
    for (int n = 10; n < 130; ++n) {
      char number[16];
      std::snprintf(number, sizeof number, "%08x", n);
      reg << "\r\n[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\Ports\\COM" << n << "]\r\n"
          << "\"DevHwAddr\"=\"00-80-D4-00-00-01\"\r\n\"DevIpAddr\"=\"127.0.0.1\"\r\n"
          << "\"DevTcpPrt\"=\"9\"\r\n\"ComPrtNum\"=dword:" << number << "\r\n"
          << "\"DevPrtNum\"=dword:00000000\r\n\"PortFlags\"=dword:00000001\r\n";
    }
  }
  Background run({"run"}, Env());
  const std::string ports = dir.Folder() + "ports/";
  ASSERT_TRUE(run.WaitFor(": " + ports + "COM")) << run.Text();
  EXPECT_EQ(run.Stop(SIGTERM), 0);
  EXPECT_NE(run.Text().find("stopped\n"), std::string::npos) << run.Text();
  EXPECT_TRUE(std::filesystem::is_empty(dir.Folder() + "ports")) << run.Text();
}
