// The network probe with a scripted machine and SNMP engine, and once on the real machine.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>
#include <tuple>
#include <vector>

#include "discovery/DiscoveryErrors.h"
#include "discovery/NetworkEnvironment.h"
#include "snmp/SnmpApi.h"

namespace discovery {
namespace {

using Report = std::tuple<unsigned, int, unsigned, int, int>;

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorReporter([this](unsigned a, int ca, unsigned b, int cb, int show) {
      reports.emplace_back(a, ca, b, cb, show);
      return 0;
    });
    system.canMakeSocket = [this](int family, int type, int) {
      if (family == AF_INET && type == SOCK_DGRAM) return udp;
      if (family == AF_INET && type == SOCK_STREAM) return tcp;
      return false;
    };
    system.osDescription = [] { return std::string("Debian GNU/Linux 12, Linux 6.1.0 x86_64"); };
    system.hostName = [this] { return hostName; };
    system.hostAddressOf = [](const std::string& name) {
      return name.empty() ? std::string() : std::string("192.0.2.5");
    };
    system.snmpStartup = [this](uint32_t* major, uint32_t* minor) {
      *major = engineMajor;
      *minor = engineMinor;
      return engineStarts ? 1u : 0u;
    };
    system.snmpSetTranslateMode = [this](uint32_t mode) {
      translateModes.push_back(mode);
      return translateWorks ? 1u : 0u;
    };
  }
  void TearDown() override { SetErrorReporter(nullptr); }

  NetworkEnvironment::System system;
  NetworkEnvironment env;
  std::vector<Report> reports;
  std::vector<uint32_t> translateModes;
  bool udp = true, tcp = true, engineStarts = true, translateWorks = true;
  uint32_t engineMajor = 1, engineMinor = 1;
  std::string hostName = "bench-pc";
};

TEST_F(ProbeTest, FlagsTellWhatCanBeUsedAndTheProbeRan) {
  EXPECT_EQ(env.Probe(system), 0x8003);
  EXPECT_EQ(env.GetFlags(), 0x8003u);
  EXPECT_EQ(env.HostName(), "bench-pc");
  EXPECT_EQ(env.HostAddress(), "192.0.2.5");
  EXPECT_EQ(env.OsDescription(), "Debian GNU/Linux 12, Linux 6.1.0 x86_64");
  EXPECT_FALSE(env.SocketsDescription().empty());
  EXPECT_TRUE(env.IpxNetworks().empty());
  EXPECT_TRUE(env.IpxNodes().empty());
  EXPECT_EQ(translateModes, (std::vector<uint32_t>{1}));
  EXPECT_TRUE(reports.empty());
}

TEST_F(ProbeTest, WithoutUdpNoHostIsLookedUp) {
  udp = false;
  EXPECT_EQ(env.Probe(system), 0x8002);
  EXPECT_EQ(env.HostName(), "");
  EXPECT_EQ(env.HostAddress(), "");
}

TEST_F(ProbeTest, AHostNameIsKeptToFiftyCharacters) {
  hostName = std::string(80, 'h');
  env.Probe(system);
  EXPECT_EQ(env.HostName(), std::string(50, 'h'));
}

TEST_F(ProbeTest, AnEngineThatDoesNotStartIsReported5021) {
  engineStarts = false;
  EXPECT_EQ(env.Probe(system), NetworkEnvironment::kSnmpFailed);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(5021, 4, 0, 0, 1));
  EXPECT_TRUE(env.GetFlags() & NetworkEnvironment::kFlagProbed);
}

TEST_F(ProbeTest, AnEngineOlderThanOnePointOneIsReported5022) {
  engineMinor = 0;
  EXPECT_EQ(env.Probe(system), NetworkEnvironment::kSnmpFailed);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(std::get<0>(reports[0]), 5022u);
  EXPECT_TRUE(translateModes.empty());
}

TEST_F(ProbeTest, ARefusedTranslateModeIsReported5023) {
  translateWorks = false;
  EXPECT_EQ(env.Probe(system), NetworkEnvironment::kSnmpFailed);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(std::get<0>(reports[0]), 5023u);
}

TEST_F(ProbeTest, TheInformationDialogsLines) {
  udp = false;
  env.Probe(system);
  const auto lines = env.InformationLines();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0].first, "Winsock:");
  EXPECT_EQ(lines[5],
            (std::pair<std::string, std::string>{"Operating System:", env.OsDescription()}));
  EXPECT_EQ(lines[6], (std::pair<std::string, std::string>{"IP Support:", "No"}));
  EXPECT_EQ(lines[7], (std::pair<std::string, std::string>{"IPX Support:", "No"}));
  EXPECT_EQ(lines[8], (std::pair<std::string, std::string>{"Novell Support:", "No"}));
  EXPECT_EQ(lines[9], (std::pair<std::string, std::string>{"VINES Support:", "No"}));
  EXPECT_EQ(lines[3].second, "");  // IPX Subnet
  EXPECT_EQ(lines[4].second, "");  // Hardware Address
}

TEST(ProbeRealMachine, UdpAndTcpButNoIpxAndTheEngineStarts) {
  NetworkEnvironment env;
  const int flags = env.Probe();
  EXPECT_EQ(flags & 0x8003, 0x8003);
  EXPECT_EQ(flags & 0x370, 0);  // no IPX, no SPX, never Novell or VINES
  EXPECT_EQ(env.InformationLines()[6].second, "Yes");
  smiUINT32 mode = 0;
  EXPECT_EQ(SnmpGetTranslateMode(&mode), SNMPAPI_SUCCESS);
  EXPECT_EQ(mode, 1u);
  SnmpCleanup();
}

}  // namespace
}  // namespace discovery
