// Variable groups against the simulator's agent on 127.0.0.1, on virtual time: suffix and full
// OIDs, reads, writes of the changed variables only, the changed flags after every write, and the
// index checks.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "devices/CSnmpVarGroup.h"
#include "devices/LoopbackAgent.h"
#include "snmp/CSnmpManager.h"

namespace devices {
namespace {

const std::string kRoot = "1.3.6.1.4.1.32473";
constexpr const char* kSysName = "1.3.6.1.2.1.1.5.0";

class VarGroupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(loop.Ready());
    context.address = "127.0.0.1";
    context.getCommunity = "public";
    context.setCommunity = "private";
    context.wait = &loop.wait;
    int status = -1;
    manager = std::make_unique<snmp::CSnmpManager>(context, &status, loop.clock);
    ASSERT_EQ(status, snmp::kSnmpOk);
  }

  test::LoopbackAgent loop{true, kRoot};
  devsim::SnmpAgent& agent = loop.agent;
  snmp::SnmpOperationContext context;
  std::unique_ptr<snmp::CSnmpManager> manager;
};

TEST_F(VarGroupTest, SuffixesLieUnderTheRootAndOtherTextIsAFullOid) {
  CSnmpVarGroup group(kRoot, 500, 500, {".1.9.0", kSysName});
  EXPECT_EQ(group.OidText(0), kRoot + ".1.9.0");
  EXPECT_EQ(group.OidText(1), kSysName);
  ASSERT_EQ(group.Read(*manager), 0);
  EXPECT_TRUE(group.IsRead());
  std::string text;
  EXPECT_EQ(group.GetText(0, &text), 0);
  EXPECT_EQ(text, "6.2.1 (sim)");
  EXPECT_EQ(group.GetText(1, &text), 0);
  EXPECT_EQ(text, "DEVSIM");
  int32_t number = 0;
  EXPECT_EQ(group.GetInteger(1, &number), 3152);  // a text is not an integer
}

TEST_F(VarGroupTest, ReadUsesTheGetTimeoutAndWriteTheSetTimeout) {
  CSnmpVarGroup group(kRoot, 123, 456, {".2.2.0"});
  group.Read(*manager);
  EXPECT_EQ(manager->Timeout(), 123);
  group.SetInteger(0, 2);
  group.Write(*manager);
  EXPECT_EQ(manager->Timeout(), 456);
}

TEST_F(VarGroupTest, AFailedReadLeavesTheGroupUnread) {
  CSnmpVarGroup group(kRoot, 500, 500, {".1.9.0", ".404.0"});
  EXPECT_EQ(group.Read(*manager), snmp::kSnmpNoSuchName);
  EXPECT_EQ(group.LastErrorIndex(), 2);
  EXPECT_FALSE(group.IsRead());
  std::string text;
  EXPECT_EQ(group.GetText(0, &text), 3152);  // the value was set to NULL before the read
}

TEST_F(VarGroupTest, WriteSendsOnlyTheChangedVariablesInOneSetAndClearsTheFlags) {
  CSnmpVarGroup group(kRoot, 500, 500, {".2.1.0", ".2.2.0", ".2.3.0", ".2.4.0"});
  EXPECT_EQ(group.SetInteger(1, 2), 0);
  EXPECT_EQ(group.SetInteger(3, 2), 0);
  EXPECT_TRUE(group.IsChanged(1));
  EXPECT_FALSE(group.IsChanged(0));
  ASSERT_EQ(group.Write(*manager), 0);
  ASSERT_EQ(agent.RequestLog().size(), 1u);
  const auto& set = agent.RequestLog()[0];
  EXPECT_TRUE(set.set);
  ASSERT_EQ(set.vars.size(), 2u);
  EXPECT_EQ(set.vars[0].OidText(), kRoot + ".2.2.0");
  EXPECT_EQ(set.vars[1].OidText(), kRoot + ".2.4.0");
  for (int i = 0; i < group.Count(); ++i) EXPECT_FALSE(group.IsChanged(i));
}

TEST_F(VarGroupTest, AFailedWriteClearsTheFlagsToo) {
  CSnmpVarGroup group(kRoot, 500, 500, {".2.2.0", ".2.4.0"});
  agent.Config().ignoreSets = true;
  group.SetInteger(0, 2);
  EXPECT_EQ(group.Write(*manager), snmp::kSnmpNoReply);
  EXPECT_FALSE(group.IsChanged(0));
  agent.Config().ignoreSets = false;
  group.SetInteger(1, 2);
  ASSERT_EQ(group.Write(*manager), 0);
  const auto& last = agent.RequestLog().back();
  ASSERT_EQ(last.vars.size(), 1u);
  EXPECT_EQ(last.vars[0].OidText(), kRoot + ".2.4.0");
}

TEST_F(VarGroupTest, WriteWithNothingChangedSendsNothing) {
  CSnmpVarGroup group(kRoot, 500, 500, {".2.2.0"});
  EXPECT_EQ(group.Write(*manager), snmp::kSnmpNothingToAsk);
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(VarGroupTest, TextValuesAreWrittenAsOctetStrings) {
  CSnmpVarGroup group(kRoot, 500, 500, {kSysName});
  EXPECT_EQ(group.SetText(0, "BENCH-7"), 0);
  ASSERT_EQ(group.Write(*manager), 0);
  std::string text;
  ASSERT_NE(agent.Find(kSysName), nullptr);
  EXPECT_EQ(agent.Find(kSysName)->GetText(&text), 0);
  EXPECT_EQ(text, "BENCH-7");
}

TEST_F(VarGroupTest, AGroupLongerThanOneListCarriesIsReadAndWrittenWhole) {
  CSnmpVarGroup group(kRoot, 500, 500);
  for (int i = 1; i <= 120; ++i) {
    agent.SetInteger(kRoot + ".60." + std::to_string(i) + ".0", i);
    group.Add(".60." + std::to_string(i) + ".0");
  }
  ASSERT_EQ(group.Read(*manager), 0);
  int32_t value = 0;
  EXPECT_EQ(group.GetInteger(119, &value), 0);
  EXPECT_EQ(value, 120);
  for (int i = 0; i < 40; ++i) group.SetInteger(i * 3, 7);
  ASSERT_EQ(group.Write(*manager), 0);
  EXPECT_EQ(agent.Writes().size(), 40u);
  for (const auto& request : agent.RequestLog()) EXPECT_LE(request.vars.size(), 32u);
}

TEST_F(VarGroupTest, AFailureInALaterRunIsIndexedWithinTheWholeGroup) {
  // 60 variables read as a run of 50 and one of 10; the 55th is missing.
  CSnmpVarGroup group(kRoot, 500, 500);
  for (int i = 1; i <= 60; ++i) {
    if (i != 55) agent.SetInteger(kRoot + ".61." + std::to_string(i) + ".0", i);
    group.Add(".61." + std::to_string(i) + ".0");
  }
  EXPECT_EQ(group.Read(*manager), snmp::kSnmpNoSuchName);
  EXPECT_EQ(group.LastErrorIndex(), 55);
}

TEST(VarGroupIndex, AnIndexOutsideTheGroupIs3332) {
  CSnmpVarGroup group(kRoot, 500, 500, {".2.1.0"});
  int32_t number = 0;
  std::string text;
  EXPECT_EQ(group.SetInteger(1, 2), CSnmpVarGroup::kIndexOutOfRange);
  EXPECT_EQ(group.SetInteger(-1, 2), CSnmpVarGroup::kIndexOutOfRange);
  EXPECT_EQ(group.SetText(5, "x"), CSnmpVarGroup::kIndexOutOfRange);
  EXPECT_EQ(group.GetInteger(1, &number), CSnmpVarGroup::kIndexOutOfRange);
  EXPECT_EQ(group.GetText(-2, &text), CSnmpVarGroup::kIndexOutOfRange);
  EXPECT_FALSE(group.IsChanged(1));
  EXPECT_EQ(group.OidText(1), "");
}

}  // namespace
}  // namespace devices
