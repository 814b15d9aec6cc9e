// A variable group against net-snmp's snmpd on 127.0.0.1: suffixes on a root and a full OID read
// together, a write of the changed variable only, and a refused write that still clears the
// flags. Skips when snmpd is missing.
#include <gtest/gtest.h>

#include <string>

#include "devices/CSnmpVarGroup.h"
#include "discovery/CPleaseWaitDlg.h"
#include "snmp/CSnmpManager.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpTransport.h"
#include "snmp/SnmpdProcess.h"

namespace devices {
namespace {

constexpr const char* kCommunity = "portolantest";
constexpr const char* kSystem = "1.3.6.1.2.1.1";

TEST(VarGroupSnmpd, ReadsAndWritesARealAgentsVariables) {
  if (!snmp::test::SnmpdProcess::Installed()) GTEST_SKIP() << "net-snmp's snmpd is not installed";
  snmp::test::SnmpdProcess snmpd;
  ASSERT_TRUE(snmpd.Start(kCommunity));
  ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
  const uint16_t savedPort = snmp::SnmpTransportDefaults().udpAgentPort;
  snmp::SnmpTransportDefaults().udpAgentPort = snmpd.Port();
  discovery::CPleaseWaitDlg wait(true);
  snmp::SnmpOperationContext context;
  context.address = "127.0.0.1";
  context.getCommunity = kCommunity;
  context.setCommunity = kCommunity;
  context.wait = &wait;
  {
    int status = -1;
    snmp::CSnmpManager manager(context, &status);
    ASSERT_EQ(status, snmp::kSnmpOk);
    // sysContact and sysLocation as suffixes of the system group, sysUpTime in full.
    CSnmpVarGroup group(kSystem, 10, 100, {".4.0", ".6.0", "1.3.6.1.2.1.1.3.0"});
    int read = -1;
    for (int attempt = 0; attempt < 50 && read != 0; ++attempt) read = group.Read(manager);
    ASSERT_EQ(read, 0) << "snmpd did not answer; see " << snmpd.Dir() << "/snmpd.log";

    ASSERT_EQ(group.SetText(0, "Portolan bench"), 0);
    ASSERT_EQ(group.Write(manager), 0);
    EXPECT_FALSE(group.IsChanged(0));
    ASSERT_EQ(group.Read(manager), 0);
    std::string contact;
    EXPECT_EQ(group.GetText(0, &contact), 0);
    EXPECT_EQ(contact, "Portolan bench");

    ASSERT_EQ(group.SetInteger(2, 5), 0);  // sysUpTime cannot be written
    EXPECT_NE(group.Write(manager), 0);
    EXPECT_FALSE(group.IsChanged(2));
  }
  snmp::SnmpTransportDefaults().udpAgentPort = savedPort;
  SnmpCleanup();
}

}  // namespace
}  // namespace devices
