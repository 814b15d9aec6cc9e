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
    sim_ = std::make_unique<DevSimProcess>(
        std::vector<std::string>{"--count", "3", "--base-ip", "127.0.0.20", "--udp-port", "0",
                                 "--no-tcp", "--no-multicast", "--name", "LAB {n}, \"east\""});
    ASSERT_TRUE(sim_->Ready());
  }
  void TearDown() override { ::unlink(registry_.c_str()); }

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
  EXPECT_EQ(Run({"discover", "--view", "Missing"}).exitCode, 3);
  EXPECT_EQ(Run({"query", "127.0.0.300"}).exitCode, 2);
  EXPECT_EQ(Run({"setip", "--hw", "02504F000001"}).exitCode, 2);
  EXPECT_EQ(Run({"setip", "--serial", "1", "--ip", "127.0.0.60"}).exitCode, 2);
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
  ASSERT_EQ(lines.size(), 29u);
  EXPECT_EQ(lines[2], "IP Address: 127.0.0.21");
  EXPECT_EQ(lines[3], "H/W Address: 02504F000002");
  EXPECT_EQ(lines[14], "Status: Good");
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
