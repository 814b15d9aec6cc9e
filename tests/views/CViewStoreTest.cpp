#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "discovery/CPleaseWaitDlg.h"
#include "platform/FakeClock.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "views/CViewStore.h"
#include "views/FakeDeviceList.h"
#include "views/FakeStoreHost.h"
#include "views/ScriptedEngine.h"

namespace views {
namespace {

using discovery::test::ReplyFields;
using test::Device;
using test::FakeDeviceList;
using test::FakeStoreHost;
using test::Record;
using test::ScriptedEngine;
using test::ScriptedRecord;

constexpr const char* kLab = "Views\\Lab";
constexpr const char* kAllColumns = "System Name,IP Address,H/W Address,Port Name,Virtual Port";

struct Report {
  unsigned code;
  int errorClass;
};

class ViewStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddView(kLab, 6, 16);
    settings.WriteString(kLab, "Columns", kAllColumns);
    settings.WriteString(kLab, "Sort", ">IP Address");
    settings.WriteString("General", "CurrentView", "Lab");
  }

  void AddView(const std::string& path, int type, int icons) {
    settings.WriteInt(path, "Type", type);
    settings.WriteInt(path, "Icons", icons);
  }

  // Opens the store with every fake attached.
  void OpenStore() {
    store.SetPrompt(&prompt);
    store.SetErrorReport([this](unsigned code, int errorClass, unsigned, int, int) {
      reports.push_back({code, errorClass});
      return 0;
    });
    store.SetPortLookup(
        [](const std::string& hw, int port) { return hw == "00409D000002" && port == 1 ? 7 : -1; });
    ASSERT_EQ(store.Open(&host), CViewStore::kOpenOk);
    store.SetListControl(&list);
  }

  ScriptedEngine& Engine() { return *static_cast<ScriptedEngine*>(store.CurrentEngine()); }

  // A refresh that finds these devices and ends.
  void Search(const std::vector<ReplyFields>& devices) {
    store.Refresh();
    for (const ReplyFields& device : devices) store.AddDevice(Record(device));
    Engine().Finish();
    store.OnSearchDone();
  }

  std::vector<std::string> Names() const { return list.ColumnTexts(0); }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  int enginesMade = 0;
  CViewStore store{settings, [this](const CViewNode&) {
                     ++enginesMade;
                     return std::make_unique<ScriptedEngine>();
                   }};
  FakeStoreHost host;
  FakeDeviceList list;
  platform::ScriptedPrompt prompt;
  std::vector<Report> reports;
};

// ---- the tree ----

TEST_F(ViewStoreTest, OpenLoadsGroupsAndViewsAndSkipsIncompleteKeys) {
  AddView("Views\\Office", 2, 0x20005);  // image in the upper half: 2
  AddView("Views\\Far", 2, 0x40000);     // above 0x2FFFF: image 0
  AddView("Views\\Office\\Printers", 6, 17);
  AddView("Views\\Odd", 2, 0x10020);  // bit 0x10000: image 0
  settings.WriteInt("Views\\NoIcons", "Type", 6);
  settings.WriteString("Views", "First", "No");
  OpenStore();

  std::vector<std::string> names;
  for (CViewNode* node : store.Nodes()) names.push_back(node->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Views", "Lab", "Office", "Printers", "Far", "Odd"}));
  CViewNode* office = store.FindNode("OFFICE");
  ASSERT_NE(office, nullptr);
  EXPECT_TRUE(office->IsGroup());
  EXPECT_EQ(office->Icons(), 2);
  EXPECT_EQ(store.FindNode("Far")->Icons(), 0);
  EXPECT_EQ(store.FindNode("odd")->Icons(), 0);
  EXPECT_EQ(store.FindNode("Printers")->Parent(), office);
  EXPECT_EQ(store.FindNode("Printers")->Path(), "Views\\Office\\Printers");
  EXPECT_EQ(store.CurrentNode()->Name(), "Lab");
  EXPECT_EQ(enginesMade, 1);
}

TEST_F(ViewStoreTest, UnknownCurrentViewOpensTheFirstView) {
  settings.WriteString("General", "CurrentView", "Gone");
  AddView("Views\\Second", 6, 16);
  OpenStore();
  EXPECT_EQ(store.CurrentNode()->Name(), "Lab");
}

TEST_F(ViewStoreTest, NoViewAndTheUserDeclinesEndsTheStart) {
  settings.DeleteSection("Views");
  int wizards = 0;
  store.SetNewViewSheet([&](CViewNode&) -> CViewNode* {
    ++wizards;
    return nullptr;
  });
  store.SetPrompt(&prompt);
  prompt.QueueAnswer(platform::IDYES);
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_EQ(store.Open(&host), CViewStore::kOpenNoView);
  EXPECT_EQ(wizards, 2);
  ASSERT_EQ(prompt.Count(), 2u);
  EXPECT_NE(prompt.Records()[0].text.find("requires that a view be created"), std::string::npos);
}

TEST_F(ViewStoreTest, TheWizardsViewBecomesCurrent) {
  settings.DeleteSection("Views");
  store.SetNewViewSheet(
      [&](CViewNode& parent) { return store.AddNode(&parent, "Made", CViewNode::kTcpIpView, 16); });
  EXPECT_EQ(store.Open(&host), CViewStore::kOpenOk);
  EXPECT_EQ(store.CurrentNode()->Name(), "Made");
  EXPECT_EQ(settings.GetInt("Views\\Made", "Type", 0), 6);
  EXPECT_EQ(settings.GetInt("Views\\Made", "Icons", 0), 16);
}

TEST_F(ViewStoreTest, MoveIntoAGroupMovesTheKeyAndTheNode) {
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Spare", 6, 16);
  settings.WriteString("Views\\Spare", "Columns", "IP Address");
  OpenStore();
  CViewNode* spare = store.FindNode("Spare");
  CViewNode* office = store.FindNode("Office");
  EXPECT_EQ(store.MoveNode(spare, office), app::MOVEKEY_OK);
  EXPECT_EQ(spare->Parent(), office);
  EXPECT_EQ(office->Children().size(), 1u);
  EXPECT_EQ(settings.GetString("Views\\Office\\Spare", "Columns", ""), "IP Address");
  EXPECT_FALSE(settings.SectionExists("Views\\Spare"));
  EXPECT_TRUE(reports.empty());
}

TEST_F(ViewStoreTest, FailedMoveLeavesTheTreeAsTheSettingsHoldIt) {
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Spare", 6, 16);
  settings.WriteString("Views\\Office\\Spare", "Columns", "in the way");  // a key, but no node
  OpenStore();
  CViewNode* spare = store.FindNode("Spare");
  CViewNode* office = store.FindNode("Office");
  EXPECT_EQ(store.MoveNode(spare, office), app::MOVEKEY_DEST_EXISTS);
  EXPECT_EQ(spare->Parent(), store.Root());
  EXPECT_TRUE(office->Children().empty());
  EXPECT_EQ(spare->Path(), "Views\\Spare");
  EXPECT_TRUE(settings.SectionExists("Views\\Spare"));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].code, 5505u);
}

TEST_F(ViewStoreTest, MovesThatCannotBeAreRefusedWithoutTouchingTheSettings) {
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Office\\Inner", 2, 0);
  OpenStore();
  CViewNode* office = store.FindNode("Office");
  CViewNode* inner = store.FindNode("Inner");
  EXPECT_NE(store.MoveNode(office, inner), app::MOVEKEY_OK);  // below itself
  EXPECT_NE(store.MoveNode(inner, office), app::MOVEKEY_OK);  // already there
  EXPECT_NE(store.MoveNode(store.Root(), office), app::MOVEKEY_OK);
  EXPECT_NE(store.MoveNode(office, store.CurrentNode()), app::MOVEKEY_OK);  // into a view
  EXPECT_EQ(inner->Parent(), office);
  EXPECT_TRUE(settings.SectionExists("Views\\Office\\Inner"));
}

TEST_F(ViewStoreTest, MovingTheCurrentViewKeepsItsDefinitionInStep) {
  AddView("Views\\Office", 2, 0);
  OpenStore();
  ASSERT_EQ(store.MoveNode(store.CurrentNode(), store.FindNode("Office")), app::MOVEKEY_OK);
  store.SortBy("System Name", true);
  EXPECT_EQ(settings.GetString("Views\\Office\\Lab", "Sort", ""), "<System Name");
  EXPECT_FALSE(settings.SectionExists(kLab));
}

TEST_F(ViewStoreTest, RenameMovesTheKey) {
  OpenStore();
  EXPECT_EQ(store.RenameNode(store.CurrentNode(), "Bench"), app::MOVEKEY_OK);
  EXPECT_EQ(store.CurrentNode()->Name(), "Bench");
  EXPECT_EQ(settings.GetString("Views\\Bench", "Columns", ""), kAllColumns);
  EXPECT_NE(store.RenameNode(store.CurrentNode(), "a\\b"), app::MOVEKEY_OK);
}

TEST_F(ViewStoreTest, DeletingAGroupTakesItsSubtreeAndStopsItsSearches) {
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Office\\Printers", 6, 16);
  AddView("Views\\Office\\Inner", 2, 0);
  AddView("Views\\Office\\Inner\\Deep", 6, 16);
  OpenStore();
  store.SelectView(store.FindNode("Deep"), true, false);  // searching
  store.SelectView(store.FindNode("Lab"), false, false);
  EXPECT_FALSE(store.DeleteNode(store.CurrentNode()));
  EXPECT_FALSE(store.DeleteNode(store.Root()));
  EXPECT_TRUE(store.DeleteNode(store.FindNode("Office")));
  EXPECT_EQ(store.Nodes().size(), 2u);
  EXPECT_EQ(store.FindNode("Deep"), nullptr);
  EXPECT_FALSE(settings.SectionExists("Views\\Office"));
  EXPECT_EQ(store.Root()->Children().size(), 1u);
}

TEST_F(ViewStoreTest, AGroupHoldingTheCurrentViewIsNotDeleted) {
  AddView("Views\\Office", 2, 0);
  AddView("Views\\Office\\Printers", 6, 16);
  settings.WriteString("General", "CurrentView", "Printers");
  OpenStore();
  EXPECT_FALSE(store.DeleteNode(store.FindNode("Office")));
  EXPECT_TRUE(settings.SectionExists("Views\\Office\\Printers"));
}

TEST_F(ViewStoreTest, AddNodeRefusesBadAndTakenNames) {
  OpenStore();
  EXPECT_EQ(store.AddNode(store.Root(), "", 2, 0), nullptr);
  EXPECT_EQ(store.AddNode(store.Root(), "a\\b", 2, 0), nullptr);
  EXPECT_EQ(store.AddNode(store.Root(), "LAB", 2, 0), nullptr);
  EXPECT_EQ(store.AddNode(store.CurrentNode(), "Below", 2, 0), nullptr);
  CViewNode* group = store.AddNode(store.Root(), "Folder", 2, 6);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(settings.GetInt("Views\\Folder", "Icons", 0), 6);
}

// ---- rows ----

TEST_F(ViewStoreTest, RefreshTellsTheWindowClearsAndSearches) {
  OpenStore();
  store.Refresh();
  EXPECT_EQ(host.Count(CViewStore::kMsgSearchStarted), 1);
  EXPECT_EQ(Engine().searches, 1);
  EXPECT_TRUE(Engine().lastPlan.searchLocal);
  EXPECT_EQ(list.Titles(), (std::vector<std::string>{"System Name", "IP Address", "H/W Address",
                                                     "Port Name", "Virtual Port"}));
  EXPECT_EQ(list.arrowTitle, "IP Address");
  EXPECT_FALSE(list.arrowDescending);
}

TEST_F(ViewStoreTest, ServerModeHidesPerPortColumnsAndListsOneRowPerDevice) {
  OpenStore();
  store.SetPortMode(false);
  Search({Device(1, "one", 2)});
  EXPECT_EQ(list.Titles(), (std::vector<std::string>{"System Name", "IP Address", "H/W Address"}));
  ASSERT_EQ(list.GetRowCount(), 1);
  EXPECT_EQ(list.Row(0).itemData, 0u);
  EXPECT_EQ(list.Row(0).image, 6);  // good device
}

TEST_F(ViewStoreTest, PortModeListsEachPortWithItsOwnTexts) {
  OpenStore();
  Search({Device(2, "two", 2)});
  ASSERT_EQ(list.GetRowCount(), 2);
  EXPECT_EQ(list.Row(0).itemData, 0u);
  EXPECT_EQ(list.Row(1).itemData, 65536u);
  EXPECT_EQ(list.ColumnTexts(3), (std::vector<std::string>{"Port1", "Port2"}));
  // The bound COM port shows on its own port only.
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", "COM7"}));
  EXPECT_EQ(list.Row(0).image, 1);  // good port
}

TEST_F(ViewStoreTest, VirtualPortTextsFollowThePortTableInEveryKeptView) {
  AddView("Views\\Other", 6, 16);
  settings.WriteString("Views\\Other", "Columns", kAllColumns);
  OpenStore();
  int bound = 7;  // the COM number of device 2's second port; 0: none
  store.SetPortLookup([&bound](const std::string& hw, int port) {
    return hw == "00409D000002" && port == 1 && bound > 0 ? bound : -1;
  });
  Search({Device(2, "two", 2)});
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", "COM7"}));

  // The port is deleted while another view is shown: the kept list shows it gone.
  store.SelectView(store.FindNode("Other"), true, false);
  Search({Device(3, "three")});
  bound = 0;
  store.RefreshVirtualPorts();
  store.SelectView(store.FindNode("Lab"), true, false);
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", ""}));

  bound = 9;
  store.RefreshVirtualPorts();
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", "COM9"}));
}

TEST_F(ViewStoreTest, ADeviceQueriedAgainLosesTheTextOfADeletedPort) {
  OpenStore();
  bool bound = true;
  store.SetPortLookup([&bound](const std::string& hw, int port) {
    return bound && hw == "00409D000002" && port == 1 ? 7 : -1;
  });
  Search({Device(2, "two", 2)});
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", "COM7"}));
  auto* record = static_cast<ScriptedRecord*>(Engine().GetDevice(0));
  record->next = discovery::test::BuildReply(Device(2, "two", 2));
  list.SelectRow(1);
  platform::FakeClock clock;
  discovery::CPleaseWaitDlg wait(true, clock);
  store.SetWaitWindow(&wait);
  bound = false;
  EXPECT_EQ(store.RefreshOne(), discovery::kRecordOk);
  EXPECT_EQ(list.ColumnTexts(4), (std::vector<std::string>{"", ""}));
}

TEST_F(ViewStoreTest, DuplicatesAreDroppedAndRecordsOfViewsWithoutEngineFreed) {
  AddView("Views\\Netware", 7, 16);
  OpenStore();
  int deleted = 0;
  store.Refresh();
  store.AddDevice(Record(Device(1, "one"), &deleted));
  store.AddDevice(Record(Device(1, "one again"), &deleted));
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(list.GetRowCount(), 1);

  store.SelectView(store.FindNode("Netware"), true, false);
  EXPECT_EQ(store.CurrentEngine(), nullptr);
  store.AddDevice(Record(Device(3, "three"), &deleted));
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(list.GetRowCount(), 0);
}

TEST_F(ViewStoreTest, ViewWithoutEngineRefreshesNothingAndSaysSo) {
  AddView("Views\\Netware", 7, 16);
  settings.WriteString("Views\\Netware", "Columns", "IP Address");
  settings.WriteInt("Views\\Netware", "Refresh", 10);
  OpenStore();
  store.SelectView(store.FindNode("Netware"), false, false);
  const size_t boxes = prompt.Count();
  store.Refresh();
  ASSERT_EQ(prompt.Count(), boxes + 1);
  EXPECT_EQ(prompt.Records().back().text, "The  protocol could not be initialized.");
  EXPECT_EQ(host.Count(CViewStore::kMsgSearchStarted), 0);
  EXPECT_EQ(host.timerStarts, 0);
  store.OnTimer();
  store.SortBy("IP Address", true);
  EXPECT_EQ(store.RefreshOne(), -1);
  EXPECT_EQ(list.Titles(), (std::vector<std::string>{"System Name"}));
  EXPECT_EQ(list.arrowTitle, "");
}

TEST_F(ViewStoreTest, FilterKeepsOnlyMatchingRows) {
  settings.WriteString(kLab, "Filter", "System Name");
  settings.WriteString(kLab, "FilterValue", "*lab,x");
  OpenStore();
  store.SetPortMode(false);
  Search({Device(1, "mainlab"), Device(2, "office"), Device(3, "x")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"mainlab", "x"}));
}

TEST_F(ViewStoreTest, FindAndSelectListsADeviceTheFilterHidesAndSelectsIt) {
  settings.WriteString(kLab, "Filter", "System Name");
  settings.WriteString(kLab, "FilterValue", "*lab");
  OpenStore();
  store.SetPortMode(false);
  Search({Device(1, "mainlab"), Device(2, "office"), Device(3, "sidelab")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"mainlab", "sidelab"}));
  EXPECT_TRUE(store.FindAndSelect("sidelab"));
  EXPECT_EQ(list.GetSelectedRow(), 1);
  EXPECT_TRUE(store.FindAndSelect("10.0.0.2"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"mainlab", "sidelab", "office"}));
  EXPECT_EQ(list.GetSelectedRow(), 2);
  EXPECT_TRUE(store.FindAndSelect("office"));  // listed once only
  EXPECT_EQ(list.GetRowCount(), 3);
  EXPECT_FALSE(store.FindAndSelect("10.0.0.99"));
  EXPECT_EQ(list.GetSelectedRow(), 2);
}

TEST_F(ViewStoreTest, UnconfiguredViewListsOnlyUnconfiguredDevices) {
  AddView("Views\\Unconfigured Print Servers", 6, 16);
  settings.WriteString("General", "CurrentView", "Unconfigured Print Servers");
  OpenStore();
  store.SetPortMode(false);
  ReplyFields fresh = Device(9, "fresh");
  fresh.ip = {0, 0, 0, 0};
  Search({Device(1, "set up"), fresh});
  EXPECT_EQ(Names(), (std::vector<std::string>{"fresh"}));
}

// ---- sorting ----

TEST_F(ViewStoreTest, AddressColumnsSortAsNumbers) {
  OpenStore();
  store.SetPortMode(false);
  Search({Device(10, "ten"), Device(9, "nine"), Device(100, "hundred")});
  EXPECT_EQ(list.ColumnTexts(1), (std::vector<std::string>{"10.0.0.9", "10.0.0.10", "10.0.0.100"}));
  store.SortBy("IP Address", true);
  EXPECT_EQ(list.ColumnTexts(1), (std::vector<std::string>{"10.0.0.100", "10.0.0.10", "10.0.0.9"}));
  EXPECT_EQ(settings.GetString(kLab, "Sort", ""), "<IP Address");
  EXPECT_TRUE(list.arrowDescending);
}

TEST_F(ViewStoreTest, TextColumnsSortByBytes) {
  OpenStore();
  store.SetPortMode(false);
  store.SortBy("System Name", false);
  Search({Device(1, "abc"), Device(2, "XYZ"), Device(3, "Abc")});
  EXPECT_EQ(Names(), (std::vector<std::string>{"Abc", "XYZ", "abc"}));
}

TEST_F(ViewStoreTest, TiesStayInIndexOrderForTheFirstColumnsAndTurnForTheOthers) {
  settings.WriteString(kLab, "Columns", "System Name,Serial #,Product Type");
  OpenStore();
  store.SetPortMode(false);
  ReplyFields a = Device(1, "a");
  ReplyFields b = Device(2, "b");
  a.format = b.format = 3;  // the layout that carries the serial number as text
  a.serialText = b.serialText = "SN7";
  Search({a, b});  // equal Serial # and Product Type
  store.SortBy("Serial #", false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  store.SortBy("Serial #", true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  store.SortBy("Product Type", false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  store.SortBy("Product Type", true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "a"}));
}

TEST_F(ViewStoreTest, PerPortSortTakesEachRowsOwnPort) {
  OpenStore();
  store.SortBy("Port Name", true);
  ReplyFields device = Device(1, "one", 3);
  device.ports = {{0, 1, "B"}, {0, 1, "C"}, {0, 1, "A"}};
  Search({device});
  EXPECT_EQ(list.ColumnTexts(3), (std::vector<std::string>{"C", "B", "A"}));
}

TEST_F(ViewStoreTest, BareSortValueMeansNoSortAndNoArrow) {
  settings.WriteString(kLab, "Sort", "System Name");
  OpenStore();
  store.SetPortMode(false);
  Search({Device(2, "b"), Device(1, "a")});
  EXPECT_EQ(list.arrowTitle, "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "a"}));
}

// ---- selection, level ----

TEST_F(ViewStoreTest, SelectionIsKeptAcrossARefresh) {
  OpenStore();
  Search({Device(1, "one", 2), Device(2, "two", 2)});
  list.SelectRow(list.FindItemData(MakeItemData(1, 1)));
  Search({Device(2, "two", 2), Device(1, "one", 2)});  // found in the other order
  const int row = list.GetSelectedRow();
  ASSERT_GE(row, 0);
  EXPECT_EQ(list.ColumnTexts(0)[static_cast<size_t>(row)], "two");
  EXPECT_EQ(list.ColumnTexts(3)[static_cast<size_t>(row)], "Port2");
}

TEST_F(ViewStoreTest, SelectionFollowsTheDeviceIntoServerMode) {
  OpenStore();
  Search({Device(1, "one", 2), Device(2, "two", 2)});
  list.SelectRow(list.FindItemData(MakeItemData(1, 1)));
  store.SetPortMode(false);  // the view still shows per-port columns
  ASSERT_EQ(list.GetRowCount(), 2);
  EXPECT_EQ(Names()[static_cast<size_t>(list.GetSelectedRow())], "two");
}

TEST_F(ViewStoreTest, FirstRowSelectedWhenTheDeviceIsGone) {
  OpenStore();
  store.SetPortMode(false);
  Search({Device(1, "one"), Device(2, "two")});
  list.SelectRow(1);
  Search({Device(1, "one"), Device(3, "three")});
  EXPECT_EQ(list.GetSelectedRow(), 0);
}

TEST_F(ViewStoreTest, HighestLevelGoesToTheWindowOnlyWithAStatusColumn) {
  OpenStore();
  ReplyFields updating = Device(2, "updating");
  updating.generalStatus = "Entering Download Mode";
  Search({Device(1, "one"), updating});
  EXPECT_EQ(host.LastSent(CViewStore::kMsgStatusLevel), 1);
  settings.WriteString(kLab, "Columns", "System Name,Status");
  store.SelectView(store.CurrentNode(), false, true);
  Search({Device(1, "one"), updating});
  EXPECT_EQ(host.LastSent(CViewStore::kMsgStatusLevel), 4);
}

// ---- refresh timer ----

TEST_F(ViewStoreTest, FifteenSecondsRefreshEveryTwentySeconds) {
  settings.WriteInt(kLab, "Refresh", 15);
  OpenStore();
  Search({});
  EXPECT_TRUE(host.timerRunning);
  EXPECT_EQ(host.timerId, 26u);
  EXPECT_EQ(host.timerMs, 10000u);
  std::vector<int> searchesAfterTick;
  for (int tick = 0; tick < 6; ++tick) {
    store.OnTimer();
    searchesAfterTick.push_back(Engine().searches);
    Engine().Finish();
  }
  EXPECT_EQ(searchesAfterTick, (std::vector<int>{1, 2, 2, 3, 3, 4}));
}

TEST_F(ViewStoreTest, TenSecondsRefreshOnEveryTickAndZeroNeverStartsTheTimer) {
  settings.WriteInt(kLab, "Refresh", 10);
  AddView("Views\\Still", 6, 16);
  OpenStore();
  Search({});
  store.OnTimer();
  Engine().Finish();
  store.OnTimer();
  EXPECT_EQ(Engine().searches, 3);

  // Opened without a search, while the timer still runs for the view before: a tick does not
  // refresh this one, and stops the timer.
  Engine().Finish();
  store.SelectView(store.FindNode("Still"), false, false);
  EXPECT_TRUE(host.timerRunning);
  store.OnTimer();
  EXPECT_EQ(Engine().searches, 0);
  EXPECT_FALSE(host.timerRunning);
  store.Refresh();
  EXPECT_FALSE(host.timerRunning);
}

TEST_F(ViewStoreTest, TickDuringASearchIsSkipped) {
  settings.WriteInt(kLab, "Refresh", 10);
  OpenStore();
  store.Refresh();  // still searching
  store.OnTimer();
  store.OnTimer();
  EXPECT_EQ(Engine().searches, 1);
  EXPECT_FALSE(Engine().startedWhileBusy);
  Engine().Finish();
  store.OnTimer();
  EXPECT_EQ(Engine().searches, 2);
}

TEST_F(ViewStoreTest, RefreshStopsARunningSearchFirst) {
  OpenStore();
  store.Refresh();
  store.Refresh();
  EXPECT_EQ(Engine().searches, 2);
  EXPECT_EQ(Engine().stops, 1);
  EXPECT_FALSE(Engine().startedWhileBusy);
}

TEST_F(ViewStoreTest, TimerThatCannotBeMadeIsReported) {
  settings.WriteInt(kLab, "Refresh", 30);
  host.timerWorks = false;
  OpenStore();
  store.Refresh();
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Cannot set a timer.  Automatic refreshing will not happen.");
}

// ---- views ----

TEST_F(ViewStoreTest, ReturningToAViewShowsItsKeptListWithoutSearching) {
  AddView("Views\\Other", 6, 16);
  OpenStore();
  store.SetPortMode(false);
  Search({Device(1, "one"), Device(2, "two")});
  store.SelectView(store.FindNode("Other"), true, false);
  EXPECT_EQ(list.GetRowCount(), 0);
  EXPECT_EQ(settings.GetString("General", "CurrentView", ""), "Other");
  store.SelectView(store.FindNode("Lab"), true, false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(Engine().searches, 1);
  EXPECT_EQ(host.Count(CViewStore::kMsgViewSelected), 2);
  store.SelectView(store.FindNode("Lab"), true, false);  // already current: nothing
  EXPECT_EQ(host.Count(CViewStore::kMsgViewSelected), 2);
}

TEST_F(ViewStoreTest, LeavingAViewStopsItsSearch) {
  AddView("Views\\Other", 6, 16);
  OpenStore();
  store.Refresh();
  ScriptedEngine& lab = Engine();
  store.SelectView(store.FindNode("Other"), false, false);
  EXPECT_FALSE(lab.IsBusy());
  EXPECT_EQ(lab.stops, 1);
}

TEST_F(ViewStoreTest, LateMessagesOfAStoppedSearchChangeNothing) {
  OpenStore();
  store.SetPortMode(false);
  store.Refresh();
  store.Refresh();  // the first search stopped; its end is still on its way
  const int levels = host.Count(CViewStore::kMsgStatusLevel);
  EXPECT_FALSE(store.OnSearchDone());
  EXPECT_EQ(host.Count(CViewStore::kMsgStatusLevel), levels);
  Engine().Finish();
  EXPECT_TRUE(store.OnSearchDone());

  // A record of a view left while it searched does not join the view opened next.
  platform::FakeClock clock;
  discovery::CPleaseWaitDlg otherEngine(true, clock);
  int deleted = 0;
  auto stray = Record(Device(5, "stray"), &deleted);
  stray->SetWaitWindow(&otherEngine);
  store.AddDevice(std::move(stray));
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(Engine().DeviceCount(), 0);
  EXPECT_EQ(list.GetRowCount(), 0);
}

TEST_F(ViewStoreTest, RefreshOneQueriesInPlaceAndKeepsTheSelection) {
  OpenStore();
  store.SetPortMode(false);
  settings.WriteString(kLab, "Sort", ">System Name");
  store.SelectView(store.CurrentNode(), false, true);
  Search({Device(1, "b"), Device(2, "c")});
  auto* record = static_cast<ScriptedRecord*>(Engine().GetDevice(1));
  const auto renamed = discovery::test::BuildReply(Device(2, "a"));
  record->next = renamed;
  list.SelectRow(list.FindItemData(MakeItemData(1, 0)));

  platform::FakeClock clock;
  discovery::CPleaseWaitDlg wait(true, clock);
  store.SetWaitWindow(&wait);
  const int searches = Engine().searches;
  EXPECT_EQ(store.RefreshOne(), discovery::kRecordOk);
  EXPECT_EQ(record->queries, 1);
  EXPECT_EQ(record->waitDuringQuery, &wait);
  EXPECT_EQ(record->GetWaitWindow(), nullptr);
  EXPECT_EQ(Engine().searches, searches);
  EXPECT_EQ(Engine().DeviceCount(), 2);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Names()[static_cast<size_t>(list.GetSelectedRow())], "a");
}

TEST_F(ViewStoreTest, CustomizeHookDecidesBetweenSearchAndRebuild) {
  OpenStore();
  int result = CViewDefinition::kSaveColumnsOnly;
  store.SetCustomizeSheet([&](CViewNode& view, int page, CViewNode*&) {
    EXPECT_EQ(page, 3);
    EXPECT_EQ(&view, store.CurrentNode());
    return result;
  });
  store.Refresh();
  Engine().Finish();
  EXPECT_TRUE(store.CustomizeView(3));
  EXPECT_EQ(Engine().searches, 1);
  result = CViewDefinition::kSaveNeedsSearch;
  EXPECT_TRUE(store.CustomizeView(3));
  EXPECT_EQ(Engine().searches, 2);
  result = -1;
  EXPECT_FALSE(store.CustomizeView(3));
  ASSERT_EQ(host.posted.size(), 2u);
  EXPECT_EQ(host.posted[0].id, CViewStore::kMsgViewsChanged);
}

TEST_F(ViewStoreTest, ViewChosenInTheSheetBecomesCurrentAndIsSearched) {
  AddView("Views\\Second", 6, 16);
  OpenStore();
  CViewNode* lab = store.CurrentNode();
  CViewNode* second = store.FindNode("Second");
  ASSERT_NE(second, lab);
  CViewNode* endOn = second;
  int result = CViewDefinition::kSaveNoSearch;
  store.SetCustomizeSheet([&](CViewNode&, int, CViewNode*& chosen) {
    chosen = endOn;
    return result;
  });
  EXPECT_TRUE(store.CustomizeView(3));
  EXPECT_EQ(store.CurrentNode(), second);
  EXPECT_EQ(settings.GetString("General", "CurrentView", ""), "Second");
  EXPECT_EQ(Engine().searches, 1);
  Engine().Finish();
  // Cancelled after the selector moved: the current view stays.
  endOn = lab;
  result = -1;
  EXPECT_FALSE(store.CustomizeView(3));
  EXPECT_EQ(store.CurrentNode(), second);
}

TEST_F(ViewStoreTest, FolderMadeInACancelledSheetIsShown) {
  OpenStore();
  bool makeFolder = false;
  store.SetCustomizeSheet([&](CViewNode&, int, CViewNode*&) {
    if (makeFolder) store.AddNode(store.Root(), "Made", 2, 0);
    return -1;
  });
  EXPECT_FALSE(store.CustomizeView(3));
  EXPECT_TRUE(host.posted.empty());
  makeFolder = true;
  EXPECT_FALSE(store.CustomizeView(3));
  ASSERT_EQ(host.posted.size(), 1u);
  EXPECT_EQ(host.posted[0].id, CViewStore::kMsgViewsChanged);
}

// ---- the header ----

TEST_F(ViewStoreTest, ServerModeHeaderSaveKeepsPerPortColumnsInPlace) {
  settings.WriteString(kLab, "ColWidths", "0");
  OpenStore();
  store.SetPortMode(false);
  // The user dragged IP Address to the front and widened H/W Address.
  store.SaveListLayout({{discovery::kColIpAddress, 90},
                        {discovery::kColSystemName, 120},
                        {discovery::kColHwAddress, 150}});
  EXPECT_EQ(settings.GetString(kLab, "Columns", ""),
            "IP Address,System Name,H/W Address,Port Name,Virtual Port");
  const std::string widths = settings.GetString(kLab, "ColWidths", "");
  EXPECT_EQ(widths.substr(0, 11), "90,120,150,");
  EXPECT_EQ(store.Definition().GetColumn(0), discovery::kColIpAddress);
  EXPECT_EQ(store.Definition().ColumnCount(), 5);
}

TEST_F(ViewStoreTest, PortModeHeaderSaveTakesTheHeaderAsItIs) {
  OpenStore();
  store.SaveListLayout({{discovery::kColPortName, 80},
                        {discovery::kColSystemName, 100},
                        {discovery::kColIpAddress, 100},
                        {discovery::kColHwAddress, 100},
                        {discovery::kColVirtualPort, 60}});
  EXPECT_EQ(settings.GetString(kLab, "Columns", ""),
            "Port Name,System Name,IP Address,H/W Address,Virtual Port");
  EXPECT_EQ(settings.GetString(kLab, "ColWidths", ""), "Auto");
}

TEST_F(ViewStoreTest, DoubleClickCommandIsOneOfThree) {
  OpenStore();
  EXPECT_EQ(store.DoubleClickCommand(), 32774);
  settings.WriteInt("General", "DoubleClick", 32772);
  EXPECT_EQ(store.DoubleClickCommand(), 32772);
  settings.WriteInt("General", "DoubleClick", 32799);
  EXPECT_EQ(store.DoubleClickCommand(), 32799);
  settings.WriteInt("General", "DoubleClick", 32777);
  EXPECT_EQ(store.DoubleClickCommand(), 32774);
}

TEST_F(ViewStoreTest, InTheUnconfiguredViewADoubleClickAssignsAnAddress) {
  AddView("Views\\Unconfigured Print Servers", 6, 21);
  settings.WriteString("General", "CurrentView", "Unconfigured Print Servers");
  settings.WriteInt("General", "DoubleClick", 32772);
  OpenStore();
  ReplyFields fresh = Device(2, "fresh");
  fresh.ip = {0, 0, 0, 0};
  Search({fresh});
  ASSERT_EQ(list.GetRowCount(), 1);
  list.SelectRow(-1);
  EXPECT_FALSE(store.SelectedDeviceNeedsAddress());
  EXPECT_EQ(store.DoubleClickCommand(), 32772);  // nothing selected
  list.SelectRow(0);
  EXPECT_TRUE(store.SelectedDeviceNeedsAddress());
  EXPECT_EQ(store.DoubleClickCommand(), CViewStore::kCmdEnterIpAddress);
}

}  // namespace
}  // namespace views
