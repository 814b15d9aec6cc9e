// portolanctl discover, query and setip against simulated devices on loopback (unicast only).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/CtlDiscovery.h"
#include "cli/DevSimProcess.h"
#include "cli/ProcessRunner.h"

namespace {

std::string Ctl() {
  return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class DiscoverCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(Ctl().c_str(), X_OK) != 0 ||
        ::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
      GTEST_SKIP() << "build portolanctl and portolan-devsim first";
    }
    registry_ = "/tmp/portolan-h12-reg-" + std::to_string(::getpid()) + ".reg";
    sim_ = std::make_unique<DevSimProcess>(SimulatorArguments());
    ASSERT_TRUE(sim_->Ready());
  }
  void TearDown() override { ::unlink(registry_.c_str()); }
  virtual std::vector<std::string> SimulatorArguments() const {
    return {"--count", "3",        "--base-ip",      "127.0.0.20", "--udp-port",
            "0",       "--no-tcp", "--no-multicast", "--name",     "LAB {n}, \"east\""};
  }

  ProcessResult Run(std::vector<std::string> args, bool shortWait = true) {
    args.push_back("--port");
    args.push_back(std::to_string(sim_->Port()));
    if (shortWait) {
      args.push_back("--timeout");
      args.push_back("300");
    }
    return RunProcess(Ctl(), args, {{"PORTOLAN_REGISTRY", registry_}});
  }

  std::string registry_;
  std::unique_ptr<DevSimProcess> sim_;
};

TEST_F(DiscoverCommandTest, SingleAddressesListedSilentOneToo) {
  const auto r = Run({"discover", "--entry", "127.0.0.21", "--entry", "127.0.0.99", "--columns",
                      "IP Address,H/W Address,Status"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out),
            (std::vector<std::string>{"IP Address,H/W Address,Status",
                                      "127.0.0.21,02504F000002,Good", "127.0.0.99,,Error"}));
  EXPECT_NE(r.err.find("Searching specific servers..."), std::string::npos);
}

TEST_F(DiscoverCommandTest, CsvQuotesFieldsAsRfc4180) {
  const auto r = Run({"discover", "--entry", "127.0.0.20", "--columns", "System Name,Serial #"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "System Name,Serial #\r\n\"LAB 0001, \"\"east\"\"\",1\r\n");
}

TEST_F(DiscoverCommandTest, JsonEscapesAndNamesColumns) {
  const auto r = Run({"discover", "--entry", "127.0.0.22", "--json", "--columns", "System Name"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "[\n {\"System Name\": \"LAB 0003, \\\"east\\\"\"}\n]\n");
}

TEST_F(DiscoverCommandTest, DuplicatesByHardwareAddressAreDropped) {
  const auto r = Run(
      {"discover", "--entry", "127.0.0.20", "--entry", "127.0.0.20", "--columns", "IP Address"});
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"IP Address", "127.0.0.20"}));
}

TEST_F(DiscoverCommandTest, AddressListStopsAtTheFirstSilentAddress) {
  const std::string path = "/tmp/portolan-h12-list-" + std::to_string(::getpid()) + ".txt";
  std::ofstream(path) << "127.0.0.20 first\n\n127.0.0.21\r\n127.0.0.98\n127.0.0.22\n";
  const auto r = Run({"discover", "--entry", "File<" + path + ">", "--entry", "127.0.0.22",
                      "--columns", "IP Address"});
  std::remove(path.c_str());
  // The file stops at .98 (listed, silent); its .22 line is never read, the next entry is.
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"IP Address", "127.0.0.20", "127.0.0.21",
                                                    "127.0.0.98", "127.0.0.22"}));
}

TEST_F(DiscoverCommandTest, MissingFileDoesNothingAndTheWalkGoesOn) {
  const auto r = Run({"discover", "--entry", "File</nonexistent/portolan/list.txt>", "--entry",
                      "127.0.0.21", "--columns", "IP Address"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"IP Address", "127.0.0.21"}));
}

TEST_F(DiscoverCommandTest, UsageErrors) {
  EXPECT_EQ(Run({"discover"}).exitCode, 2);
  EXPECT_EQ(Run({"discover", "--entry", "127.0.0.20", "--columns", "Nonsense"}).exitCode, 2);
  EXPECT_EQ(Run({"discover", "--view", "x", "--local"}).exitCode, 2);
  EXPECT_EQ(Run({"discover", "--view", "Missing"}).exitCode, 1);  // not found
  EXPECT_EQ(Run({"query", "127.0.0.300"}).exitCode, 2);
  EXPECT_EQ(Run({"setip", "--hw", "02504F000001"}).exitCode, 2);
  EXPECT_EQ(Run({"setip", "--serial", "1", "--ip", "127.0.0.60"}).exitCode, 2);
}

TEST_F(DiscoverCommandTest, EntriesThatAreNoSearchEntryAreRefused) {
  for (const char* entry : {"999.1.1.1", "nonsense", "10.0.0.0/24", "10.0.*", "10.0.0.*5",
                            "Multicast<0>", "Multicast<x>", "File<>", "10.0.0.300<DB>"}) {
    const auto r = Run({"discover", "--entry", entry});
    EXPECT_EQ(r.exitCode, 2) << entry;
    EXPECT_EQ(r.out, "") << entry;
    EXPECT_NE(r.err.find("is not a search entry"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("10.0.0.255<DB>"), std::string::npos) << r.err;
  }
}

TEST_F(DiscoverCommandTest, UnknownColumnListsTheValidTitles) {
  const auto r = Run({"discover", "--entry", "127.0.0.20", "--columns", "IP Address,Nonsense"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("unknown column \"Nonsense\""), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("  H/W Address\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("  Firmware Version\n"), std::string::npos) << r.err;
}

TEST_F(DiscoverCommandTest, StoredViewGivesEntriesColumnsAndFilter) {
  auto set = [this](const std::string& entry, const std::string& value, bool dword = false) {
    std::vector<std::string> args = {"settings", "set", "Views\\Lab", entry, value};
    if (dword) args.push_back("--dword");
    ASSERT_EQ(RunProcess(Ctl(), args, {{"PORTOLAN_REGISTRY", registry_}}).exitCode, 0);
  };
  set("NetSearchBuild", "0", true);
  set("ListBuild", "1", true);
  set("dev0", "127.0.0.20");
  set("dev1", "127.0.0.21");
  set("dev2", "127.0.0.22");
  set("Columns", "IP Address,Serial #");
  set("Filter", "IP Address");
  set("FilterValue", "*.20,*.22");
  const auto r = Run({"discover", "--view", "Lab"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out),
            (std::vector<std::string>{"IP Address,Serial #", "127.0.0.20,1", "127.0.0.22,3"}));
}

TEST_F(DiscoverCommandTest, QueryExitCodesAndLines) {
  const auto answered = Run({"query", "127.0.0.21"});
  EXPECT_EQ(answered.exitCode, 0);
  const auto lines = Lines(answered.out);
  ASSERT_EQ(lines.size(), 29u + 7u);  // the device's lines, then its one port's
  EXPECT_EQ(lines[2], "IP Address: 127.0.0.21");
  EXPECT_EQ(lines[3], "H/W Address: 02504F000002");
  EXPECT_EQ(lines[14], "Status: Good");
  EXPECT_EQ(lines[29], "Port # 1:");
  EXPECT_EQ(lines[30], "  Status: Good");
  EXPECT_EQ(lines[31], "  Port Name: Port1");
  const auto silent = Run({"query", "127.0.0.97"});
  EXPECT_EQ(silent.exitCode, 1);
  EXPECT_EQ(Lines(silent.out)[2], "IP Address: 127.0.0.97");
}

TEST_F(DiscoverCommandTest, SetIpBySerialAndHardwareAddress) {
  auto r = Run(
      {"setip", "--serial", "1", "--ip", "127.0.0.60", "--send-to", "127.0.0.20", "--wait", "5"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "02504F000001 127.0.0.60\n");
  r = Run({"setip", "--hw", "02504F000002", "--ip", "127.0.0.61", "--send-to", "127.0.0.21",
           "--wait", "5"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Run({"query", "127.0.0.61"}).exitCode, 0);
  // Nobody at the send address: the device never answers at the new one.
  r = Run(
      {"setip", "--serial", "3", "--ip", "127.0.0.62", "--send-to", "127.0.0.96", "--wait", "0"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Cannot communicate with the server."), std::string::npos);
  EXPECT_EQ(
      Run({"setip", "--serial", "12a", "--ip", "127.0.0.62", "--send-to", "127.0.0.1"}).exitCode,
      2);
}

// Devices of several ports, one of them off-line: one row per port, and the device's own level.
class DiscoverByPortTest : public DiscoverCommandTest {
 protected:
  std::vector<std::string> SimulatorArguments() const override {
    return {"--count", "2",         "--base-ip",      "127.0.0.30", "--udp-port",
            "0",       "--no-tcp",  "--no-multicast", "--port",     "0,1,Lab A",
            "--port",  "2,1,Lab B", "--port",         "0,4,Lab C"};
  }
};

TEST_F(DiscoverByPortTest, OneRowPerPortAndServerRowsShowTheDevicesLevel) {
  const std::string columns = "IP Address,Port #,Port Name,Port Status,Status";
  const auto byPort = Run({"discover", "--entry", "127.0.0.30", "--entry", "127.0.0.31",
                           "--by-port", "--columns", columns});
  ASSERT_EQ(byPort.exitCode, 0) << byPort.err;
  EXPECT_EQ(
      Lines(byPort.out),
      (std::vector<std::string>{
          columns, "127.0.0.30,1,Lab A,On-line,Good", "127.0.0.30,2,Lab B,Off-line,Warning",
          "127.0.0.30,3,Lab C,On-line: Paper Out,Warning", "127.0.0.31,1,Lab A,On-line,Good",
          "127.0.0.31,2,Lab B,Off-line,Warning", "127.0.0.31,3,Lab C,On-line: Paper Out,Warning"}));
  const auto servers = Run({"discover", "--entry", "127.0.0.30", "--columns", "IP Address,Status"});
  EXPECT_EQ(Lines(servers.out),
            (std::vector<std::string>{"IP Address,Status", "127.0.0.30,Warning"}));
}

TEST_F(DiscoverByPortTest, QueryPrintsEveryPortsLines) {
  const auto r = Run({"query", "127.0.0.30"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 29u + 3 * 7u);
  EXPECT_EQ(lines[14], "Status: Warning");
  EXPECT_EQ(lines[36], "Port # 2:");
  EXPECT_EQ(lines[37], "  Status: Warning");
  EXPECT_EQ(lines[38], "  Port Name: Lab B");
  EXPECT_EQ(lines[39], "  Port Status: Off-line");
  EXPECT_EQ(lines[43], "Port # 3:");
  EXPECT_EQ(lines[45], "  Port Name: Lab C");
}

TEST(CtlDiscoveryTest, CsvAndJsonFields) {
  using cli::CtlDiscovery;
  EXPECT_EQ(CtlDiscovery::CsvField("plain"), "plain");
  EXPECT_EQ(CtlDiscovery::CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CtlDiscovery::CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CtlDiscovery::CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CtlDiscovery::CsvField(""), "");
  EXPECT_EQ(CtlDiscovery::JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(CtlDiscovery::JsonString(std::string("\x01\xE9", 2)), "\"\\u0001\\u00e9\"");
}

}  // namespace
