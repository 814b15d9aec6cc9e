// A view switch while a search runs, as the main window sees it: the old search's end (0x8012)
// and its late records arrive while the new view's search runs. They must not end the new search
// or reach its list; the new view's rows all arrive, and Stop, Refresh and the busy animation
// follow the search that runs.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FrameFakes.h"
#include "app/FrameIds.h"
#include "app/FrameMessage.h"
#include "app/MainFrameController.h"
#include "app/Settings.h"
#include "app/TempDir.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "views/CViewStore.h"
#include "views/FakeDeviceList.h"
#include "views/FakeStoreHost.h"
#include "views/FrameStoreLink.h"
#include "views/ScriptedEngine.h"

namespace {

namespace cmd = app::cmd;
namespace msg = app::msg;
using views::test::Device;

// A scripted engine whose searches carry ids, as the UDP engine's do.
class IdentifiedEngine : public views::test::ScriptedEngine {
 public:
  void StartSearch(const discovery::SearchPlan& plan) override {
    ScriptedEngine::StartSearch(plan);
    NewSearchId();
  }
};

class SearchGenerationsTest : public ::testing::Test {
 protected:
  SearchGenerationsTest() {
    for (const char* view : {"Views\\North", "Views\\South"}) {
      settings_.WriteInt(view, "Type", 6);
      settings_.WriteInt(view, "Icons", 16);
      settings_.WriteString(view, "Columns", "System Name,IP Address,H/W Address");
    }
    settings_.WriteString("General", "CurrentView", "North");
    EXPECT_EQ(store_.Open(&host_), views::CViewStore::kOpenOk);
    store_.SetListControl(&list_);
    frame_.Attach(&link_, 0);
    // The application registers Refresh; a command without a handler is never enabled.
    frame_.SetCommandHandler(cmd::kRefresh, [this] { store_.Refresh(); });
  }

  IdentifiedEngine& Engine() { return *static_cast<IdentifiedEngine*>(store_.CurrentEngine()); }
  // What the store sent the window since last time reaches it, as through its procedure.
  void Relay() {
    for (; relayed_ < host_.sent.size(); ++relayed_) {
      const platform::Message& m = host_.sent[relayed_];
      if (m.id != msg::kSearchStarted) continue;
      app::FrameMessage message = app::FrameMessage::Adopt(m.id, m.wParam, m.lParam);
      frame_.Dispatch(message);
    }
  }
  // A message the search thread posted, as it reaches the window.
  void Posted(uint32_t id, intptr_t wParam, intptr_t lParam = 0) {
    app::FrameMessage message = app::FrameMessage::Adopt(id, wParam, lParam);
    frame_.Dispatch(message);
  }
  void Found(uint8_t last, uint32_t searchId, int* deleted = nullptr) {
    Posted(msg::kDeviceFound,
           reinterpret_cast<intptr_t>(new views::test::ScriptedRecord(Device(last, "d"), deleted)),
           searchId);
  }
  bool Enabled(int command) const { return frame_.StateOf(command).enabled; }

  TempDir dir_;
  platform::RegistryStore registry_{dir_.Folder() + "registry.reg"};
  app::Settings settings_{registry_};
  platform::ScriptedPrompt prompt_;
  views::CViewStore store_{
      settings_, [](const views::CViewNode&) { return std::make_unique<IdentifiedEngine>(); }};
  views::test::FakeStoreHost host_;
  views::test::FakeDeviceList list_;
  views::FrameStoreLink link_{store_};
  RecordingFace face_;
  app::MainFrameController frame_{settings_, prompt_, face_};
  size_t relayed_ = 0;
};

TEST_F(SearchGenerationsTest, TheStoppedSearchsEndAndRecordsLeaveTheNewSearchAlone) {
  store_.Refresh();
  Relay();
  const uint32_t north = Engine().SearchId();
  Found(1, north);
  ASSERT_EQ(list_.GetRowCount(), 1);

  // The user opens South while North searches: North stops, South searches.
  store_.SelectView(store_.FindNode("South"), true, false);
  Relay();
  const uint32_t south = Engine().SearchId();
  ASSERT_NE(south, north);
  ASSERT_TRUE(Engine().IsBusy());

  // North's end and a late record of it were queued behind the switch.
  int lateDeleted = 0;
  Found(9, north, &lateDeleted);
  Posted(msg::kSearchDone, north);
  EXPECT_EQ(lateDeleted, 1);
  EXPECT_TRUE(frame_.Searching());
  EXPECT_TRUE(face_.busy);
  EXPECT_TRUE(Enabled(cmd::kStop));
  EXPECT_FALSE(Enabled(cmd::kRefresh));

  // Every row of South's search arrives.
  for (uint8_t last : {2, 3, 4}) Found(last, south);
  EXPECT_EQ(list_.GetRowCount(), 3);

  Engine().Finish();
  Posted(msg::kSearchDone, south);
  EXPECT_FALSE(frame_.Searching());
  EXPECT_FALSE(face_.busy);
  EXPECT_FALSE(Enabled(cmd::kStop));
  EXPECT_TRUE(Enabled(cmd::kRefresh));
  EXPECT_EQ(list_.GetRowCount(), 3);
}

TEST_F(SearchGenerationsTest, RefreshDuringASearchKeepsTheNewSearchsRows) {
  store_.Refresh();
  Relay();
  const uint32_t first = Engine().SearchId();
  store_.Refresh();  // F5 again: the first search is stopped, a second starts
  Relay();
  const uint32_t second = Engine().SearchId();
  Posted(msg::kSearchDone, first);
  for (uint8_t last : {5, 6}) Found(last, second);
  EXPECT_EQ(list_.GetRowCount(), 2);
  EXPECT_TRUE(Enabled(cmd::kStop));
  Engine().Finish();
  Posted(msg::kSearchDone, second);
  EXPECT_FALSE(Enabled(cmd::kStop));
}

TEST_F(SearchGenerationsTest, AStoppedSearchEndsTheIndicationWhenTheNewViewDoesNotSearch) {
  store_.Refresh();
  Relay();
  const uint32_t north = Engine().SearchId();
  // South was searched before and has ended; opened again without a search.
  store_.SelectView(store_.FindNode("South"), true, false);
  Relay();
  const uint32_t south = Engine().SearchId();
  Engine().Finish();
  Posted(msg::kSearchDone, north);
  Posted(msg::kSearchDone, south);
  ASSERT_FALSE(frame_.Searching());
  store_.SelectView(store_.FindNode("North"), true, false);  // opened before: no new search
  Relay();
  store_.Refresh();
  Relay();
  const uint32_t again = Engine().SearchId();
  store_.SelectView(store_.FindNode("South"), false, false);
  Posted(msg::kSearchDone, again);  // the stopped North search's end: nothing else runs
  EXPECT_FALSE(frame_.Searching());
  EXPECT_FALSE(face_.busy);
  EXPECT_TRUE(Enabled(cmd::kRefresh));
}

}  // namespace
