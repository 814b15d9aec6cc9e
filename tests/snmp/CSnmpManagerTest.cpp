// The request layer against the simulator's agent on 127.0.0.1, on virtual time: retries and
// time-outs, Cancel, stale replies, agent error statuses, and reading many variables in pieces.
#include <gtest/gtest.h>
#include <poll.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "SnmpAgent.h"
#include "SnmpAgentServer.h"
#include "discovery/CPleaseWaitDlg.h"
#include "platform/FakeClock.h"
#include "snmp/AgentPump.h"
#include "snmp/CSnmpManager.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpSessionSockets.h"
#include "snmp/SnmpTransport.h"

namespace snmp {
namespace {

const std::string kRoot = "1.3.6.1.4.1.32473";

class RequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr), SNMPAPI_SUCCESS);
    devsim::AddDeviceVariables(agent, kRoot, 2);
    ASSERT_TRUE(server.Open("127.0.0.1", 0));
    savedPort = SnmpTransportDefaults().udpAgentPort;
    SnmpTransportDefaults().udpAgentPort = server.Port();
    wait.SetPump(&pump);
    context.address = "127.0.0.1";
    context.getCommunity = "public";
    context.setCommunity = "private";
    context.wait = &wait;
  }
  void TearDown() override {
    SnmpTransportDefaults().udpAgentPort = savedPort;
    SnmpCleanup();
  }

  std::unique_ptr<CSnmpManager> Manager() {
    int status = -1;
    auto manager = std::make_unique<CSnmpManager>(context, &status, clock);
    EXPECT_EQ(status, kSnmpOk);
    return manager;
  }

  platform::FakeClock clock{1000};
  devsim::SnmpAgent agent;
  devsim::SnmpAgentServer server{agent};
  discovery::CPleaseWaitDlg wait{true, clock};
  test::AgentPump pump{server, clock};
  SnmpOperationContext context;
  uint16_t savedPort = 0;
};

TEST_F(RequestTest, GetReadsTheAgentsValuesByTheirSyntax) {
  auto manager = Manager();
  CSnmpVarBind vars[] = {CSnmpVarBind(kRoot + ".1.9.0"), CSnmpVarBind(kRoot + ".8.3.12.0"),
                         CSnmpVarBind("1.3.6.1.2.1.1.6.0")};
  int status = -1, index = -1;
  ASSERT_EQ(manager->Get(vars, 3, &status, &index), kSnmpOk);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(index, 0);
  std::string text;
  EXPECT_EQ(vars[0].GetText(&text), CSnmpVarBind::kOk);
  EXPECT_EQ(text, "6.2.1 (sim)");
  int32_t percent = 0;
  EXPECT_EQ(vars[1].GetInteger(&percent), CSnmpVarBind::kOk);
  EXPECT_EQ(percent, 87);
  EXPECT_EQ(vars[2].GetText(&text), CSnmpVarBind::kOk);
  EXPECT_EQ(text, "Lab bench 3");
  EXPECT_EQ(vars[2].OidText(), "1.3.6.1.2.1.1.6.0");
  EXPECT_EQ(manager->Sends(), 1);
}

TEST_F(RequestTest, ThreeTimeOutsGive3094AfterThreeSends) {
  agent.Config().silent = true;
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpNoReply);
  EXPECT_EQ(manager->Sends(), 3);
  EXPECT_EQ(agent.Requests(), 3u);
  // Three waits of the default two seconds each.
  EXPECT_EQ(clock.TickCount() - start, 3u * 2000u);
  EXPECT_EQ(var.Syntax(), SNMP_SYNTAX_NULL);
}

TEST_F(RequestTest, TimeoutIsInHundredthsOfASecond) {
  agent.Config().silent = true;
  auto manager = Manager();
  manager->SetTimeout(50);
  CSnmpVarBind var(kRoot + ".1.9.0");
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpNoReply);
  EXPECT_EQ(clock.TickCount() - start, 3u * 500u);
}

TEST_F(RequestTest, AHugeTimeoutWaitsTheLongestWaitInsteadOfWrapping) {
  agent.Config().silent = true;
  // 429496730 hundredths wrap to 4 ms in 32 bits; 300000000 pass the int the wait takes.
  for (int hundredths : {429496730, 300000000}) {
    std::vector<uint32_t> sentAt;
    uint64_t seen = agent.Requests();
    pump.afterService = [&] {
      if (agent.Requests() != seen) sentAt.push_back(clock.TickCount());
      seen = agent.Requests();
    };
    auto manager = Manager();
    manager->SetTimeout(hundredths);
    CSnmpVarBind var(kRoot + ".1.9.0");
    EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpNoReply);
    ASSERT_EQ(sentAt.size(), 3u) << hundredths;
    EXPECT_EQ(sentAt[1] - sentAt[0], 2147483647u) << hundredths;
    EXPECT_EQ(sentAt[2] - sentAt[1], 2147483647u) << hundredths;
  }
}

TEST_F(RequestTest, CancelDuringTheWaitGives3161AtOnce) {
  agent.Config().silent = true;
  pump.afterService = [&] {
    if (agent.Requests() == 1) wait.Cancel();
  };
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpCancelled);
  EXPECT_EQ(manager->Sends(), 1);
}

TEST_F(RequestTest, CancelFromAnotherThreadWakesTheBlockedWait) {
  agent.Config().silent = true;
  wait.SetPump(nullptr);
  clock.SetAutoAdvance(false);
  auto manager = Manager();
  int result = -1;
  std::thread requester([&] {
    CSnmpVarBind var(kRoot + ".1.9.0");
    result = manager->Get(&var, 1, nullptr, nullptr);
  });
  ASSERT_TRUE(clock.WaitForBlocked(1));
  wait.Cancel();
  requester.join();
  EXPECT_EQ(result, kSnmpCancelled);
  EXPECT_EQ(manager->Sends(), 1);
}

TEST_F(RequestTest, ErrorStatusTwoIndexThreeGives3157AndHandsBackTheIndex) {
  agent.Config().forcedStatus = 2;
  agent.Config().forcedIndex = 3;
  auto manager = Manager();
  CSnmpVarBind vars[] = {CSnmpVarBind(kRoot + ".1.9.0"), CSnmpVarBind(kRoot + ".8.3.1.0"),
                         CSnmpVarBind(kRoot + ".8.3.3.0"), CSnmpVarBind(kRoot + ".8.3.4.0")};
  int status = 0, index = 0;
  EXPECT_EQ(manager->Get(vars, 4, &status, &index), kSnmpNoSuchName);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(vars[0].Syntax(), SNMP_SYNTAX_NULL);
}

TEST_F(RequestTest, EachAgentErrorStatusMapsToItsCode) {
  const int expected[] = {kSnmpTooBig, kSnmpNoSuchName, kSnmpBadValue, kSnmpReadOnly, kSnmpGenErr};
  for (int status = 1; status <= 5; ++status) {
    agent.Config().forcedStatus = status;
    agent.Config().forcedIndex = 1;
    auto manager = Manager();
    CSnmpVarBind var(kRoot + ".1.9.0");
    int gotStatus = 0, gotIndex = 0;
    EXPECT_EQ(manager->Get(&var, 1, &gotStatus, &gotIndex), expected[status - 1]);
    EXPECT_EQ(gotStatus, status);
    EXPECT_EQ(gotIndex, 1);
  }
  // Statuses beyond genErr come back as they are.
  agent.Config().forcedStatus = 17;
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), 17);
}

TEST_F(RequestTest, AMissingVariableIsNoSuchNameAtItsIndex) {
  auto manager = Manager();
  CSnmpVarBind vars[] = {CSnmpVarBind(kRoot + ".1.9.0"), CSnmpVarBind(kRoot + ".77.0")};
  int status = 0, index = 0;
  EXPECT_EQ(manager->Get(vars, 2, &status, &index), kSnmpNoSuchName);
  EXPECT_EQ(index, 2);
}

TEST_F(RequestTest, FewerVarbindsThanAskedGive3093AndLeaveTheVariables) {
  agent.Config().answerAtMost = 1;
  auto manager = Manager();
  CSnmpVarBind vars[] = {CSnmpVarBind(kRoot + ".1.9.0"), CSnmpVarBind(kRoot + ".8.3.1.0")};
  vars[0].SetInteger(5);
  EXPECT_EQ(manager->Get(vars, 2, nullptr, nullptr), kSnmpCountMismatch);
  int32_t n = 0;
  EXPECT_EQ(vars[0].GetInteger(&n), CSnmpVarBind::kOk);
  EXPECT_EQ(n, 5);
}

TEST_F(RequestTest, AStaleReplyQueuedBeforeTheSendIsNotTakenAsTheReply) {
  server.SetHold(true);
  auto manager = Manager();
  agent.SetString(kRoot + ".1.9.0", "stale");
  CSnmpVarBind var(kRoot + ".1.9.0");
  ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpNoReply);
  // The three late answers reach the request socket while nobody waits.
  server.SetHold(false);
  server.ReleaseHeld();
  server.Service(clock.TickCount());
  ASSERT_EQ(server.Sent(), 3u);
  int fds[2];
  ASSERT_EQ(SnmpSessionReadableFds(manager->Session(), fds, 2), 1u);
  pollfd ready{fds[0], POLLIN, 0};
  ASSERT_EQ(poll(&ready, 1, 5000), 1);

  agent.SetString(kRoot + ".1.9.0", "fresh");
  ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpOk);
  std::string text;
  var.GetText(&text);
  EXPECT_EQ(text, "fresh");
}

TEST_F(RequestTest, ALateReplyToAnEarlierRequestDuringTheWaitIsDiscarded) {
  server.SetHold(true);
  auto manager = Manager();
  agent.SetString(kRoot + ".1.9.0", "stale");
  CSnmpVarBind var(kRoot + ".1.9.0");
  ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpNoReply);
  // The held answers leave only once the next request has been sent, ahead of its own answer.
  server.SetHold(false);
  pump.beforeService = [&] {
    if (agent.Requests() == 3) {
      agent.SetString(kRoot + ".1.9.0", "fresh");
      server.ReleaseHeld();
    }
  };
  ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpOk);
  std::string text;
  var.GetText(&text);
  EXPECT_EQ(text, "fresh");
  EXPECT_EQ(manager->Sends(), 4);
}

TEST_F(RequestTest, TwentyFiveVariablesAreReadAsEighteenAndSeven) {
  std::vector<CSnmpVarBind> vars;
  for (int i = 1; i <= 25; ++i) {
    const std::string oid = kRoot + ".9." + std::to_string(i) + ".0";
    agent.SetInteger(oid, i * 10);
    vars.emplace_back(oid);
  }
  auto manager = Manager();
  int status = 0, index = 0;
  ASSERT_EQ(manager->GetMany(vars.data(), 25, &status, &index), kSnmpOk);
  EXPECT_EQ(agent.RequestSizes(), (std::vector<size_t>{18, 7}));
  for (int i = 0; i < 25; ++i) {
    int32_t n = 0;
    ASSERT_EQ(vars[static_cast<size_t>(i)].GetInteger(&n), CSnmpVarBind::kOk);
    EXPECT_EQ(n, (i + 1) * 10);
  }
}

TEST_F(RequestTest, AnErrorInALaterPieceNamesTheCallersVariable) {
  std::vector<CSnmpVarBind> vars;
  for (int i = 1; i <= 25; ++i) {
    const std::string oid = kRoot + ".9." + std::to_string(i) + ".0";
    if (i != 21) agent.SetInteger(oid, i);  // the 21st is unknown to the agent
    vars.emplace_back(oid);
  }
  auto manager = Manager();
  int status = 0, index = 0;
  EXPECT_EQ(manager->GetMany(vars.data(), 25, &status, &index), kSnmpNoSuchName);
  EXPECT_EQ(agent.RequestSizes(), (std::vector<size_t>{18, 7}));
  EXPECT_EQ(status, 2);
  EXPECT_EQ(index, 21);
}

TEST_F(RequestTest, AgentsTooBigSplitsAGroupWhereItsIndexSays) {
  std::vector<CSnmpVarBind> vars;
  for (int i = 1; i <= 10; ++i) {
    const std::string oid = kRoot + ".9." + std::to_string(i) + ".0";
    agent.SetString(oid, std::string(40, static_cast<char>('a' + i)));
    vars.emplace_back(oid);
  }
  // Room for the message header and six of these variables.
  agent.Config().tooBigAbove = 40 + 6 * 57;
  auto manager = Manager();
  int status = 0, index = 0;
  ASSERT_EQ(manager->GetMany(vars.data(), 10, &status, &index), kSnmpOk);
  ASSERT_GE(agent.RequestSizes().size(), 3u);
  EXPECT_EQ(agent.RequestSizes()[0], 10u);
  size_t pieces = 0;
  for (size_t i = 1; i < agent.RequestSizes().size(); ++i) pieces += agent.RequestSizes()[i];
  EXPECT_EQ(pieces, 10u);
  std::string text;
  vars[9].GetText(&text);
  EXPECT_EQ(text, std::string(40, 'k'));
}

TEST_F(RequestTest, TooBigWithoutAUsableIndexIsReturned) {
  agent.Config().forcedStatus = 1;
  agent.Config().forcedIndex = 0;  // what many agents send with tooBig
  auto manager = Manager();
  std::vector<CSnmpVarBind> vars(3, CSnmpVarBind(kRoot + ".1.9.0"));
  EXPECT_EQ(manager->GetMany(vars.data(), 3, nullptr, nullptr), kSnmpTooBig);
  EXPECT_EQ(agent.RequestSizes().size(), 1u);
}

TEST_F(RequestTest, SetWritesWithTheSetCommunity) {
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".2.2.0");
  var.SetInteger(2);
  ASSERT_EQ(manager->Set(&var, 1, nullptr, nullptr), kSnmpOk);
  ASSERT_EQ(agent.Writes().size(), 1u);
  EXPECT_EQ(agent.Writes()[0].oid, kRoot + ".2.2.0");
  int32_t n = 0;
  EXPECT_EQ(agent.Find(kRoot + ".2.2.0")->GetInteger(&n), CSnmpVarBind::kOk);
  EXPECT_EQ(n, 2);
}

TEST_F(RequestTest, SetWithAWrongSetCommunityGetsNoAnswer) {
  context.setCommunity = "guess";
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".2.2.0");
  var.SetInteger(2);
  EXPECT_EQ(manager->Set(&var, 1, nullptr, nullptr), kSnmpNoReply);
  EXPECT_TRUE(agent.Writes().empty());
  EXPECT_EQ(agent.Refused(), 3u);
}

TEST_F(RequestTest, SetOfAReadOnlyVariableIsRefused) {
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  var.SetString("9.9");
  int status = 0, index = 0;
  EXPECT_EQ(manager->Set(&var, 1, &status, &index), kSnmpReadOnly);
  EXPECT_EQ(index, 1);
}

TEST_F(RequestTest, NothingToAskOrNoAddressGives3155) {
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  EXPECT_EQ(manager->Get(&var, 0, nullptr, nullptr), kSnmpNothingToAsk);
  context.address.clear();
  auto noAddress = Manager();
  EXPECT_EQ(noAddress->Get(&var, 1, nullptr, nullptr), kSnmpNothingToAsk);
  EXPECT_EQ(agent.Requests(), 0u);
}

TEST_F(RequestTest, AnAddressNoTransportTakesGives3079) {
  context.address = "no.such.host.invalid";
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".1.9.0");
  EXPECT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpBadAddress);
}

TEST_F(RequestTest, MoreThanAListHoldsGives3076) {
  auto manager = Manager();
  std::vector<CSnmpVarBind> vars(33, CSnmpVarBind(kRoot + ".1.9.0"));
  EXPECT_EQ(manager->Get(vars.data(), 33, nullptr, nullptr), kSnmpVblFailed);
}

TEST_F(RequestTest, NoWaitWindowMeansNoSession) {
  context.wait = nullptr;
  int status = 0;
  CSnmpManager manager(context, &status, clock);
  EXPECT_EQ(status, kSnmpSessionFailed);
}

TEST_F(RequestTest, ProgressTextsSayReadingOrUpdating) {
  std::vector<intptr_t> ids;
  class Recorder : public platform::MessagePoster {
   public:
    explicit Recorder(std::vector<intptr_t>& ids) : ids_(ids) {}
    bool PostMessage(uint32_t id, intptr_t wParam, intptr_t) override {
      if (id == discovery::CPleaseWaitDlg::kProgressMessage) ids_.push_back(wParam);
      return true;
    }

   private:
    std::vector<intptr_t>& ids_;
  } recorder(ids);
  wait.SetMainWindow(&recorder);
  auto manager = Manager();
  CSnmpVarBind var(kRoot + ".2.2.0");
  ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpOk);
  ASSERT_EQ(manager->Set(&var, 1, nullptr, nullptr), kSnmpOk);
  EXPECT_EQ(ids, (std::vector<intptr_t>{6107, 6108}));
}

TEST_F(RequestTest, SessionsAreClosedWithTheirManager) {
  for (int i = 0; i < 100; ++i) {
    auto manager = Manager();
    CSnmpVarBind var(kRoot + ".1.9.0");
    ASSERT_EQ(manager->Get(&var, 1, nullptr, nullptr), kSnmpOk) << "round " << i;
  }
}

}  // namespace
}  // namespace snmp
