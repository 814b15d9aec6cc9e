// Real peers: net-snmp's snmpd on 127.0.0.1 with a configuration of the test's own, written and
// read through the request layer and through `portolanctl snmp`; and `portolanctl snmp` against
// the simulator's agent, for its output lines, types and failures. Skips when snmpd is missing.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "SnmpAgent.h"
#include "SnmpAgentServer.h"
#include "cli/ProcessRunner.h"
#include "discovery/CPleaseWaitDlg.h"
#include "snmp/CSnmpManager.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpTransport.h"
#include "snmp/SnmpdProcess.h"

namespace snmp {
namespace {

constexpr const char* kCommunity = "portolantest";
constexpr const char* kSysContact = "1.3.6.1.2.1.1.4.0";
constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";

std::string Portolanctl() {
  return std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
}

using test::MakeTempDir;

class SnmpdPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::SnmpdProcess::Installed()) GTEST_SKIP() << "net-snmp's snmpd is not installed";
    ASSERT_TRUE(snmpd.Start(kCommunity));
    dir = snmpd.Dir();
    port = snmpd.Port();
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    savedPort = SnmpTransportDefaults().udpAgentPort;
    SnmpTransportDefaults().udpAgentPort = port;
    context.address = "127.0.0.1";
    context.getCommunity = kCommunity;
    context.setCommunity = kCommunity;
    context.wait = &wait;
    ASSERT_TRUE(WaitUntilAnswering()) << "snmpd did not answer; see " << dir << "/snmpd.log";
  }
  void TearDown() override {
    if (savedPort != 0) SnmpTransportDefaults().udpAgentPort = savedPort;
    SnmpCleanup();
  }

  bool WaitUntilAnswering() {
    for (int attempt = 0; attempt < 50; ++attempt) {
      int status = 0;
      CSnmpManager manager(context, &status);
      manager.SetTimeout(10);
      CSnmpVarBind upTime(kSysUpTime);
      if (manager.Get(&upTime, 1, nullptr, nullptr) == kSnmpOk) return true;
    }
    return false;
  }

  std::string dir;
  uint16_t port = 0;
  uint16_t savedPort = 0;
  test::SnmpdProcess snmpd;
  discovery::CPleaseWaitDlg wait{true};
  SnmpOperationContext context;
};

TEST_F(SnmpdPeer, TheManagerWritesSysContactAndReadsItBack) {
  int status = 0;
  CSnmpManager manager(context, &status);
  ASSERT_EQ(status, kSnmpOk);
  CSnmpVarBind contact(kSysContact);
  contact.SetString("Portolan bench <bench@example.com>");
  int errorStatus = 0, errorIndex = 0;
  ASSERT_EQ(manager.Set(&contact, 1, &errorStatus, &errorIndex), kSnmpOk)
      << "error status " << errorStatus;

  CSnmpVarBind vars[] = {CSnmpVarBind(kSysContact), CSnmpVarBind(kSysUpTime)};
  ASSERT_EQ(manager.Get(vars, 2, nullptr, nullptr), kSnmpOk);
  std::string text;
  EXPECT_EQ(vars[0].GetText(&text), CSnmpVarBind::kOk);
  EXPECT_EQ(text, "Portolan bench <bench@example.com>");
  uint32_t ticks = 0;
  EXPECT_EQ(vars[1].GetUnsigned(&ticks), CSnmpVarBind::kOk);
  EXPECT_EQ(vars[1].Syntax(), SNMP_SYNTAX_TIMETICKS);
}

TEST_F(SnmpdPeer, AnUnknownVariableIsNoSuchNameAtItsIndex) {
  int status = 0;
  CSnmpManager manager(context, &status);
  CSnmpVarBind vars[] = {CSnmpVarBind(kSysUpTime), CSnmpVarBind("1.3.6.1.4.1.32473.99.1.0")};
  int errorStatus = 0, errorIndex = 0;
  EXPECT_EQ(manager.Get(vars, 2, &errorStatus, &errorIndex), kSnmpNoSuchName);
  EXPECT_EQ(errorIndex, 2);
}

TEST_F(SnmpdPeer, AWrongCommunityGetsNoAnswer) {
  context.getCommunity = "not-the-one";
  int status = 0;
  CSnmpManager manager(context, &status);
  manager.SetTimeout(10);
  CSnmpVarBind upTime(kSysUpTime);
  EXPECT_EQ(manager.Get(&upTime, 1, nullptr, nullptr), kSnmpNoReply);
  EXPECT_EQ(manager.Sends(), 3);
}

TEST_F(SnmpdPeer, PortolanctlSetsAndGetsSysContact) {
  const std::map<std::string, std::string> env = {{"PORTOLAN_REGISTRY", dir + "/registry.reg"}};
  const std::string portText = std::to_string(port);
  ProcessResult set =
      RunProcess(Portolanctl(),
                 {"snmp", "set", "127.0.0.1", std::string(kSysContact) + "=s:desk 7", "--community",
                  kCommunity, "--port", portText},
                 env);
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out, "1.3.6.1.2.1.1.4.0 = STRING: desk 7\n");
  ProcessResult get = RunProcess(Portolanctl(),
                                 {"snmp", "get", "127.0.0.1", kSysContact, "--community",
                                  kCommunity, "--port", portText, "--timeout", "100"},
                                 env);
  ASSERT_EQ(get.exitCode, 0) << get.err;
  EXPECT_EQ(get.out, "1.3.6.1.2.1.1.4.0 = STRING: desk 7\n");
}

// A community kept off the command line: "-" reads it from standard input, PORTOLAN_COMMUNITY
// gives it when --community is not there; an empty standard input is refused.
TEST_F(SnmpdPeer, PortolanctlTakesTheCommunityFromStandardInputOrTheEnvironment) {
  const std::string portText = std::to_string(port);
  const std::string input = dir + "/community.txt";
  std::ofstream(input) << kCommunity << "\r\n";
  const std::string registry = "PORTOLAN_REGISTRY='" + dir + "/registry.reg' ";
  const std::string get = "'" + Portolanctl() + "' snmp get 127.0.0.1 " + kSysUpTime + " --port " +
                          portText + " --timeout 100";
  ProcessResult piped = RunProcess("/bin/sh", {"-c", registry + get + " --community - < " + input});
  EXPECT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_EQ(piped.out.rfind("1.3.6.1.2.1.1.3.0 = Timeticks: ", 0), 0u) << piped.out;
  ProcessResult empty =
      RunProcess("/bin/sh", {"-c", registry + get + " --community - < /dev/null"});
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_EQ(empty.err, "portolanctl snmp: no community name on standard input\n");
  ProcessResult fromEnv =
      RunProcess("/bin/sh", {"-c", registry + "PORTOLAN_COMMUNITY=" + kCommunity + " " + get});
  EXPECT_EQ(fromEnv.exitCode, 0) << fromEnv.err;
  EXPECT_EQ(fromEnv.out.rfind("1.3.6.1.2.1.1.3.0 = Timeticks: ", 0), 0u) << fromEnv.out;
}

// portolanctl against the simulator's agent, which serves on a thread of this process (the test
// itself makes no SNMP requests meanwhile).
class PortolanctlAgent : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    env = {{"PORTOLAN_REGISTRY", dir + "/registry.reg"}};
    // Without --community the access list gives the communities: the agent's.
    ASSERT_EQ(RunProcess(Portolanctl(),
                         {"access", "set", "<Default>", "--get", "public", "--set", "private"}, env)
                  .exitCode,
              0);
    devsim::AddDeviceVariables(agent, root, 1);
    ASSERT_TRUE(server.Open("127.0.0.1", 0));
  }
  void TearDown() override {
    server.Stop();
    SnmpCleanup();
    if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
  }
  ProcessResult Run(std::vector<std::string> args) {
    args.push_back("--port");
    args.push_back(std::to_string(server.Port()));
    return RunProcess(Portolanctl(), args, env);
  }

  const std::string root = "1.3.6.1.4.1.32473";
  std::string dir;
  std::map<std::string, std::string> env;
  devsim::SnmpAgent agent;
  devsim::SnmpAgentServer server{agent};
};

TEST_F(PortolanctlAgent, GetPrintsOneLinePerVariable) {
  ASSERT_TRUE(server.Start());
  ProcessResult r = Run({"snmp", "get", "127.0.0.1", root + ".1.9.0", root + ".8.3.12.0"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, root + ".1.9.0 = STRING: 6.2.1 (sim)\n" + root + ".8.3.12.0 = INTEGER: 87\n");
}

TEST_F(PortolanctlAgent, SetTakesEveryType) {
  agent.SetInteger(root + ".50.1.0", 0);
  snmp::CSnmpVarBind gauge;
  gauge.SetUnsigned(0, SNMP_SYNTAX_GAUGE32);
  agent.SetVariable(root + ".50.2.0", gauge);
  agent.SetString(root + ".50.3.0", "");
  agent.SetString(root + ".50.4.0", "");
  snmp::CSnmpVarBind oid;
  oid.SetOidValue("1.3");
  agent.SetVariable(root + ".50.5.0", oid);
  snmp::CSnmpVarBind address;
  address.SetIpAddress("0.0.0.0");
  agent.SetVariable(root + ".50.6.0", address);
  ASSERT_TRUE(server.Start());
  ProcessResult r =
      Run({"snmp", "set", "127.0.0.1", root + ".50.1.0=i:-129", root + ".50.2.0=u:4000000000",
           root + ".50.3.0=s:two words", root + ".50.4.0=x:00 40 9d",
           root + ".50.5.0=o:1.3.6.1.4.1.32473", root + ".50.6.0=a:192.0.2.9"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            root + ".50.1.0 = INTEGER: -129\n" + root + ".50.2.0 = Gauge32: 4000000000\n" + root +
                ".50.3.0 = STRING: two words\n" + root + ".50.4.0 = STRING: 00 40 9D\n" + root +
                ".50.5.0 = OID: 1.3.6.1.4.1.32473\n" + root + ".50.6.0 = IpAddress: 192.0.2.9\n");
  server.Stop();
  ASSERT_EQ(agent.Writes().size(), 6u);
}

TEST_F(PortolanctlAgent, ASilentAgentExitsOneWithTheMeaning) {
  agent.Config().silent = true;
  ASSERT_TRUE(server.Start());
  ProcessResult r = Run({"snmp", "get", "127.0.0.1", root + ".1.9.0", "--timeout", "5"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no reply from the agent (3094)"), std::string::npos) << r.err;
  server.Stop();
  // The agent's thread may have been stopped with the last request still in its socket (the stop
  // and the datagram wake it together); the requests are all there once portolanctl has ended.
  server.Service(0);
  EXPECT_EQ(agent.Requests(), 3u);
}

TEST_F(PortolanctlAgent, WithoutACommunityTheAccessListsEntryForTheAddressIsUsed) {
  ASSERT_EQ(
      RunProcess(Portolanctl(), {"access", "set", "127.0.0.*", "--get", "elsewhere"}, env).exitCode,
      0);
  ASSERT_TRUE(server.Start());
  ProcessResult r = Run({"snmp", "get", "127.0.0.1", root + ".1.9.0", "--timeout", "5"});
  EXPECT_EQ(r.exitCode, 1);  // the agent does not answer a community it does not know
  EXPECT_EQ(Run({"snmp", "get", "127.0.0.1", root + ".1.9.0", "--community", "public"}).exitCode,
            0);
  server.Stop();
  server.Service(0);
  EXPECT_EQ(agent.Refused(), 3u);
}

TEST_F(PortolanctlAgent, AnAgentErrorNamesTheVariable) {
  ASSERT_TRUE(server.Start());
  ProcessResult r = Run({"snmp", "get", "127.0.0.1", root + ".1.9.0", root + ".404.0"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("noSuchName (3157) at variable 2, " + root + ".404.0"), std::string::npos)
      << r.err;
}

TEST_F(PortolanctlAgent, BadArgumentsAreUsageErrors) {
  EXPECT_EQ(Run({"snmp", "get", "127.0.0.1"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "fetch", "127.0.0.1", "1.3"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "get", "127.0.0.1", "sysContact.0"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "set", "127.0.0.1", "1.3.6=q:1"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "set", "127.0.0.1", "1.3.6=i:2147483648"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "set", "127.0.0.1", "1.3.6=x:0g"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "set", "127.0.0.1", "1.3.6=a:300.1.1.1"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "set", "127.0.0.1", "1.3.6"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "get", "127.0.0.1", "1.3", "--timeout", "soon"}).exitCode, 2);
  EXPECT_EQ(Run({"snmp", "get", "127.0.0.1", "1.3", "--bogus"}).exitCode, 2);
  EXPECT_EQ(agent.Requests(), 0u);
}

}  // namespace
}  // namespace snmp
