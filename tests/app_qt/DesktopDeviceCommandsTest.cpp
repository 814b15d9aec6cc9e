// Reset Server and Network Information as the main window runs them: the search is stopped first,
// and the reset goes to the device of the row the user picked, also when the row was picked while
// a search ran (a stopped search selects again the row it remembered when it began); the stop that
// every command begins with leaves the picked row selected. The view store runs over a scripted
// engine and the test's list; the dialogs are runners that record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/DesktopDeviceCommands.h"
#include "app/FrameIds.h"
#include "app_qt/ScriptedListFixture.h"
#include "discovery/CDeviceColumnTable.h"
#include "views/CViewNode.h"

namespace {

namespace cmd = app::cmd;
using views::test::Device;

constexpr const char* kLab = "Views\\Lab";

class DesktopDeviceCommandsTest : public ScriptedListFixture {
 protected:
  DesktopDeviceCommandsTest() {
    settings_.WriteInt(kLab, "Type", 6);
    settings_.WriteInt(kLab, "Icons", 16);
    settings_.WriteString(kLab, "Columns", "System Name,IP Address,H/W Address");
    settings_.WriteString("General", "CurrentView", "Lab");
    OpenStore();

    app::DesktopDeviceCommands::Runners runners;
    runners.networkInformation = [this] {
      searchingAtDialog_.push_back(Engine().IsBusy());
      ++networkDialogs_;
    };
    runners.reset = [this](discovery::CDeviceRecord& record, const views::CViewNode& view) {
      searchingAtDialog_.push_back(Engine().IsBusy());
      resets_.push_back(record.GetColumnText(discovery::kColHwAddress));
      resetViews_.push_back(view.Name());
    };
    commands_ = std::make_unique<app::DesktopDeviceCommands>(frame_, store_, std::move(runners));
  }

  // A search that finds these devices and ends; the store selects a row at its end.
  void Searched(const std::vector<discovery::test::ReplyFields>& devices) {
    Searching(devices);
    Engine().Finish();
    ASSERT_TRUE(store_.OnSearchDone());
  }
  std::string SelectedHw() const {
    const discovery::CDeviceRecord* record = store_.SelectedDevice();
    const char* hw = record != nullptr ? record->GetColumnText(discovery::kColHwAddress) : nullptr;
    return hw != nullptr ? hw : "";
  }

  std::unique_ptr<app::DesktopDeviceCommands> commands_;
  std::vector<std::string> resets_;      // the H/W address of each device the reset went to
  std::vector<std::string> resetViews_;  // and the view it was listed in
  std::vector<bool> searchingAtDialog_;  // whether a search still ran when a runner started
  int networkDialogs_ = 0;
};

TEST_F(DesktopDeviceCommandsTest, ResetGoesToTheRowPickedWhileASearchRan) {
  const std::vector<discovery::test::ReplyFields> devices = {Device(1, "one"), Device(2, "two"),
                                                             Device(3, "three")};
  Searched(devices);
  ASSERT_EQ(SelectedHw(), "00409D000001");  // the first row, selected at the end
  // F5: the search remembers that row and lists the devices anew; the user picks another.
  Searching(devices);
  ASSERT_TRUE(Engine().IsBusy());
  Select(2);
  ASSERT_EQ(SelectedHw(), "00409D000003");

  ASSERT_TRUE(frame_.RunCommand(cmd::kReset));
  EXPECT_EQ(Engine().stops, 1);
  EXPECT_EQ(searchingAtDialog_, std::vector<bool>{false});  // stopped before any device traffic
  EXPECT_EQ(resets_, std::vector<std::string>{"00409D000003"});
  EXPECT_EQ(resetViews_, std::vector<std::string>{"Lab"});
  EXPECT_EQ(list_.GetSelectedRow(), 2);  // and the list still shows the row picked
}

TEST_F(DesktopDeviceCommandsTest, ResetGoesToTheRowPickedAfterTheSearchEnded) {
  Searched({Device(1, "one"), Device(2, "two"), Device(3, "three")});
  const int first = list_.GetSelectedRow();
  ASSERT_GE(first, 0);
  std::vector<std::string> picked;
  for (int row : {(first + 1) % 3, (first + 2) % 3}) {
    Select(row);
    picked.push_back(SelectedHw());
    ASSERT_TRUE(frame_.RunCommand(cmd::kReset));
    EXPECT_EQ(list_.GetSelectedRow(), row);
  }
  EXPECT_EQ(resets_, picked);
  EXPECT_EQ(Engine().stops, 0);  // nothing ran to be stopped
}

TEST_F(DesktopDeviceCommandsTest, ResetIsOfferedOnlyWithARowAndResetsNothingWithoutOne) {
  Searching({});
  EXPECT_FALSE(frame_.StateOf(cmd::kReset).enabled);
  EXPECT_FALSE(frame_.RunCommand(cmd::kReset));

  // The window still says a row is selected, but the list has none: nothing is reset.
  face_.listFocus = face_.listSelection = true;
  ASSERT_TRUE(frame_.RunCommand(cmd::kReset));
  EXPECT_FALSE(Engine().IsBusy());
  EXPECT_TRUE(resets_.empty());
}

TEST_F(DesktopDeviceCommandsTest, NetworkInformationStopsTheSearchBeforeItsDialog) {
  Searching({Device(1, "one")});
  ASSERT_TRUE(frame_.RunCommand(cmd::kNetworkInformation));
  EXPECT_EQ(networkDialogs_, 1);
  EXPECT_EQ(searchingAtDialog_, std::vector<bool>{false});
  EXPECT_TRUE(resets_.empty());
}

TEST_F(DesktopDeviceCommandsTest, NetworkInformationLeavesTheRowPickedSelected) {
  const std::vector<discovery::test::ReplyFields> devices = {Device(1, "one"), Device(2, "two")};
  Searched(devices);
  Searching(devices);
  Select(1);
  const std::string picked = SelectedHw();
  ASSERT_TRUE(frame_.RunCommand(cmd::kNetworkInformation));
  EXPECT_EQ(networkDialogs_, 1);
  // What the user does next (HTTP Session, which stops nothing) goes to the row shown.
  EXPECT_EQ(list_.GetSelectedRow(), 1);
  EXPECT_EQ(SelectedHw(), picked);
}

// Refresh (F5) and Stop (Esc) begin with the same stop as the device commands.
TEST_F(DesktopDeviceCommandsTest, AStoppedSearchKeepsThePickAndARefreshAfterTheStopKeepsIt) {
  const std::vector<discovery::test::ReplyFields> devices = {Device(1, "one"), Device(2, "two"),
                                                             Device(3, "three")};
  Searched(devices);
  const int first = list_.GetSelectedRow();
  Searching(devices);
  Select((first + 1) % 3);
  const std::string duringSearch = SelectedHw();
  frame_.StopSearch();
  EXPECT_EQ(SelectedHw(), duringSearch);

  Select((first + 2) % 3);
  const std::string afterSearch = SelectedHw();
  ASSERT_NE(afterSearch, duringSearch);
  frame_.StopSearch();  // F5: the stop, then the refresh, which keeps the selected row
  Searched(devices);
  EXPECT_EQ(SelectedHw(), afterSearch);
  // With no row selected the stop selects the remembered one again, as the end of a search does.
  list_.SelectRow(-1);
  frame_.StopSearch();
  EXPECT_EQ(SelectedHw(), afterSearch);
}

TEST_F(DesktopDeviceCommandsTest, TheCommandsLeaveTheWindowWithTheObject) {
  commands_.reset();
  EXPECT_FALSE(frame_.HasHandler(cmd::kReset));
  EXPECT_FALSE(frame_.HasHandler(cmd::kNetworkInformation));
  EXPECT_FALSE(frame_.StateOf(cmd::kNetworkInformation).enabled);
}

}  // namespace
