#include <gtest/gtest.h>

#include <vector>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/LoopbackWait.h"
#include "discovery/ReplyBuilder.h"

namespace discovery {
namespace {

using test::BuildReply;
using test::LoopbackPeer;
using test::LoopbackWait;
using test::ReplyFields;

// A device on 127.0.0.1 listening on the discovery port, answering from a script.
class QueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetDiscoveryPort(device.port()));
    shape.ip = {127, 0, 0, 1};
    wait.beforeWait = [this] { return Serve(); };
  }
  void TearDown() override { SetDiscoveryPort(kDefaultDiscoveryPort); }

  // Answers every query waiting at the device; true when it sent something.
  bool Serve() {
    bool sent = false;
    std::vector<uint8_t> query;
    sockaddr_in from{};
    while (device.Receive(&query, &from)) {
      queries.push_back(query);
      if (answers) {
        if (stranger) stranger->SendTo(from, BuildReply(shape));
        device.SendTo(from, noise);
        device.SendTo(from, BuildReply(shape));
        sent = true;
      }
    }
    return sent;
  }

  LoopbackPeer device;
  LoopbackWait wait;
  ReplyFields shape;
  bool answers = true;
  LoopbackPeer* stranger = nullptr;                       // also answers, from another address
  std::vector<uint8_t> noise = {0x01, 0x02, 0x03, 0x04};  // no reply magic
  std::vector<std::vector<uint8_t>> queries;
};

TEST_F(QueryTest, AnsweredQueryFillsTheRecord) {
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  std::vector<uint8_t> reply;
  ASSERT_EQ(record.Query(&reply), kRecordOk);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0], (std::vector<uint8_t>{0x2E, 0x2C, 0x3A, 0x01, 0x00, 0x00}));
  EXPECT_EQ(reply, BuildReply(shape));
  EXPECT_TRUE(record.IsValid());
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "LAB-SERVER");
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Good");
  EXPECT_EQ(wait.watchCalls, 1);
  EXPECT_EQ(wait.forgetCalls, 1);
  EXPECT_TRUE(wait.watched.empty());
}

TEST_F(QueryTest, RepliesFromOtherAddressesAreIgnored) {
  LoopbackPeer other("127.0.0.2");
  stranger = &other;
  shape.systemName = "THE-ONE";
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  ASSERT_EQ(record.Query(), kRecordOk);
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "THE-ONE");
}

TEST_F(QueryTest, NoAnswerLeavesANotValidRecordAtErrorLevel) {
  answers = false;
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  EXPECT_EQ(record.Query(), kRecordFailed);
  EXPECT_EQ(queries.size(), 1u);
  EXPECT_FALSE(record.IsValid());
  EXPECT_EQ(record.GetDeviceConditions(), kCondNoResponse);
  EXPECT_EQ(record.GetLevel(0), kLevelError);
  EXPECT_STREQ(record.GetColumnText(kColStatus), "Error");
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "127.0.0.1");
  EXPECT_TRUE(wait.watched.empty());
}

TEST_F(QueryTest, AnswerThenSilenceClearsTheOldValues) {
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  ASSERT_EQ(record.Query(), kRecordOk);
  answers = false;
  EXPECT_EQ(record.Query(), kRecordFailed);
  EXPECT_STREQ(record.GetColumnText(kColSystemName), "");
  EXPECT_STREQ(record.GetColumnText(kColHwAddress), "");
  EXPECT_FALSE(record.IsConfigured());
}

TEST_F(QueryTest, CancelBeforeSendingStopsTheQuery) {
  wait.script = {LoopbackWait::Then::kCancel};
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  EXPECT_EQ(record.Query(), kRecordCancelled);
  EXPECT_TRUE(queries.empty());
  EXPECT_TRUE(wait.watched.empty());
}

TEST_F(QueryTest, CancelWhileWaitingForTheReply) {
  answers = false;
  wait.script = {LoopbackWait::Then::kTimeOut, LoopbackWait::Then::kCancel};
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  EXPECT_EQ(record.Query(), kRecordCancelled);
  EXPECT_EQ(queries.size(), 1u);
}

TEST_F(QueryTest, UnsendableAddressFailsWithoutWaitingForAReply) {
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("300.1.1.1");
  EXPECT_EQ(record.Query(), kRecordFailed);
  EXPECT_EQ(wait.waits, 1);  // only the first-notification wait
  EXPECT_TRUE(wait.watched.empty());
}

TEST_F(QueryTest, NoWaitWindowMeansNoQuery) {
  CIpDeviceRecord record(nullptr);
  record.SetIpAddress("127.0.0.1");
  EXPECT_EQ(record.Query(), kRecordFailed);
  EXPECT_TRUE(queries.empty());
}

TEST_F(QueryTest, StatusTextOfAllPortsAndOfOne) {
  shape.portCount = 2;
  shape.ports = {{2, 1, "A"}, {0, 4, "B"}};
  shape.generalStatus = "None";
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  std::string text;
  ASSERT_EQ(record.GetStatusText(&text, CDeviceRecord::kAllPorts), kRecordOk);
  EXPECT_EQ(text, "Printer 1: Off-line\nPrinter 2: On-line: Paper Out\nGeneral Status: None");
  EXPECT_EQ(wait.texts, (std::vector<unsigned>{kMsgReadingStatus}));
  ASSERT_EQ(record.GetStatusText(&text, 0), kRecordOk);
  EXPECT_EQ(text, "Printer: Off-line\nGeneral Status: None");
}

TEST_F(QueryTest, StatusTextWhenTheDeviceIsSilentOrUnknown) {
  CIpDeviceRecord record(&wait);
  record.SetIpAddress("127.0.0.1");
  std::string text;
  answers = false;
  EXPECT_EQ(record.GetStatusText(&text, 0), kRecordFailed);
  EXPECT_EQ(text, "Cannot communicate with the server.");
  answers = true;
  shape.format = 9;
  SetErrorReporter([](unsigned, int, unsigned, int, int) { return 1; });
  EXPECT_EQ(record.GetStatusText(&text, 0), kRecordFailed);
  SetErrorReporter({});
  EXPECT_EQ(text, "Unknown Format");
  wait.script = {LoopbackWait::Then::kCancel};
  EXPECT_EQ(record.GetStatusText(&text, 0), kRecordCancelled);
}

TEST_F(QueryTest, TimeLimitRepeatsUntilTheDeviceAnswers) {
  answers = false;
  double now = 100.0;
  wait.beforeWait = [&] {
    now += 1.0;
    // The device wakes up after two unanswered queries.
    if (queries.size() >= 2) answers = true;
    return Serve();
  };
  CIpDeviceRecord record(&wait);
  record.SetClock([&] { return now; });
  EXPECT_EQ(record.QueryWithTimeLimit(40, "127.0.0.1"), kRecordOk);
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "127.0.0.1");
  EXPECT_EQ(queries.size(), 3u);
}

TEST_F(QueryTest, TimeLimitGivesUpAfterItsSeconds) {
  answers = false;
  double now = 0.0;
  wait.beforeWait = [&] {
    now += 1.0;  // every wait takes a second of the fake clock
    return Serve();
  };
  CIpDeviceRecord record(&wait);
  record.SetClock([&] { return now; });
  EXPECT_EQ(record.QueryWithTimeLimit(6, "127.0.0.1"), kRecordFailed);
  // Two waits per unanswered query: six seconds allow three queries.
  EXPECT_EQ(queries.size(), 3u);
}

TEST_F(QueryTest, TimeLimitStopsAtCancel) {
  answers = false;
  wait.script = {LoopbackWait::Then::kTimeOut, LoopbackWait::Then::kTimeOut,
                 LoopbackWait::Then::kCancel};
  CIpDeviceRecord record(&wait);
  record.SetClock([] { return 0.0; });
  EXPECT_EQ(record.QueryWithTimeLimit(40, "127.0.0.1"), kRecordCancelled);
  EXPECT_EQ(queries.size(), 1u);
}

TEST_F(QueryTest, QueryAtTakesTheTargetAddressAndLendsTheWaitWindow) {
  CIpDeviceRecord record(&wait);
  CDeviceRecord::QueryTarget target{"127.0.0.1", nullptr};
  EXPECT_EQ(record.QueryAt(5, target), kRecordOk);
  EXPECT_EQ(target.wait, &wait);
  EXPECT_STREQ(record.GetColumnText(kColIpAddress), "127.0.0.1");
}

}  // namespace
}  // namespace discovery
