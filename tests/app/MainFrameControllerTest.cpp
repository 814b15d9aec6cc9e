// The main window's rules against a recording window and store: the private messages (owned
// records freed when nobody takes them), the enabling table, the tree toggle with a stored
// splitter of 0, by port and its question, the status panes and what close writes.
#include <gtest/gtest.h>

#include "FakePrompt.h"
#include "FrameFakes.h"
#include "app/FrameIds.h"
#include "app/MainFrameController.h"
#include "app/Settings.h"
#include "platform/RegistryStore.h"

namespace {

using app::FrameMessage;
using app::MainFrameController;
namespace cmd = app::cmd;
namespace msg = app::msg;

class MainFrameControllerTest : public ::testing::Test {
 protected:
  intptr_t Send(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) {
    FrameMessage message = FrameMessage::Adopt(id, wParam, lParam);
    return frame.Dispatch(message);
  }
  intptr_t SendRecord(uint32_t id) {
    return Send(id, reinterpret_cast<intptr_t>(new CountedRecord(&destroyed)));
  }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  FakePrompt prompt;
  RecordingFace face;
  RecordingStore store;
  MainFrameController frame{settings, prompt, face};
  int destroyed = 0;
};

TEST_F(MainFrameControllerTest, RecordsFoundOutsideASearchAreFreedNotAdded) {
  frame.Attach(&store, 0);
  SendRecord(msg::kDeviceFound);  // no search under way
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(store.devices.empty());

  Send(msg::kSearchStarted);
  SendRecord(msg::kDeviceFound);
  SendRecord(msg::kDeviceFound);
  EXPECT_EQ(store.devices.size(), 2u);
  EXPECT_EQ(destroyed, 1);
  Send(msg::kSearchDone);
  SendRecord(msg::kDeviceFound);  // late: the search has ended
  EXPECT_EQ(destroyed, 2);
  SendRecord(msg::kDeviceQueried);  // a single query is taken whenever it comes
  EXPECT_EQ(store.devices.size(), 3u);
}

TEST_F(MainFrameControllerTest, RecordsPostedBeforeTheStoreIsAttachedAreFreed) {
  Send(msg::kSearchStarted);
  SendRecord(msg::kDeviceFound);
  SendRecord(msg::kDeviceQueried);
  EXPECT_EQ(destroyed, 2);
}

TEST_F(MainFrameControllerTest, AMessageNeverDispatchedFreesItsRecordAndText) {
  {
    FrameMessage message = FrameMessage::Adopt(
        msg::kDeviceFound, reinterpret_cast<intptr_t>(new CountedRecord(&destroyed)), 0);
    EXPECT_EQ(message.WParam(), 0);  // the pointer lives only in the message now
    FrameMessage text = FrameMessage::Adopt(msg::kSearchStatus, 0,
                                            reinterpret_cast<intptr_t>(new std::string("x")));
    EXPECT_EQ(text.Text(), "x");
  }
  EXPECT_EQ(destroyed, 1);  // (the text is checked by the sanitizer build)
}

TEST_F(MainFrameControllerTest, ReleaseHandsThePointersBack) {
  auto* record = new CountedRecord(&destroyed);
  {
    FrameMessage message =
        FrameMessage::Adopt(msg::kDeviceQueried, reinterpret_cast<intptr_t>(record), 0);
    message.Release();
  }
  EXPECT_EQ(destroyed, 0);
  delete record;
}

TEST_F(MainFrameControllerTest, AnswersTheRunningCopyQuestion) {
  EXPECT_EQ(Send(msg::kAreYouRunning), 123456789);
  EXPECT_EQ(Send(0x8099), 0);
}

TEST_F(MainFrameControllerTest, SearchLocksThePaneAndEndsInTheStore) {
  frame.Attach(&store, 0);
  Send(msg::kSearchStatus, 6101);  // not locked: ignored
  EXPECT_EQ(face.pane, "(unset)");
  Send(msg::kSearchStarted);
  EXPECT_TRUE(face.busy);
  EXPECT_FALSE(frame.StateOf(cmd::kRefresh).enabled);
  EXPECT_TRUE(frame.StateOf(cmd::kStop).enabled);
  Send(msg::kSearchStatus, 6101);
  EXPECT_EQ(face.pane, "Searching the local network...");
  Send(msg::kSearchStatus, 0, reinterpret_cast<intptr_t>(new std::string("Querying 10.0.0.7")));
  EXPECT_EQ(face.pane, "Querying 10.0.0.7");
  Send(msg::kSearchDone);
  EXPECT_FALSE(face.busy);
  EXPECT_EQ(face.pane, "");
  EXPECT_FALSE(frame.PaneLocked());
  EXPECT_EQ(store.calls, (std::vector<std::string>{"done"}));
  Send(msg::kSearchDone);  // a second end changes nothing
  EXPECT_EQ(store.calls.size(), 1u);
}

TEST_F(MainFrameControllerTest, StatusTextWithoutStatusBarIsIgnoredButItsTextFreed) {
  Send(msg::kSearchStarted);
  face.statusBar = false;
  Send(msg::kSearchStatus, 0, reinterpret_cast<intptr_t>(new std::string("gone")));
  EXPECT_EQ(face.pane, "(unset)");
}

TEST_F(MainFrameControllerTest, IconByLevel) {
  EXPECT_EQ(MainFrameController::IconForLevel(0, 3), 128);
  const int expected[] = {128, 145, 144, 143, 144, 145, 145};
  for (int level = 0; level <= 5; ++level) {
    EXPECT_EQ(MainFrameController::IconForLevel(1, level), expected[level]) << level;
  }
  EXPECT_EQ(MainFrameController::IconForLevel(1, -1), 145);
  frame.Attach(&store, 1);
  Send(msg::kStatusLevel, 3);
  EXPECT_EQ(face.icons.back(), 143);
  frame.Attach(&store, 0);
  Send(msg::kStatusLevel, 3);
  EXPECT_EQ(face.icons.back(), 128);
}

TEST_F(MainFrameControllerTest, TurningTheFollowingIconOffShowsTheNormalIconAtOnce) {
  frame.Attach(&store, 1);
  Send(msg::kStatusLevel, 3);
  ASSERT_EQ(face.icons.back(), 143);
  frame.SetAppIconFollows(0);
  EXPECT_EQ(face.icons.back(), 128);
  const size_t shown = face.icons.size();
  frame.SetAppIconFollows(1);  // on again: the next status level sets it
  EXPECT_EQ(face.icons.size(), shown);
  Send(msg::kStatusLevel, 2);
  EXPECT_EQ(face.icons.back(), 144);
}

TEST_F(MainFrameControllerTest, StatusPanes) {
  EXPECT_EQ(MainFrameController::CountText(12), "Count: 12");
  EXPECT_EQ(MainFrameController::ProtocolText(6), "Protocol: TCP/IP");
  EXPECT_EQ(MainFrameController::ProtocolText(9), "Protocol: IPX");
  EXPECT_EQ(MainFrameController::ProtocolText(2), "Protocol:  Unknown");
  frame.Attach(&store, 0);
  EXPECT_EQ(frame.CurrentViewText(), "View: All Print Servers");
  EXPECT_FALSE(frame.FilterActive());
  store.view.hasFilter = true;
  EXPECT_TRUE(frame.FilterActive());
}

TEST_F(MainFrameControllerTest, SplitterZeroHidesThePaneWhileTheTreeCountsAsShown) {
  settings.WriteInt("General", "Splitter", 0);
  frame.Attach(&store, 0);
  EXPECT_FALSE(face.treePaneShown);
  EXPECT_TRUE(frame.StateOf(cmd::kShowViewTree).checked);
  frame.RunCommand(cmd::kShowViewTree);  // off: nothing visible changes
  EXPECT_FALSE(face.treePaneShown);
  EXPECT_FALSE(frame.StateOf(cmd::kShowViewTree).checked);
  frame.RunCommand(cmd::kShowViewTree);
  EXPECT_TRUE(face.treePaneShown);
  EXPECT_EQ(face.treeMinWidth, 140);
}

TEST_F(MainFrameControllerTest, StoredFlagsAtStartByPortAlwaysOn) {
  settings.WriteInt("General", "Flags", 0x01 | 0x04 | 0x20);  // tree hidden, multi, large icons
  frame.Attach(&store, 0);
  EXPECT_FALSE(frame.Flags().treeShown);
  EXPECT_FALSE(face.treePaneShown);
  EXPECT_TRUE(frame.Flags().byPort);
  EXPECT_TRUE(store.portMode);
  EXPECT_FALSE(frame.Flags().multiSelect);
  EXPECT_EQ(face.mode, app::ListMode::kLargeIcons);
  settings.WriteInt("General", "Flags", 0x30);  // list wins over large icons
  frame.Attach(&store, 0);
  EXPECT_EQ(face.mode, app::ListMode::kList);
}

TEST_F(MainFrameControllerTest, ByPortOnWithoutPrinterColumnsOffersTheColumnsPage) {
  frame.Attach(&store, 0);
  store.view.hasPrinterColumn = false;
  frame.RunCommand(cmd::kByPort);  // off: no question
  EXPECT_FALSE(store.portMode);
  EXPECT_TRUE(prompt.shown.empty());
  prompt.answers.push_back(platform::IDYES);
  frame.RunCommand(cmd::kByPort);
  EXPECT_TRUE(store.portMode);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text,
            "There are no printer columns included in the current view. Would you like to "
            "modify the columns?");
  EXPECT_EQ(store.calls.back(), "customize 4");
  // 0x8015 switches to by port only when it is off.
  Send(msg::kShowByPort);
  EXPECT_TRUE(store.portMode);
  EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(MainFrameControllerTest, EnablingTable) {
  frame.Attach(&store, 0);
  frame.SetCommandHandler(cmd::kVirtualPort, [] {});
  frame.SetCommandHandler(cmd::kReset, [] {});
  frame.SetCommandHandler(cmd::kMultiConfigure, [] {});
  frame.SetCommandHandler(cmd::kSearch, [] {});
  frame.SetCommandHandler(cmd::kSaveIpList, [] {});
  EXPECT_FALSE(frame.StateOf(cmd::kVirtualPort).enabled);  // the list has no focus
  face.listFocus = true;
  EXPECT_FALSE(frame.StateOf(cmd::kVirtualPort).enabled);  // nothing selected
  face.listSelection = true;
  EXPECT_TRUE(frame.StateOf(cmd::kVirtualPort).enabled);
  EXPECT_FALSE(frame.StateOf(cmd::kMultiConfigure).enabled);
  frame.RunCommand(cmd::kMultiSelect);
  EXPECT_TRUE(face.multi);
  EXPECT_FALSE(frame.StateOf(cmd::kVirtualPort).enabled);  // multi-selection: only Reset
  EXPECT_TRUE(frame.StateOf(cmd::kReset).enabled);
  EXPECT_TRUE(frame.StateOf(cmd::kMultiConfigure).enabled);
  frame.RunCommand(cmd::kStandardMode);
  EXPECT_FALSE(face.multi);

  EXPECT_TRUE(frame.StateOf(cmd::kSearch).enabled);
  EXPECT_TRUE(frame.StateOf(cmd::kSaveIpList).enabled);
  store.view.type = 7;
  EXPECT_TRUE(frame.StateOf(cmd::kSearch).enabled);
  EXPECT_FALSE(frame.StateOf(cmd::kSaveIpList).enabled);
  store.view.type = 8;
  EXPECT_FALSE(frame.StateOf(cmd::kSearch).enabled);

  // A command of a later part, without its handler, is shown disabled and does not run.
  EXPECT_FALSE(frame.StateOf(cmd::kNetworkInformation).enabled);
  EXPECT_FALSE(frame.RunCommand(cmd::kNetworkInformation));

  EXPECT_FALSE(frame.StateOf(cmd::kArrange).enabled);  // details
  frame.RunCommand(cmd::kList);
  EXPECT_TRUE(frame.StateOf(cmd::kList).checked);
  EXPECT_FALSE(frame.StateOf(cmd::kDetails).checked);
  EXPECT_TRUE(frame.StateOf(cmd::kArrange).enabled);
}

TEST_F(MainFrameControllerTest, BarsToggleAndReportTheirState) {
  EXPECT_TRUE(frame.StateOf(cmd::kToolBar).checked);
  frame.RunCommand(cmd::kToolBar);
  EXPECT_FALSE(frame.StateOf(cmd::kToolBar).checked);
  EXPECT_EQ(face.calls.back(), "bar 129 off");
  frame.RunCommand(cmd::kViewBar);
  EXPECT_EQ(face.calls.back(), "bar 154 off");
}

TEST_F(MainFrameControllerTest, TimerRefreshesOnlyWithoutDialogOrError) {
  frame.Attach(&store, 0);
  frame.OnStoreTimer(false);
  settings.WriteInt("Error", "ErrorExist", 1);
  frame.OnStoreTimer(true);
  EXPECT_TRUE(store.calls.empty());
  settings.WriteInt("Error", "ErrorExist", 0);
  frame.OnStoreTimer(true);
  EXPECT_EQ(store.calls, (std::vector<std::string>{"timer"}));
}

TEST_F(MainFrameControllerTest, CloseRebuildsTheLowByteOfFlagsReadAgain) {
  settings.WriteInt("General", "Flags", 0x01);
  frame.Attach(&store, 0);
  frame.RunCommand(cmd::kShowViewTree);  // shown
  frame.RunCommand(cmd::kMultiSelect);
  frame.RunCommand(cmd::kLargeIcons);
  // Meanwhile the options dialog set "start minimized".
  settings.WriteInt("General", "Flags", 0x101);
  frame.SaveOnClose({}, app::Rect{10, 20, 630, 460}, 170);
  EXPECT_EQ(settings.GetInt("General", "Flags", -1), 0x100 | 0x02 | 0x04 | 0x20);
  EXPECT_EQ(settings.GetInt("General", "Splitter", -1), 170);
  EXPECT_EQ(settings.GetInt("General", "Right", -1), 630);
  EXPECT_EQ(store.calls.front(), "stop");
}

TEST_F(MainFrameControllerTest, FrameCommandsReachTheWindow) {
  frame.RunCommand(cmd::kSelectAll);
  frame.RunCommand(cmd::kSelectNone);
  frame.RunCommand(cmd::kNextPane);
  frame.RunCommand(cmd::kTrayOpen);
  frame.RunCommand(cmd::kExit);
  EXPECT_EQ(face.calls,
            (std::vector<std::string>{"check all", "check none", "next pane", "raise", "close"}));
}

}  // namespace
