// The Reset Server command against the simulator's SNMP agent on 127.0.0.1, on virtual time: what
// each request carries, in order, what the buttons write, the failures reported, and the cases in
// which nothing at all is sent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/DeviceAccessList.h"
#include "devices/DeviceTestSupport.h"
#include "devices/LoopbackAgent.h"
#include "devices/ResetServerController.h"
#include "platform/ScriptedPrompt.h"
#include "res/StringTable.h"

namespace devices {
namespace {

const std::string kRoot = "1.3.6.1.4.1.32473";
using Report = std::tuple<unsigned, int, unsigned, int>;

std::vector<std::string> Oids(const devsim::SnmpAgentRequest& request) {
  std::vector<std::string> oids;
  for (const auto& var : request.vars) oids.push_back(var.OidText());
  return oids;
}

std::vector<std::string> Under(const std::vector<std::string>& suffixes) {
  std::vector<std::string> oids;
  for (const auto& suffix : suffixes) oids.push_back(kRoot + suffix);
  return oids;
}

class ResetServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(loop.Ready());
    pump.afterService = [this] {
      // When each Set arrived, on virtual time.
      while (seenRequests < agent.RequestLog().size()) {
        if (agent.RequestLog()[seenRequests].set) setTicks.push_back(clock.TickCount());
        ++seenRequests;
      }
    };
    access.Set("<Default>", "public", "private");
    settings.roots = BrandRoots{"Vantor", kRoot, {}};
    settings.queryAtSeconds = 7;
  }
  std::unique_ptr<ResetServerController> Controller() {
    auto controller = std::make_unique<ResetServerController>(
        record, access, wait, prompt, communities, settings,
        [this](unsigned a, int ca, unsigned b, int cb) { reports.emplace_back(a, ca, b, cb); },
        clock);
    controller->SetFollowUpQuery([this](const std::string& address, int seconds) {
      followUps.push_back({address, seconds, clock.TickCount()});
      return 0;
    });
    return controller;
  }

  // A started controller whose dialog is open.
  std::unique_ptr<ResetServerController> Opened() {
    auto controller = Controller();
    EXPECT_EQ(controller->Start(), ResetStart::kDialog);
    return controller;
  }

  std::vector<devsim::SnmpAgentRequest> Sets() const {
    std::vector<devsim::SnmpAgentRequest> sets;
    for (const auto& request : agent.RequestLog()) {
      if (request.set) sets.push_back(request);
    }
    return sets;
  }

  void SetProtocols(const std::vector<std::pair<std::string, int>>& protocols) {
    agent.SetInteger(kRoot + ".1.15.1.0", static_cast<int32_t>(protocols.size()));
    for (size_t i = 0; i < protocols.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      agent.SetString(kRoot + ".1.15.2.1.2." + n, protocols[i].first);
      agent.SetInteger(kRoot + ".1.15.2.1.3." + n, protocols[i].second);
    }
  }

  struct FollowUp {
    std::string address;
    int seconds;
    uint32_t tick;
  };

  test::LoopbackAgent loop{false, kRoot};
  platform::FakeClock& clock = loop.clock;
  devsim::SnmpAgent& agent = loop.agent;
  discovery::CPleaseWaitDlg& wait = loop.wait;
  snmp::test::AgentPump& pump = loop.pump;
  test::ScriptedRecord record{&wait};
  platform::ScriptedPrompt prompt;
  test::ScriptedCommunityPrompt communities;
  app::DeviceAccessList access;
  ResetServerSettings settings;
  std::vector<Report> reports;
  std::vector<FollowUp> followUps;
  std::vector<uint32_t> setTicks;
  size_t seenRequests = 0;
};

TEST_F(ResetServerTest, ReadsTheCommandProtocolsTableAndRestoreGroupsInOrder) {
  auto controller = Opened();
  const auto& log = agent.RequestLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(Oids(log[0]), Under({".2.1.0", ".2.2.0", ".2.3.0", ".2.4.0"}));
  EXPECT_EQ(Oids(log[1]), Under({".1.1.0", ".1.15.1.0", ".6.1.2.0"}));
  EXPECT_EQ(Oids(log[2]),
            Under({".1.15.2.1.2.1", ".1.15.2.1.3.1", ".1.15.2.1.2.2", ".1.15.2.1.3.2"}));
  EXPECT_EQ(Oids(log[3]), Under({".6.2.2.1.0", ".6.3.1.3.1.0", ".6.3.3.3.1.0"}));
  for (const auto& request : log) EXPECT_FALSE(request.set);
  ASSERT_EQ(controller->Lines().size(), 3u);
  EXPECT_EQ(controller->Lines()[0].label, "Output Ports");
  EXPECT_EQ(controller->Lines()[1].label, "LPD");
  EXPECT_EQ(controller->Lines()[2].label, "IPP");
  for (size_t i = 0; i < 3; ++i) EXPECT_FALSE(controller->IsChecked(i));
  EXPECT_TRUE(controller->WritesAllowed());
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(communities.shown.empty());
  EXPECT_EQ(wait.Depth(), 0);
}

TEST_F(ResetServerTest, ResetSetsOneVariableWaitsThreeSecondsThenQueriesOnce) {
  auto controller = Opened();
  EXPECT_EQ(controller->Reset(), ResetServerController::kResetDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(Oids(sets[0]), Under({".2.2.0"}));
  int32_t value = 0;
  EXPECT_EQ(sets[0].vars[0].GetInteger(&value), 0);
  EXPECT_EQ(value, 2);
  ASSERT_EQ(followUps.size(), 1u);
  EXPECT_EQ(followUps[0].address, "127.0.0.1");
  EXPECT_EQ(followUps[0].seconds, 7);
  ASSERT_EQ(setTicks.size(), 1u);
  EXPECT_GE(followUps[0].tick - setTicks[0], 3000u);
  const auto boxes = prompt.Records();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Reset the Server?");
  EXPECT_EQ(boxes[0].type & platform::MB_TYPEMASK, platform::MB_OKCANCEL);
  EXPECT_EQ(wait.Depth(), 0);

  EXPECT_EQ(record.queries, 1);  // the record was not valid: the device was asked first
  controller->Close();
  EXPECT_EQ(record.queries, 2);  // and again when the dialog closed
}

TEST_F(ResetServerTest, ResetAnsweredCancelSendsNothing) {
  auto controller = Opened();
  prompt.QueueAnswer(platform::IDCANCEL);
  EXPECT_EQ(controller->Reset(), ResetServerController::kStayOpen);
  EXPECT_TRUE(Sets().empty());
  EXPECT_TRUE(followUps.empty());
}

TEST_F(ResetServerTest, ResetThatIsNeverAnsweredGives3094AfterThreeSendsWith9047) {
  auto controller = Opened();
  agent.Config().ignoreSets = true;
  EXPECT_EQ(controller->Reset(), ResetServerController::kStayOpen);
  EXPECT_EQ(Sets().size(), 3u);
  EXPECT_EQ(controller->LastError(), 3094);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(9047, 1, 3094, 4));
  EXPECT_TRUE(followUps.empty());
  EXPECT_EQ(wait.Depth(), 0);
}

TEST_F(ResetServerTest, AFailedResetIsNotRepeatedByALaterRestoreAll) {
  auto controller = Opened();
  agent.Config().ignoreSets = true;
  controller->Reset();
  agent.Config().ignoreSets = false;
  for (size_t i = 0; i < controller->Lines().size(); ++i) controller->SetChecked(i, true);
  EXPECT_EQ(controller->Restore(), ResetServerController::kRestoreDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 4u);
  EXPECT_EQ(Oids(sets.back()), Under({".2.4.0"}));
}

TEST_F(ResetServerTest, RestoreOfOneLineWritesOnlyItsVariable) {
  auto controller = Opened();
  controller->SetChecked(1, true);
  std::vector<bool> enabled;
  controller->SetEnableDialog([&](bool on) { enabled.push_back(on); });
  EXPECT_EQ(controller->Restore(), ResetServerController::kRestoreDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(Oids(sets[0]), Under({".6.3.1.3.1.0"}));
  EXPECT_EQ(enabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(followUps.size(), 1u);
  const auto boxes = prompt.Records();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Restore the selected items to defaults?");
}

TEST_F(ResetServerTest, RestoreOfSeveralLinesSendsThemInOneSet) {
  auto controller = Opened();
  controller->SetChecked(0, true);
  controller->SetChecked(2, true);
  EXPECT_EQ(controller->Restore(), ResetServerController::kRestoreDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(Oids(sets[0]), Under({".6.2.2.1.0", ".6.3.3.3.1.0"}));
}

TEST_F(ResetServerTest, RestoreOfAllLinesWritesOnlyRestoreAll) {
  auto controller = Opened();
  for (size_t i = 0; i < controller->Lines().size(); ++i) controller->SetChecked(i, true);
  EXPECT_EQ(controller->Restore(), ResetServerController::kRestoreDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(Oids(sets[0]), Under({".2.4.0"}));
}

TEST_F(ResetServerTest, RestoreWithNothingCheckedSendsNothing) {
  auto controller = Opened();
  EXPECT_EQ(controller->Restore(), ResetServerController::kStayOpen);
  EXPECT_TRUE(Sets().empty());
  const auto boxes = prompt.Records();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "You must select at least one item to restore.");
}

TEST_F(ResetServerTest, RestoreAnsweredNoSuchNameReports3157With9048) {
  auto controller = Opened();
  agent.Config().setErrorStatus = 2;
  controller->SetChecked(0, true);
  EXPECT_EQ(controller->Restore(), ResetServerController::kStayOpen);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(9048, 1, 3157, 4));
  EXPECT_TRUE(followUps.empty());
}

TEST_F(ResetServerTest, ProtocolTypesFourAndSevenShareOneRestoreVariable) {
  SetProtocols({{"Wireless", 4}, {"Roaming", 7}, {"Other", 9}});
  auto controller = Opened();
  ASSERT_EQ(controller->Lines().size(), 3u);  // type 9 gets no line
  EXPECT_EQ(controller->Lines()[1].label, "Wireless");
  EXPECT_EQ(controller->Lines()[2].label, "Roaming");
  EXPECT_EQ(Oids(agent.RequestLog()[3]), Under({".6.2.2.1.0", ".8.3.19.0"}));
  controller->SetChecked(1, true);
  controller->SetChecked(2, true);
  EXPECT_EQ(controller->Restore(), ResetServerController::kRestoreDone);
  const auto sets = Sets();
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(Oids(sets[0]), Under({".8.3.19.0"}));
}

TEST_F(ResetServerTest, ANegativeProtocolCountCountsAsNone) {
  agent.SetInteger(kRoot + ".1.15.1.0", -3);
  auto controller = Opened();
  ASSERT_EQ(agent.RequestLog().size(), 3u);  // no table request
  EXPECT_EQ(Oids(agent.RequestLog()[2]), Under({".6.2.2.1.0"}));
  EXPECT_EQ(controller->Lines().size(), 1u);
}

TEST_F(ResetServerTest, SixtyFourProtocolsAreReadButSixtyFiveAreAReadError) {
  std::vector<std::pair<std::string, int>> protocols;
  for (int i = 0; i < 64; ++i) protocols.push_back({"P" + std::to_string(i + 1), 1 + i % 5});
  SetProtocols(protocols);
  auto controller = Opened();
  EXPECT_EQ(controller->Lines().size(), 65u);
  EXPECT_TRUE(reports.empty());

  agent.SetInteger(kRoot + ".1.15.1.0", 65);
  const size_t before = agent.RequestLog().size();
  auto again = Controller();
  EXPECT_EQ(again->Start(), ResetStart::kReadFailed);
  EXPECT_EQ(agent.RequestLog().size(), before + 2);  // command and protocols groups only
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(5018, 1, ResetServerController::kTooManyProtocols, 4));
}

TEST_F(ResetServerTest, AFailedReadIsReportedAndNoDialogOpens) {
  agent.RemoveVariable(kRoot + ".6.1.2.0");
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kReadFailed);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(5018, 1, 3157, 4));
  EXPECT_TRUE(controller->Lines().empty());
  EXPECT_EQ(controller->Reset(), ResetServerController::kStayOpen);
  EXPECT_TRUE(Sets().empty());
  EXPECT_EQ(wait.Depth(), 0);
}

TEST_F(ResetServerTest, ADeviceThatDoesNotAnswerGets5018AndNoSnmpTraffic) {
  record.answers = false;
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kNotValid);
  EXPECT_EQ(record.queries, 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(5018, 1, 0, 0));
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ResetServerTest, AnUnconfiguredDeviceGets5027AndNoSnmpTraffic) {
  record.fields.ip = {192, 0, 0, 192};
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kNotConfigured);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], Report(5027, 1, 0, 0));
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ResetServerTest, ReplyFormatTwoRunsTheTelnetCommandInstead) {
  record.fields.format = 2;
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kTelnet);
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ResetServerTest, AnotherProtocolsViewIsNotServed) {
  settings.viewProtocol = 7;
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kProtocolUnsupported);
  ASSERT_EQ(prompt.Records().size(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Protocol not yet supported");
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ResetServerTest, ARefusedCommunitySendsNothing) {
  access.Set("<Default>", "quorum", "quorum");
  auto controller = Controller();
  EXPECT_EQ(controller->Start(), ResetStart::kCommunityCancelled);
  ASSERT_EQ(communities.shown.size(), 1u);
  EXPECT_EQ(communities.shown[0].message, res::LoadString(5030));
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(ResetServerTest, TheAccessListsPatternEntryGivesTheCommunities) {
  access.Set("<Default>", "quorum", "quorum");
  access.Set("127.0.0.*", "public", "private");
  auto controller = Opened();
  EXPECT_TRUE(communities.shown.empty());
  EXPECT_TRUE(controller->WritesAllowed());
}

TEST_F(ResetServerTest, IgnoreOpensTheDialogButNeverWrites) {
  access.Set("<Default>", "public", "wrong");
  communities.answers.push_back({CommunityPrompt::kIgnore, ""});
  auto controller = Opened();
  ASSERT_EQ(communities.shown.size(), 1u);
  EXPECT_EQ(communities.shown[0].message, res::LoadString(5029));
  EXPECT_TRUE(communities.shown[0].offerIgnore);
  EXPECT_FALSE(controller->WritesAllowed());
  EXPECT_EQ(controller->Lines().size(), 3u);
  controller->SetChecked(0, true);
  EXPECT_EQ(controller->Reset(), ResetServerController::kStayOpen);
  EXPECT_EQ(controller->Restore(), ResetServerController::kStayOpen);
  EXPECT_TRUE(Sets().empty());
  EXPECT_TRUE(prompt.Records().empty());
}

TEST_F(ResetServerTest, TheRootFollowsTheDevicesOwnBrand) {
  const std::string oemRoot = "1.3.6.1.4.1.32473.100.2.3.5";
  devsim::AddDeviceVariables(agent, oemRoot, 1);
  settings.roots.brands = {{"Corvane", oemRoot}};
  record.fields.maker = "Corva";
  auto controller = Opened();
  EXPECT_EQ(controller->Root(), oemRoot);
  EXPECT_EQ(agent.RequestLog()[0].vars[0].OidText(), oemRoot + ".2.1.0");

  record.fields.maker = "Nobod";
  record.Query();
  auto other = Opened();
  EXPECT_EQ(other->Root(), kRoot);
}

}  // namespace
}  // namespace devices
