// portolanctl discover and query against simulated devices whose SNMP agents answer on loopback:
// the columns that only the extended query fills (Firmware Version, Location, the printer and
// wireless values) carry the agents' values, and a device without an agent keeps its reply's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "../app/TempDir.h"
#include "DevSimProcess.h"
#include "ProcessRunner.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

// Two wired print servers with two ports, a wireless one, all with their own agent values.
constexpr const char* kDevices = R"([device]
count = 2
ip = 127.0.0.40
name = "WIRED {n}"
firmware = 7.1.0
location = "Print room"
port = 0,1,LPT1
port = 0,1,LPT2

[device]
ip = 127.0.0.42
name = "RADIO {n}"
firmware = 8.0.2
location = Hall
wireless = yes
ssid = office-net
)";

// The output's lines in sorted order, trailing commas dropped: the devices are queried side by
// side, so their rows come in the order their queries end.
std::vector<std::string> SortedRows(const std::string& text) {
  std::vector<std::string> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.back() == ',') line.pop_back();
    rows.push_back(line);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

class DiscoverSnmpColumns : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kCtl.c_str(), X_OK) != 0 ||
        ::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
      GTEST_SKIP() << "build portolanctl and portolan-devsim first";
    }
    dir.Write("devices.ini", kDevices);
    sim = std::make_unique<DevSimProcess>(
        std::vector<std::string>{"--config", dir.Folder() + "devices.ini", "--udp-port", "0",
                                 "--snmp-port", "0", "--no-tcp", "--no-multicast"});
    ASSERT_TRUE(sim->Ready());
    ASSERT_NE(sim->SnmpPort(), 0);
  }

  // Each device by its unicast entry; 127.0.0.43 has no device at all.
  ProcessResult Discover(const std::string& columns, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"discover",   "--entry",   "127.0.0.40", "--entry",
                                     "127.0.0.41", "--entry",   "127.0.0.42", "--entry",
                                     "127.0.0.43", "--columns", columns,      "--json"};
    args.insert(args.end(), extra.begin(), extra.end());
    return Ctl(args);
  }
  ProcessResult Ctl(std::vector<std::string> args) {
    args.insert(args.end(), {"--port", std::to_string(sim->Port()), "--snmp-port",
                             std::to_string(sim->SnmpPort()), "--timeout", "300"});
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  }

  TempDir dir;
  std::unique_ptr<DevSimProcess> sim;
};

TEST_F(DiscoverSnmpColumns, FirmwareAndLocationComeFromEachAgent) {
  const auto r = Discover("System Name,Firmware Version,Location");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(SortedRows(r.out),
            (std::vector<std::string>{
                " {\"System Name\": \"\", \"Firmware Version\": \"\", \"Location\": \"\"}",
                " {\"System Name\": \"RADIO 0003\", \"Firmware Version\": \"8.0.2\", "
                "\"Location\": \"Hall\"}",
                " {\"System Name\": \"WIRED 0001\", \"Firmware Version\": \"7.1.0\", "
                "\"Location\": \"Print room\"}",
                " {\"System Name\": \"WIRED 0002\", \"Firmware Version\": \"7.1.0\", "
                "\"Location\": \"Print room\"}",
                "[", "]"}));
}

TEST_F(DiscoverSnmpColumns, WirelessValuesOnlyOnTheWirelessLink) {
  const auto r = Discover("IP Address,SSID,Current SSID,Data Rate,Wireless Mode,Security");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The agents' data rate code 11 is 54 Mbit/s, mode 3 Infrastructure; the wired devices show
  // no wireless values although their agents hold the same variables.
  EXPECT_NE(r.out.find("{\"IP Address\": \"127.0.0.42\", \"SSID\": \"office-net\", \"Current "
                       "SSID\": \"office-net\", \"Data Rate\": \"54\", \"Wireless Mode\": "
                       "\"Infrastructure\", \"Security\": \"WPA2\"}"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"IP Address\": \"127.0.0.40\", \"SSID\": \"\", \"Current SSID\": \"\", "
                       "\"Data Rate\": \"\", \"Wireless Mode\": \"\", \"Security\": \"\"}"),
            std::string::npos)
      << r.out;
}

TEST_F(DiscoverSnmpColumns, PrinterIdPerPort) {
  const auto r = Ctl({"discover", "--entry", "127.0.0.40", "--by-port", "--columns",
                      "Port #,Port Name,Printer ID"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Port #,Port Name,Printer ID\r\n"
            "1,LPT1,MFG:Sim;MDL:Printer1;\r\n"
            "2,LPT2,MFG:Sim;MDL:Printer2;\r\n");
}

TEST_F(DiscoverSnmpColumns, QueryPrintsTheAgentsValuesUnlessTold) {
  const auto r = Ctl({"query", "127.0.0.42"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line :
       {"\nFirmware Version: 8.0.2\n", "\nLocation: Hall\n", "\nSSID: office-net\n",
        "\nSignal Percentage: 87\n", "\nSignal Description: Excellent\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  }
  const auto plain = Ctl({"query", "127.0.0.42", "--no-snmp"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_NE(plain.out.find("\nFirmware Version: \n"), std::string::npos) << plain.out;
  EXPECT_EQ(plain.out.rfind("System Name: RADIO 0003\n", 0), 0u) << plain.out;
}

}  // namespace
