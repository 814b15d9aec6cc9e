#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TempPortDir.h"
#include "platform/FileChooser.h"
#include "platform/MessagePoster.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"
#include "vport/BridgeCodes.h"
#include "vport/PortStatusController.h"
#include "vport/PortStatusModel.h"
#include "vport/PortStatusRelay.h"

namespace vport {
namespace {

class CountingPoster : public platform::MessagePoster {
 public:
  bool PostMessage(uint32_t id, intptr_t, intptr_t) override {
    ids.push_back(id);
    return accept;
  }
  std::vector<uint32_t> ids;
  bool accept = true;
};

PortStatusSnapshot Tick(const std::string& log, uint32_t generation = 0) {
  PortStatusSnapshot snapshot;
  snapshot.comName = "COM5";
  snapshot.newLog = log;
  snapshot.logGeneration = generation;
  return snapshot;
}

TEST(PortStatusRelay, OnePostWakesTheWindowsForEverythingWaiting) {
  CountingPoster poster;
  PortStatusRelay relay(poster);
  PortStatusSnapshot shown = Tick("\r\na");
  shown.show = true;
  relay.StatusChanged(shown);
  relay.StatusChanged(Tick("\r\nb"));
  PortStatusSnapshot other = Tick("");
  other.comName = "COM6";
  relay.StatusChanged(other);
  EXPECT_EQ(poster.ids, std::vector<uint32_t>{PortStatusRelay::kStatusMessage});
  const auto taken = relay.TakeAll();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].comName, "COM5");
  EXPECT_EQ(taken[0].newLog, "\r\na\r\nb");
  EXPECT_TRUE(taken[0].show);
  EXPECT_TRUE(relay.TakeAll().empty());
  relay.StatusChanged(Tick("c"));
  EXPECT_EQ(poster.ids.size(), 2u);
}

TEST(PortStatusRelay, AFailedPostIsTriedAgainWithTheNextSnapshot) {
  CountingPoster poster;
  poster.accept = false;
  PortStatusRelay relay(poster);
  relay.StatusChanged(Tick("a"));
  poster.accept = true;
  relay.StatusChanged(Tick("b"));
  EXPECT_EQ(poster.ids.size(), 2u);
  EXPECT_EQ(relay.TakeAll()[0].newLog, "ab");
}

TEST(PortStatusRelay, MergeKeepsEventsAndDropsTextOfAnOlderGeneration) {
  PortStatusSnapshot older = Tick("old", 0);
  older.show = true;
  PortStatusSnapshot merged = PortStatusRelay::Merge(older, Tick("new", 1));
  EXPECT_EQ(merged.newLog, "new");
  EXPECT_TRUE(merged.show);
  PortStatusSnapshot removed = Tick("");
  removed.removed = true;
  PortStatusSnapshot fresh = Tick("");
  fresh.fresh = true;
  merged = PortStatusRelay::Merge(older, removed);
  EXPECT_TRUE(merged.removed);
  merged = PortStatusRelay::Merge(merged, fresh);
  EXPECT_TRUE(merged.fresh);
  EXPECT_FALSE(merged.removed);
  EXPECT_FALSE(merged.show);
  merged = PortStatusRelay::Merge(merged, Tick("x"));
  EXPECT_TRUE(merged.fresh);
}

class ControllerTest : public ::testing::Test {
 protected:
  PortStatusController Make(std::size_t capacity = PortLog::kDefaultCapacity) {
    return PortStatusController(
        [this](uint32_t id, intptr_t wParam) {
          requests.emplace_back(id, wParam);
          return portTakesRequests;
        },
        prompt, files, "Portolan", capacity);
  }
  std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::vector<std::pair<uint32_t, intptr_t>> requests;
  bool portTakesRequests = true;
  platform::ScriptedPrompt prompt;
  platform::ScriptedFileChooser files;
  test::TempPortDir dir;
};

TEST_F(ControllerTest, FollowsTheModelsSnapshots) {
  PortStatusModel model;
  model.PortCreated("COM5", "9200", true, false);
  auto controller = Make();
  PortStatusSnapshot created = model.Snapshot();
  created.fresh = true;
  controller.Apply(created);
  EXPECT_FALSE(controller.Visible());
  EXPECT_EQ(controller.Shown().title, "Creating Virtual Port: COM5");

  model.ShowStatus();
  PortStatusSnapshot shown = model.Snapshot();
  shown.show = true;
  controller.Apply(shown);
  EXPECT_TRUE(controller.Visible());
  EXPECT_EQ(controller.Shown().title, "Virtual Port Status: COM5");
  EXPECT_EQ(controller.Shown().statusLabel, "Port Status");
  EXPECT_FALSE(controller.Shown().cancelVisible);
  EXPECT_EQ(controller.Shown().tcpPort, "9200");
  EXPECT_TRUE(controller.Shown().rfc2217);

  controller.SetLogging(true);
  model.SetLogging(true);
  EXPECT_TRUE(controller.SaveClearEnabled());
  model.Opened();
  model.ReceivedFromServer(12);
  model.SentToServer(3);
  const std::string moved = model.Tick();
  PortStatusSnapshot tick = model.Snapshot();
  tick.newLog = moved;
  const auto update = controller.Apply(tick);
  EXPECT_EQ(update.kind, PortStatusController::LogUpdate::kAppend);
  EXPECT_EQ(controller.Shown().statusText, "Open");
  EXPECT_EQ(controller.Shown().rxText, "12");
  EXPECT_EQ(controller.Shown().txText, "3");
  EXPECT_EQ(controller.BoxText(),
            "\r\n*** Virtual port (COM5) opened ***\r\nGot 12 byte(s) from remote device");
  EXPECT_EQ(requests.front(), (std::pair<uint32_t, intptr_t>{WM_VPORT_SETLOGGING, 1}));

  controller.Hide();
  EXPECT_FALSE(controller.Visible());
  EXPECT_EQ(requests.back().first, WM_VPORT_HIDESTATUS);
}

TEST_F(ControllerTest, AppendsOnlyWhatIsNewAndDropsTextThatWasClearedOnItsWay) {
  auto controller = Make();
  EXPECT_EQ(controller.Apply(Tick("\r\none")).text, "\r\none");
  const auto second = controller.Apply(Tick("\r\ntwo"));
  EXPECT_EQ(second.kind, PortStatusController::LogUpdate::kAppend);
  EXPECT_EQ(second.text, "\r\ntwo");
  controller.Clear();
  EXPECT_EQ(requests.back().first, WM_VPORT_CLEARLOG);
  EXPECT_EQ(controller.BoxText(), "");
  // Moved before the port saw the Clear: not shown.
  EXPECT_EQ(controller.Apply(Tick("\r\nthree", 0)).kind, PortStatusController::LogUpdate::kNone);
  controller.Apply(Tick("\r\nfour", 1));
  EXPECT_EQ(controller.BoxText(), "\r\nfour");
  // A port that takes no request keeps its text: nothing is dropped then.
  portTakesRequests = false;
  controller.Clear();
  controller.Apply(Tick("\r\nfive", 1));
  EXPECT_EQ(controller.BoxText(), "\r\nfive");
}

TEST_F(ControllerTest, TheBoxKeepsWithinItsCapacity) {
  auto controller = Make(20);
  controller.Apply(Tick("\r\nline one"));
  const auto update = controller.Apply(Tick("\r\nline two\r\nline 3"));
  EXPECT_EQ(update.kind, PortStatusController::LogUpdate::kReplace);
  EXPECT_LE(controller.BoxText().size(), 20u);
  EXPECT_EQ(update.text, controller.BoxText());
  EXPECT_EQ(controller.BoxText().substr(controller.BoxText().size() - 8), "\r\nline 3");
}

TEST_F(ControllerTest, AFreshPortStartsTheWindowOver) {
  auto controller = Make();
  controller.SetLogging(true);
  controller.Apply(Tick("\r\nold"));
  PortStatusSnapshot fresh = Tick("");
  fresh.fresh = true;
  const auto update = controller.Apply(fresh);
  EXPECT_EQ(update.kind, PortStatusController::LogUpdate::kReplace);
  EXPECT_EQ(update.text, "");
  EXPECT_FALSE(controller.Logging());
  EXPECT_EQ(controller.BoxText(), "");
}

TEST_F(ControllerTest, SaveProposesTheDefaultNameAndAsksBeforeOverwriting) {
  auto controller = Make();
  PortStatusSnapshot snapshot = Tick("\r\n*** Virtual port (COM5) opened ***");
  controller.Apply(snapshot);
  const std::string path = dir.Entry("log.txt");
  files.QueueAnswer(std::nullopt);  // cancelled
  EXPECT_EQ(controller.Save(), PortLog::SaveResult::kKeptExisting);
  ASSERT_EQ(files.Requests().size(), 1u);
  EXPECT_EQ(files.Requests()[0].fileName, "COM5PrtLog.txt");
  EXPECT_EQ(files.Requests()[0].title, "Save COM Port Log");
  EXPECT_EQ(files.Requests()[0].defaultExtension, "txt");
  EXPECT_EQ(files.Requests()[0].filter, "Text files (*.txt)|*.txt|All files (*.*)|*.*||");

  files.QueueAnswer(path);
  EXPECT_EQ(controller.Save(), PortLog::SaveResult::kSaved);
  EXPECT_EQ(Read(path), "\n*** Virtual port (COM5) opened ***");
  EXPECT_EQ(prompt.Count(), 0u);

  controller.Apply(Tick("\r\nmore"));
  files.QueueAnswer(path);
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_EQ(controller.Save(), PortLog::SaveResult::kKeptExisting);
  EXPECT_EQ(Read(path), "\n*** Virtual port (COM5) opened ***");
  EXPECT_EQ(prompt.Records()[0].text, "The file \"" + path + "\" already exists.  Overwrite file?");
  files.QueueAnswer(path);
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_EQ(controller.Save(), PortLog::SaveResult::kSaved);
  EXPECT_EQ(Read(path), "\n*** Virtual port (COM5) opened ***\nmore");
}

}  // namespace
}  // namespace vport
