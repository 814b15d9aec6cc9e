// Broadcast, multicast and set-address against the simulator inside two network namespaces made
// by scripts/netns-harness.sh; nothing leaves them. Skipped without root or `ip netns`.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace devsim {
namespace {

const std::string kBin = std::string(PORTOLAN_BINARY_DIR) + "/bin/";
const std::string kHarness = std::string(PORTOLAN_SOURCE_DIR) + "/scripts/netns-harness.sh";

struct Reply {
  std::string sender;
  std::string address;  // the reply's IP field
  std::string hardware;
  std::string name;
};

struct Outcome {
  int status = -1;
  std::vector<Reply> replies;
  std::vector<std::string> totals;  // one "total ..." line per exchange
  std::string output;
};

Outcome RunHarness(int addresses, const std::string& simArgs, const std::string& client) {
  const std::string sim = kBin +
                          "portolan-devsim --base-ip \\$HARNESS_BASE_IP --mask \\$HARNESS_MASK "
                          "--ready-file \\$HARNESS_READY " +
                          simArgs;
  const std::string command = kHarness + " -n " + std::to_string(addresses) + " --sim \"" + sim +
                              "\" --client \"" + client + "\"";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    outcome.output += line;
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "reply") {
      Reply r;
      words >> r.sender >> r.address >> r.hardware >> r.name;
      outcome.replies.push_back(r);
    } else if (kind == "total") {
      std::string rest;
      std::getline(words, rest);
      outcome.totals.push_back("total" + rest);
    }
  }
  outcome.status = ::pclose(pipe);
  return outcome;
}

std::string Probe(const std::string& args) {
  return kBin + "devsim-probe --quiet-ms 400 " + args;
}

class NetnsDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root for network namespaces";
    if (std::system("ip netns list >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ip netns";
  }
};

void ExpectFiveFromOwnAddresses(const std::vector<Reply>& replies) {
  ASSERT_EQ(replies.size(), 5u);
  std::set<std::string> hardware;
  for (size_t i = 0; i < replies.size(); ++i) {
    EXPECT_EQ(replies[i].sender, "10.211.1." + std::to_string(i + 1));
    EXPECT_EQ(replies[i].address, replies[i].sender);
    hardware.insert(replies[i].hardware);
  }
  EXPECT_EQ(hardware.size(), 5u);
}

TEST_F(NetnsDiscoveryTest, LimitedBroadcastFindsFiveDevices) {
  const Outcome o = RunHarness(5, "--count 5", Probe("--dest 255.255.255.255"));
  ASSERT_EQ(o.status, 0) << o.output;
  ExpectFiveFromOwnAddresses(o.replies);
  // Round 2 names all five: nobody answers, and the exchange ends.
  EXPECT_EQ(o.totals, std::vector<std::string>{"total 5 rounds 2 replies 5"});
}

TEST_F(NetnsDiscoveryTest, MulticastAndDirectedBroadcastFindFiveDevices) {
  for (const std::string dest : {"224.0.1.55 --ttl 2", "\\$HARNESS_BROADCAST"}) {
    const Outcome o = RunHarness(5, "--count 5", Probe("--dest " + dest));
    ASSERT_EQ(o.status, 0) << o.output;
    ExpectFiveFromOwnAddresses(o.replies);
  }
}

TEST_F(NetnsDiscoveryTest, WithoutTheGroupMulticastFindsNobody) {
  const Outcome o =
      RunHarness(3, "--count 3 --no-multicast", Probe("--dest 224.0.1.55 --ttl 2 --quiet-ms 200"));
  ASSERT_EQ(o.status, 0) << o.output;
  EXPECT_TRUE(o.replies.empty());
  EXPECT_EQ(o.totals, std::vector<std::string>{"total 0 rounds 1 replies 0"});
}

TEST_F(NetnsDiscoveryTest, SetAddressByMulticastMovesOneDevice) {
  // Four devices on five addresses: 10.211.1.5 is free for the move.
  const std::string client = Probe("--dest 224.0.1.55 --ttl 2 --set-id 3 --ip 10.211.1.5") + "; " +
                             Probe("--dest 10.211.1.3") + "; " + Probe("--dest 10.211.1.5");
  const Outcome o = RunHarness(5, "--count 4 --layout B", client);
  ASSERT_EQ(o.status, 0) << o.output;
  EXPECT_NE(o.output.find("device 3: address 10.211.1.3 -> 10.211.1.5"), std::string::npos);
  ASSERT_EQ(o.totals.size(), 2u);
  EXPECT_EQ(o.totals[0], "total 0 rounds 1 replies 0");
  ASSERT_EQ(o.replies.size(), 1u);
  EXPECT_EQ(o.replies[0].sender, "10.211.1.5");
  EXPECT_EQ(o.replies[0].address, "10.211.1.5");
  EXPECT_EQ(o.replies[0].name, "DEVSIM-0003");
}

TEST_F(NetnsDiscoveryTest, ThousandDevicesAllAnswer) {
  const Outcome o =
      RunHarness(1000, "--count 1000", Probe("--dest 255.255.255.255 --quiet-ms 800"));
  ASSERT_EQ(o.status, 0) << o.output.substr(0, 2000);
  std::set<std::string> senders;
  for (const Reply& r : o.replies) {
    EXPECT_EQ(r.sender, r.address);
    senders.insert(r.sender);
  }
  EXPECT_EQ(senders.size(), 1000u);
  ASSERT_EQ(o.totals.size(), 1u);
  EXPECT_EQ(o.totals[0].rfind("total 1000 ", 0), 0u) << o.totals[0];
}

TEST_F(NetnsDiscoveryTest, HarnessDeletesItsNamespacesAndReportsFailures) {
  // A simulator that cannot start (bad option): status 3.
  const Outcome o = RunHarness(2, "--count nope", "true");
  EXPECT_TRUE(WIFEXITED(o.status) && WEXITSTATUS(o.status) == 3) << o.status;
  // The client's status comes through; its namespaces are gone afterwards.
  const Outcome client =
      RunHarness(2, "--count 2", "echo names \\$HARNESS_SIM_NS \\$HARNESS_CLIENT_NS; exit 7");
  EXPECT_TRUE(WIFEXITED(client.status) && WEXITSTATUS(client.status) == 7) << client.status;
  std::istringstream names(client.output.substr(client.output.find("names ")));
  std::string word, simNs, clientNs;
  names >> word >> simNs >> clientNs;
  ASSERT_EQ(simNs.rfind("pdsim-s", 0), 0u) << client.output;
  ASSERT_EQ(clientNs.rfind("pdsim-c", 0), 0u) << client.output;
  FILE* list = ::popen("ip netns list", "r");
  ASSERT_NE(list, nullptr);
  char line[256];
  while (std::fgets(line, sizeof line, list)) {
    const std::string ns = std::string(line).substr(0, std::string(line).find_first_of(" \n"));
    EXPECT_NE(ns, simNs);
    EXPECT_NE(ns, clientNs);
  }
  ::pclose(list);
}

}  // namespace
}  // namespace devsim
