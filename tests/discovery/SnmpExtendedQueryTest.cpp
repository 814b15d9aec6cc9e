// The extended query of a device record against the simulator's agent on 127.0.0.1: the three
// requests, their values in the record, the enterprise root by brand, and failures.
#include <gtest/gtest.h>

#include <string>

#include "SnmpAgent.h"
#include "SnmpAgentServer.h"
#include "discovery/BackgroundSearchWait.h"
#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/LoopbackWait.h"
#include "discovery/ReplyBuilder.h"
#include "discovery/SnmpExtendedQuery.h"
#include "platform/FakeClock.h"
#include "res/StringTable.h"
#include "snmp/AgentPump.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpTransport.h"

namespace discovery {
namespace {

class ExtendedQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    ASSERT_TRUE(server.Open("127.0.0.1", 0));
    savedPort = snmp::SnmpTransportDefaults().udpAgentPort;
    snmp::SnmpTransportDefaults().udpAgentPort = server.Port();
    wait.SetPump(&pump);
    config = SnmpExtendedQueryConfig::Defaults();
    config.clock = &clock;
    shape.ip = {127, 0, 0, 1};
    shape.portCount = 2;
    shape.ports = {{0, 1, "P1"}, {0, 1, "P2"}};
    devsim::AddDeviceVariables(agent, res::LoadString(8002), 2);
  }
  void TearDown() override {
    snmp::SnmpTransportDefaults().udpAgentPort = savedPort;
    SnmpCleanup();
  }

  int Fill(CIpDeviceRecord& record) {
    const auto reply = test::BuildReply(shape);
    return record.FillFromReply(reply.data(), reply.size());
  }

  platform::FakeClock clock{100};
  devsim::SnmpAgent agent;
  devsim::SnmpAgentServer server{agent};
  CPleaseWaitDlg wait{true, clock};
  snmp::test::AgentPump pump{server, clock};
  SnmpExtendedQueryConfig config;
  test::ReplyFields shape;
  uint16_t savedPort = 0;
};

TEST_F(ExtendedQueryTest, FillsFirmwarePrinterValuesAndLocation) {
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  ASSERT_EQ(Fill(record), 0);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "6.2.1 (sim)");
  EXPECT_STREQ(record.GetColumnText(kColLocation), "Lab bench 3");
  EXPECT_STREQ(record.PrinterDescription(0), "Generic printer 1");  // the tab became a blank
  EXPECT_STREQ(record.PrinterDescription(1), "Generic printer 2");
  record.SelectPort(1);
  EXPECT_STREQ(record.GetColumnText(kColPrinterId), "MFG:Sim;MDL:Printer2;");
  // A wired device: the wireless values stay empty.
  EXPECT_STREQ(record.GetColumnText(kColSsid), "");
  EXPECT_EQ(agent.RequestSizes(), (std::vector<size_t>{1, 5, 8}));
  EXPECT_TRUE(record.IsValid());
}

// Records found by a search wait in the engine's background window, not an application window.
TEST_F(ExtendedQueryTest, ARecordOfASearchQueriesInTheEnginesBackgroundWait) {
  BackgroundSearchWait search(nullptr, clock);
  search.Dialog().SetPump(&pump);
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&search, options);
  ASSERT_EQ(Fill(record), 0);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "6.2.1 (sim)");
  EXPECT_STREQ(record.GetColumnText(kColLocation), "Lab bench 3");
  EXPECT_EQ(agent.RequestSizes(), (std::vector<size_t>{1, 5, 8}));
}

TEST_F(ExtendedQueryTest, AWirelessDeviceGetsItsWirelessTexts) {
  agent.SetInteger(res::LoadString(8002) + ".8.3.18.0", 2);
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  ASSERT_EQ(Fill(record), 0);
  EXPECT_STREQ(record.GetColumnText(kColSsid), "portolan-lab");
  EXPECT_STREQ(record.GetColumnText(kColWirelessMode), "Infrastructure");
  EXPECT_STREQ(record.GetColumnText(kColDataRate), "54");
  EXPECT_STREQ(record.GetColumnText(kColSignalPercentage), "87");
  EXPECT_STREQ(record.GetColumnText(kColSecurity), "WPA2");
  EXPECT_STREQ(record.GetColumnText(kColSignalDescription), "Excellent");
}

TEST_F(ExtendedQueryTest, ABrandedDeviceIsAskedUnderItsBrandsRoot) {
  const std::string brandRoot = "1.3.6.1.4.1.32473.77.2.3.5";
  agent = devsim::SnmpAgent();
  devsim::AddDeviceVariables(agent, brandRoot, 2);
  config.brands = {{"ACME", "1.3.6.1.4.1.32473.66"}, {"ACME", brandRoot}, {"OTHER", "1.3"}};
  shape.maker = "ACME";
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  ASSERT_EQ(Fill(record), 0);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "6.2.1 (sim)");
}

TEST_F(ExtendedQueryTest, RootByMakerTag) {
  config.brands = {{"ACME", "1.1"}, {"Zenith", "2.2"}, {"ACME", "3.3"}};
  SnmpExtendedQuery query(config);
  EXPECT_EQ(query.RootFor("Vanto"), res::LoadString(8002));  // a full 5-byte field of "Vantor"
  EXPECT_EQ(query.RootFor("ACME"), "3.3");                   // the last match
  EXPECT_EQ(query.RootFor("Zenit"), "2.2");
  EXPECT_EQ(query.RootFor("Nobody"), res::LoadString(8002));
  EXPECT_EQ(query.RootFor(nullptr), res::LoadString(8002));
}

TEST_F(ExtendedQueryTest, ASilentAgentEndsTheQueryWith3094AndLeavesTheValuesEmpty) {
  agent.Config().silent = true;
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  EXPECT_EQ(Fill(record), 3094);
  EXPECT_EQ(agent.Requests(), 3u);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "");
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "LAB-SERVER");  // the reply's values stay
}

TEST_F(ExtendedQueryTest, CancelDuringTheSecondRequestGives3161) {
  pump.afterService = [&] {
    if (agent.Requests() == 2) wait.Cancel();
  };
  agent.Config().silent = false;
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  // The first request is answered before the cancel; the second is cancelled while it waits.
  pump.beforeService = [&] {
    if (agent.Requests() == 1) agent.Config().silent = true;
  };
  EXPECT_EQ(Fill(record), ExtendedQuery::kCancelled);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "6.2.1 (sim)");
  EXPECT_STREQ(record.GetColumnText(kColLocation), "");
}

TEST_F(ExtendedQueryTest, AWaitThatCannotCarrySnmpGives3075) {
  test::LoopbackWait loopback;
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&loopback, options);
  EXPECT_EQ(Fill(record), 3075);
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ExtendedQueryTest, TheFallbackWaitServesRecordsWithOtherWaits) {
  test::LoopbackWait loopback;
  config.wait = &wait;
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&loopback, options);
  EXPECT_EQ(Fill(record), 0);
  EXPECT_STREQ(record.GetColumnText(kColFirmwareVersion), "6.2.1 (sim)");
}

TEST_F(ExtendedQueryTest, TheQueryUsesTheDescrambledGetCommunity) {
  shape.getCommunity = "s3cret";
  agent.Config().getCommunity = "s3cret";
  SnmpExtendedQuery query(config);
  DeviceRecordOptions options;
  options.extendedQuery = &query;
  CIpDeviceRecord record(&wait, options);
  EXPECT_EQ(Fill(record), 0);
  EXPECT_EQ(agent.Refused(), 0u);
}

}  // namespace
}  // namespace discovery
