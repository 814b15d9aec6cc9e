// portolanctl access: the stored lists through the command line, communities hidden unless asked,
// read from standard input with "-", and the refusals of the options page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../app/TempDir.h"
#include "ProcessRunner.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

// As RunProcess, with input on the program's standard input.
ProcessResult RunWithInput(const std::vector<std::string>& args, const std::string& input,
                           const std::string& registry) {
  char path[] = "/tmp/portolan-stdin-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0 || ::write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    return {};
  }
  ::close(fd);
  std::string command = "'" + kCtl + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  command += " < " + std::string(path);
  ProcessResult result = RunProcess("/bin/sh", {"-c", command}, {{"PORTOLAN_REGISTRY", registry}});
  ::unlink(path);
  return result;
}

class PortolanctlAccess : public ::testing::Test {
 protected:
  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", Registry()}});
  }
  std::string Registry() const { return dir.Folder() + "registry.reg"; }
  TempDir dir;
};

TEST_F(PortolanctlAccess, AFreshListHoldsTheDefaultWithHiddenCommunities) {
  const auto list = Ctl({"access", "list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "<Default>\t****\t****\n");
  EXPECT_EQ(Ctl({"access", "list", "--show-communities"}).out, "<Default>\tquorum\tquorum\n");
  EXPECT_EQ(Ctl({"access", "list", "--protocol", "com"}).out, "<Default>\t****\t****\n");
  EXPECT_EQ(Ctl({"access", "list", "--protocol", "ipx"}).exitCode, 2);
}

TEST_F(PortolanctlAccess, SetStoresTheLayoutAndLookupPrintsTheEntryThatApplies) {
  ASSERT_EQ(Ctl({"access", "set", "192.168.1.*", "--get", "lab"}).exitCode, 0);
  ASSERT_EQ(Ctl({"access", "set", "192.168.1.20", "--set", "desk"}).exitCode, 0);
  EXPECT_EQ(Ctl({"access", "list", "--show-communities"}).out,
            "<Default>\tquorum\tquorum\n192.168.1.*\tlab\tquorum\n192.168.1.20\tquorum\tdesk\n");
  const auto exported = Ctl({"settings", "export"}).out;
  EXPECT_NE(exported.find("\"All\"=\"192.168.1.*,192.168.1.20\""), std::string::npos);
  EXPECT_NE(exported.find("\"192.168.1.*Get\"=\"lab\""), std::string::npos);
  EXPECT_NE(exported.find("\"DiscoveryPort\"=dword:00001069"), std::string::npos);

  EXPECT_EQ(Ctl({"access", "lookup", "192.168.1.20"}).out, "192.168.1.20\t****\t****\n");
  EXPECT_EQ(Ctl({"access", "lookup", "192.168.1.7", "--show-communities"}).out,
            "192.168.1.*\tlab\tquorum\n");
  EXPECT_EQ(Ctl({"access", "lookup", "192.168.2.7"}).out, "<Default>\t****\t****\n");
  EXPECT_EQ(Ctl({"access", "lookup", "192.168.2"}).exitCode, 2);
}

TEST_F(PortolanctlAccess, ChangingAnEntryKeepsTheCommunityNotNamed) {
  ASSERT_EQ(Ctl({"access", "set", "10.0.0.1", "--get", "g", "--set", "s"}).exitCode, 0);
  ASSERT_EQ(Ctl({"access", "set", "10.0.0.1", "--set", "t"}).exitCode, 0);
  ASSERT_EQ(Ctl({"access", "set", "<Default>", "--get", "d"}).exitCode, 0);
  EXPECT_EQ(Ctl({"access", "list", "--show-communities"}).out,
            "<Default>\td\tquorum\n10.0.0.1\tg\tt\n");
}

TEST_F(PortolanctlAccess, ADashReadsTheCommunitiesFromStandardInput) {
  const auto set = RunWithInput({"access", "set", "10.0.0.9", "--get", "-", "--set", "-"},
                                "from-stdin\r\nsecond\n", Registry());
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(Ctl({"access", "list", "--show-communities"}).out,
            "<Default>\tquorum\tquorum\n10.0.0.9\tfrom-stdin\tsecond\n");
  EXPECT_EQ(RunWithInput({"access", "set", "10.0.0.9", "--get", "-"}, "", Registry()).exitCode, 2);
}

TEST_F(PortolanctlAccess, RefusedAddressesAndCommunitiesChangeNothing) {
  ASSERT_EQ(Ctl({"access", "set", "lab-a"}).exitCode, 0);
  for (const std::string& address : {std::string(""), std::string("10.0.0.1,10.0.0.2"),
                                     std::string(33, '1'), std::string("LAB-A")}) {
    const auto refused = Ctl({"access", "set", address});
    EXPECT_EQ(refused.exitCode, 2) << address;
    EXPECT_FALSE(refused.err.empty());
  }
  const auto longCommunity = Ctl({"access", "set", "10.0.0.3", "--get", std::string(32, 'c')});
  EXPECT_EQ(longCommunity.exitCode, 2);
  EXPECT_NE(longCommunity.err.find("31 characters"), std::string::npos);
  EXPECT_EQ(Ctl({"access", "set", std::string(32, '1'), "--get", std::string(31, 'c')}).exitCode,
            0);
  EXPECT_EQ(Ctl({"access", "list"}).out,
            "<Default>\t****\t****\nlab-a\t****\t****\n" + std::string(32, '1') + "\t****\t****\n");
}

TEST_F(PortolanctlAccess, DeleteRemovesAnEntryButNeverTheDefault) {
  ASSERT_EQ(Ctl({"access", "set", "10.0.0.1"}).exitCode, 0);
  EXPECT_EQ(Ctl({"access", "delete", "10.0.0.1"}).exitCode, 0);
  EXPECT_EQ(Ctl({"access", "delete", "10.0.0.1"}).exitCode, 1);
  EXPECT_EQ(Ctl({"access", "delete", "<Default>"}).exitCode, 2);
  EXPECT_EQ(Ctl({"access", "list"}).out, "<Default>\t****\t****\n");
  EXPECT_EQ(Ctl({"access"}).exitCode, 2);
  EXPECT_EQ(Ctl({"access", "frob"}).exitCode, 2);
}

}  // namespace
