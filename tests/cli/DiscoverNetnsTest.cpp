// portolanctl discover with broadcast, directed broadcast, multicast and a subnet sweep, inside two
// network namespaces that the test makes and removes (skipped when not root).
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "cli/ProcessRunner.h"

namespace {

std::string Ctl() {
  return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
}

std::vector<std::string> Rows(const std::string& csv) {
  std::vector<std::string> rows;
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rows.push_back(line);
  }
  return rows;
}

class DiscoverNetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(Ctl().c_str(), X_OK) != 0 ||
        ::access(DevSimProcess::Program().c_str(), X_OK) != 0) {
      GTEST_SKIP() << "build portolanctl and portolan-devsim first";
    }
    if (!net_.Ok()) GTEST_SKIP() << "needs root and network namespaces";
    registry_ = "/tmp/portolan-h12-netns-" + std::to_string(::getpid()) + ".reg";
  }
  void TearDown() override { ::unlink(registry_.c_str()); }

  // count devices from 10.0.0.first in the devices' namespace.
  void StartDevices(int first, int count, std::vector<std::string> extra = {}) {
    ASSERT_TRUE(net_.AddDeviceAddresses(first, count));
    std::vector<std::string> args = {
        "--count",    std::to_string(count),
        "--base-ip",  "10.0." + std::to_string(first / 256) + "." + std::to_string(first % 256),
        "--mask",     "255.255.0.0",
        "--udp-port", "4201",
        "--no-tcp"};
    args.insert(args.end(), extra.begin(), extra.end());
    sim_ = std::make_unique<DevSimProcess>(args, net_.B());
    ASSERT_TRUE(sim_->Ready());
  }
  ProcessResult Discover(std::vector<std::string> args) {
    std::vector<std::string> all = {"netns",
                                    "exec",
                                    net_.A(),
                                    Ctl(),
                                    "discover",
                                    "--port",
                                    "4201",
                                    "--timeout",
                                    "1000",
                                    "--columns",
                                    "IP Address,H/W Address"};
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess("/usr/sbin/ip", all, {{"PORTOLAN_REGISTRY", registry_}});
  }
  static std::set<std::string> Distinct(const std::vector<std::string>& rows) {
    return {rows.begin(), rows.end()};
  }

  NetnsPair net_;
  std::string registry_;
  std::unique_ptr<DevSimProcess> sim_;
};

TEST_F(DiscoverNetnsTest, LocalBroadcastListsEveryDeviceOnce) {
  StartDevices(10, 5);
  const auto r = Discover({"--local"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = Rows(r.out);
  EXPECT_EQ(rows.size(), 5u);
  EXPECT_EQ(Distinct(rows).size(), 5u);
  EXPECT_EQ(rows.front().rfind("10.0.0.", 0), 0u);
}

TEST_F(DiscoverNetnsTest, DirectedBroadcastAndMulticast) {
  StartDevices(10, 4);
  auto r = Discover({"--entry", "10.0.255.255<DB>"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Rows(r.out).size(), 4u);
  r = Discover({"--entry", "Multicast<3>"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Rows(r.out).size(), 4u);
}

TEST_F(DiscoverNetnsTest, With179And180DevicesTheExchangeEndsWithAllListed) {
  StartDevices(1, 180);
  const auto r = Discover({"--local"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Distinct(Rows(r.out)).size(), 180u);
  EXPECT_EQ(Rows(r.out).size(), 180u);
}

TEST_F(DiscoverNetnsTest, ThousandDevicesEndOnTheirOwnAllListed) {
  StartDevices(1, 1000);
  const auto r = Discover({"--local"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Distinct(Rows(r.out)).size(), 1000u);
}

TEST_F(DiscoverNetnsTest, SweepReachesOneTo255) {
  StartDevices(1, 255);  // 10.0.0.1 ... 10.0.0.255, all hosts of a /16
  const auto r = Discover({"--entry", "10.0.0.*"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = Distinct(Rows(r.out));
  EXPECT_EQ(rows.size(), 255u);
  EXPECT_EQ(rows.count("10.0.0.255,02504F0000FF"), 1u);
  EXPECT_EQ(rows.count("10.0.0.1,02504F000001"), 1u);
}

TEST_F(DiscoverNetnsTest, SweepSkipsOtherMakers) {
  StartDevices(1, 3, {"--maker", "Acme"});
  const auto r = Discover({"--entry", "10.0.0.*"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Rows(r.out).empty());
}

}  // namespace
