// The customize-view sheet and its pages without windows, against a store over an in-memory
// settings file: each mode's pages, what is saved when, the save result given back, the wizard's
// node made once, the page rules, and the Select a View dialog's delete rules.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "res/StringTable.h"
#include "views/CCustomizeViewPropSheet.h"
#include "views/CViewStore.h"
#include "views/ColumnsPageModel.h"
#include "views/CustomizeViewHooks.h"
#include "views/FakeStoreHost.h"
#include "views/FiltersPageModel.h"
#include "views/GeneralPageModel.h"
#include "views/ScriptedEngine.h"
#include "views/SelectViewController.h"

namespace views {
namespace {

using Sheet = CCustomizeViewPropSheet;
constexpr const char* kLab = "Views\\Lab";
constexpr const char* kDesk = "Views\\Desk";

class CustomizeSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddView(kLab, 6, 16);
    settings.WriteString(kLab, "Columns", "System Name,IP Address,Virtual Port,Port #");
    settings.WriteString(kLab, "Sort", "<IP Address");
    AddView(kDesk, 6, 17);
    AddView("Views\\Office", 2, 0);
    AddView("Views\\Novell", 7, 16);
    settings.WriteString("Views\\Novell", "Columns", "NW Name,Serial #");
    settings.WriteString("General", "CurrentView", "Lab");
    store.SetPrompt(&prompt);
    store.SetErrorReport([](unsigned, int, unsigned, int, int) { return 0; });
    ASSERT_EQ(store.Open(&host), CViewStore::kOpenOk);
  }
  void AddView(const std::string& path, int type, int icons) {
    settings.WriteInt(path, "Type", type);
    settings.WriteInt(path, "Icons", icons);
  }
  std::string Get(const std::string& section, const std::string& entry) {
    return settings.GetString(section, entry, "<none>");
  }
  CViewNode& Node(const std::string& name) { return *store.FindNode(name); }
  size_t Nodes() const { return store.Nodes().size(); }

  platform::RegistryStore registry{""};
  app::Settings settings{registry};
  CViewStore store{settings,
                   [](const CViewNode&) { return std::make_unique<test::ScriptedEngine>(); }};
  test::FakeStoreHost host;
  platform::ScriptedPrompt prompt;
};

// ---- modes and saves ----

TEST_F(CustomizeSheetTest, EachModeShowsItsPagesAndFirstPage) {
  const Sheet first(store, settings, Sheet::kModeFirstStart, *store.Root(), &prompt);
  EXPECT_EQ(first.Pages(),
            (std::vector<Sheet::Page>{Sheet::kWelcome, Sheet::kNewView, Sheet::kFilters,
                                      Sheet::kColumns, Sheet::kGeneral}));
  EXPECT_EQ(first.FirstPage(), Sheet::kWelcome);
  EXPECT_TRUE(first.IsWizard());
  const Sheet wizard(store, settings, Sheet::kModeNewView, *store.Root(), &prompt);
  EXPECT_EQ(wizard.Pages().front(), Sheet::kNewView);
  EXPECT_EQ(wizard.FirstPage(), Sheet::kNewView);
  const std::vector<Sheet::Page> customize{Sheet::kFilters, Sheet::kColumns, Sheet::kGeneral};
  const Sheet general(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  EXPECT_EQ(general.Pages(), customize);
  EXPECT_EQ(general.FirstPage(), Sheet::kGeneral);
  EXPECT_FALSE(general.IsWizard());
  EXPECT_EQ(Sheet(store, settings, 3, Node("Lab"), &prompt).FirstPage(), Sheet::kFilters);
  EXPECT_EQ(Sheet(store, settings, 7, Node("Lab"), &prompt).FirstPage(), Sheet::kColumns);
}

TEST_F(CustomizeSheetTest, PagesEditTheCopyAndOkSavesWithTheStrongestResult) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  GeneralPageModel general(sheet);
  std::string refusal;
  ASSERT_TRUE(general.Apply(true, true, "2", 16, Node("Lab").Parent(), &refusal));
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), -1);  // nothing saved before OK
  ColumnsPageModel columns(sheet.Copy(), 6);
  ASSERT_TRUE(columns.MoveUp(1));
  columns.Apply(sheet.Copy());
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_TRUE(sheet.SearchNeeded());
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), 120);
  EXPECT_EQ(Get(kLab, "Columns"), "IP Address,System Name,Virtual Port,Port #");
}

TEST_F(CustomizeSheetTest, OkWithoutChangesSavesNothingAndNeedsNoSearch) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeFilters, Node("Lab"), &prompt);
  GeneralPageModel general(sheet);
  ASSERT_TRUE(general.Apply(false, false, "", 16, Node("Lab").Parent(), nullptr));
  ColumnsPageModel(sheet.Copy(), 6).Apply(sheet.Copy());
  ASSERT_TRUE(FiltersPageModel(sheet.Copy(), 6, {}).Apply(sheet.Copy(), nullptr));
  const std::string before = registry.ExportText();
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNoSearch);
  EXPECT_FALSE(sheet.SearchNeeded());
  EXPECT_EQ(registry.ExportText(), before);
}

TEST_F(CustomizeSheetTest, TheSelectorAsksAndSavesOnYesOnlyAndKeepsTheStrongestResult) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  EXPECT_EQ(sheet.SelectableViews().size(), 3u);
  sheet.Copy().SetRefresh(60);
  prompt.QueueAnswer(platform::IDYES);
  sheet.SelectView(&Node("Desk"));
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "Do you want to save the settings?");
  EXPECT_EQ(prompt.Records()[0].caption, "Customize View");
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), 60);
  EXPECT_EQ(sheet.EditedView(), &Node("Desk"));

  sheet.Copy().SetRefresh(600);
  prompt.QueueAnswer(platform::IDNO);
  sheet.SelectView(&Node("Lab"));
  EXPECT_EQ(settings.GetInt(kDesk, "Refresh", -1), -1);
  EXPECT_EQ(sheet.Copy().GetRefresh(), 60);  // Lab as stored

  ColumnsPageModel columns(sheet.Copy(), 6);
  ASSERT_TRUE(columns.MoveDown(0));
  columns.Apply(sheet.Copy());
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNeedsSearch);  // 102 from the first save
  // A view without changes is left without a question.
  Sheet quiet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  quiet.SelectView(&Node("Desk"));
  EXPECT_EQ(prompt.Count(), 2u);
}

TEST_F(CustomizeSheetTest, AViewThatCannotLoadIsShownAsStoredButNeverSaved) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  sheet.SelectView(&Node("Novell"));
  EXPECT_FALSE(sheet.CanSave());
  EXPECT_EQ(sheet.Copy().ColumnCount(), 2);  // its own columns, not Lab's
  EXPECT_EQ(GeneralPageModel(sheet).ProtocolText(), "NetWare");
  const std::string before = registry.ExportText();
  sheet.Copy().SetRefresh(300);
  sheet.SetPlacement(20, &Node("Office"));
  sheet.SelectView(&Node("Lab"));  // no question: nothing could be saved
  EXPECT_EQ(prompt.Count(), 0u);
  sheet.SelectView(&Node("Novell"));
  sheet.Copy().SetRefresh(300);
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNoSearch);
  EXPECT_EQ(registry.ExportText(), before);
}

TEST_F(CustomizeSheetTest, PlacementMovesTheViewOnOkOnly) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Desk"), &prompt);
  GeneralPageModel general(sheet);
  EXPECT_EQ(general.SelectedImage(), 17);
  ASSERT_TRUE(general.Apply(false, false, "", 19, &Node("Office"), nullptr));
  EXPECT_EQ(Node("Desk").Parent(), store.Root());
  sheet.Ok();
  EXPECT_EQ(Node("Desk").Path(), "Views\\Office\\Desk");
  EXPECT_EQ(settings.GetInt("Views\\Office\\Desk", "Icons", -1), 19);
  EXPECT_FALSE(settings.SectionExists(kDesk));
}

// ---- the wizard ----

TEST_F(CustomizeSheetTest, NextBackNextMakesOneNodeAndCancelDeletesIt) {
  const size_t before = Nodes();
  Sheet sheet(store, settings, Sheet::kModeNewView, Node("Office"), &prompt);
  ASSERT_TRUE(sheet.NewViewNext("Fresh", 6));
  ASSERT_TRUE(sheet.NewViewNext("Fresh", 6));
  EXPECT_EQ(Nodes(), before + 1);
  EXPECT_EQ(sheet.EditedView()->Path(), "Views\\Office\\Fresh");
  sheet.Cancel();
  EXPECT_EQ(Nodes(), before);
  EXPECT_EQ(sheet.GetNewNode(), nullptr);
  EXPECT_FALSE(settings.SectionExists("Views\\Office\\Fresh"));
}

TEST_F(CustomizeSheetTest, FinishSavesWhatThePagesSetIntoTheNewView) {
  Sheet sheet(store, settings, Sheet::kModeNewView, *store.Root(), &prompt);
  EXPECT_FALSE(sheet.NewViewNext("lab", 6));
  ASSERT_EQ(prompt.Count(), 1u);
  EXPECT_EQ(prompt.Records()[0].text, "A view or group with that name already exists.");
  ASSERT_TRUE(sheet.NewViewNext("Fresh", 6));
  ASSERT_TRUE(GeneralPageModel(sheet).Apply(true, true, "1.5", 18, store.Root(), nullptr));
  ASSERT_TRUE(sheet.Finish("Fresh", 6, false));
  ASSERT_NE(sheet.GetNewNode(), nullptr);
  EXPECT_EQ(sheet.GetNewNode()->Name(), "Fresh");
  EXPECT_TRUE(sheet.SearchNeeded());
  EXPECT_EQ(settings.GetInt("Views\\Fresh", "Refresh", -1), 90);
  EXPECT_EQ(settings.GetInt("Views\\Fresh", "Icons", -1), 18);
  EXPECT_EQ(Get("Views\\Fresh", "Columns"),
            "System Name,IP Address,H/W Address,Virtual Port,Port #");
}

TEST_F(CustomizeSheetTest, FinishWithDefaultSettingsFilesTheViewInTheTcpIpGroup) {
  Sheet sheet(store, settings, Sheet::kModeFirstStart, *store.Root(), &prompt);
  ASSERT_TRUE(sheet.Finish("First", 6, true));
  EXPECT_EQ(sheet.GetNewNode()->Path(), "Views\\TCP/IP\\First");
  EXPECT_EQ(Get("Views\\TCP/IP\\First", "Sort"), ">System Name");
}

// ---- page rules ----

TEST_F(CustomizeSheetTest, RefreshMinutesFrom0To10080) {
  int seconds = -1;
  EXPECT_TRUE(GeneralPageModel::ParseMinutes("1.5", &seconds));
  EXPECT_EQ(seconds, 90);
  EXPECT_TRUE(GeneralPageModel::ParseMinutes("0.01", &seconds));
  EXPECT_EQ(seconds, 0);
  EXPECT_TRUE(GeneralPageModel::ParseMinutes(" 10080 ", &seconds));
  EXPECT_EQ(seconds, 604800);
  EXPECT_TRUE(GeneralPageModel::ParseMinutes(".5", &seconds));
  EXPECT_EQ(seconds, 30);
  for (const char* bad : {"10081", "10080.5", "-1", "", ".", "2 min", "1e3", "99999999999"}) {
    EXPECT_FALSE(GeneralPageModel::ParseMinutes(bad, &seconds)) << bad;
  }
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  GeneralPageModel general(sheet);
  std::string refusal;
  EXPECT_FALSE(general.Apply(true, true, "20000", 16, store.Root(), &refusal));
  EXPECT_EQ(refusal, GeneralPageModel::kRefreshRefused);
  EXPECT_FALSE(sheet.HasChanges());
  sheet.Copy().SetRefresh(90);
  EXPECT_EQ(general.RefreshMinutesText(), "1.5");
}

TEST_F(CustomizeSheetTest, ColumnsKeepTheRequiredOnesAndTheSortDirection) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Lab"), &prompt);
  ColumnsPageModel columns(sheet.Copy(), 6);
  std::string refusal;
  EXPECT_FALSE(columns.Remove(2, &refusal));  // Virtual Port
  EXPECT_EQ(refusal, ColumnsPageModel::kRequiredColumn);
  EXPECT_FALSE(columns.Remove(-1, &refusal));
  EXPECT_EQ(refusal, "There is no column selected.");
  EXPECT_FALSE(columns.Add(-1, -1, 0, &refusal));
  ASSERT_FALSE(columns.ServerColumns().empty());
  ASSERT_TRUE(columns.Add(0, -1, 0, nullptr));  // below System Name
  columns.Apply(sheet.Copy());
  EXPECT_TRUE(sheet.Copy().IsSortDescending());  // same sort column: direction kept

  ColumnsPageModel again(sheet.Copy(), 6);
  ASSERT_TRUE(again.Remove(2, nullptr));  // IP Address, the sort column
  EXPECT_EQ(again.SortColumn(), discovery::kColSystemName);
  again.Apply(sheet.Copy());
  EXPECT_FALSE(sheet.Copy().IsSortDescending());
  sheet.Ok();
  EXPECT_EQ(Get(kLab, "Sort"), ">System Name");
}

TEST_F(CustomizeSheetTest, TheLastColumnStaysAndKeepsTheSort) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeGeneral, Node("Novell"), &prompt);
  ColumnsPageModel columns(sheet.Copy(), 7);
  ASSERT_EQ(columns.Displayed().size(), 2u);
  ASSERT_TRUE(columns.Remove(0, nullptr));  // NW Name; Serial # is left
  const int last = columns.Displayed().front();
  columns.SetSortColumn(last);
  std::string refusal;
  EXPECT_FALSE(columns.Remove(0, &refusal));
  EXPECT_EQ(refusal, res::LoadString(ColumnsPageModel::kMsgOneColumnNeeded));
  EXPECT_EQ(columns.Displayed(), std::vector<int>{last});
  EXPECT_EQ(columns.SortColumn(), last);
}

TEST_F(CustomizeSheetTest, ASerialViewAddsThePortChosenATcpIpViewAnEntry) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeFilters, Node("Lab"), &prompt);
  EXPECT_FALSE(FiltersPageModel(sheet.Copy(), 6, {}).AddsPort());
  FiltersPageModel serial(sheet.Copy(), 8, {});
  EXPECT_TRUE(serial.AddsPort());
  const std::vector<std::string> ports = FiltersPageModel::PortChoices();
  ASSERT_EQ(ports.size(), 255u);
  EXPECT_EQ(ports.front(), "COM1");  // the list starts on it
  EXPECT_EQ(ports.back(), "COM255");
  serial.AddEntry(ports[2]);
  serial.AddEntry("");  // nothing chosen adds nothing
  EXPECT_EQ(serial.Entries(), (std::vector<std::string>{"COM3"}));
}

TEST_F(CustomizeSheetTest, FilterValuesStoreCommasAsStarsAndAreLimitedTo30) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeFilters, Node("Lab"), &prompt);
  std::vector<std::string> listed;
  for (int i = 0; i < 31; ++i) listed.push_back("Type " + std::to_string(i));
  listed.push_back("Printer, Serial");
  FiltersPageModel filters(sheet.Copy(), 6, [&](int) { return listed; });
  filters.ChooseFilterColumn(discovery::kColProductType);
  EXPECT_EQ(filters.OfferedValues().size(), 32u);
  std::vector<std::string> many(listed.begin(), listed.begin() + 31);
  filters.SetSelectedValues(many);
  std::string refusal;
  EXPECT_FALSE(filters.Apply(sheet.Copy(), &refusal));
  EXPECT_EQ(refusal, FiltersPageModel::kTooManyValues);
  EXPECT_FALSE(sheet.HasChanges());
  filters.SetSelectedValues(std::vector<std::string>(listed.begin(), listed.begin() + 30));
  EXPECT_TRUE(filters.Apply(sheet.Copy(), &refusal));  // exactly at the limit
  filters.SetSelectedValues({"Type 1", "Printer, Serial"});
  ASSERT_TRUE(filters.Apply(sheet.Copy(), &refusal));
  sheet.Ok();
  EXPECT_EQ(Get(kLab, "Filter"), "Product Type");
  EXPECT_EQ(Get(kLab, "FilterValue"), "Type 1,Printer* Serial");

  Sheet reopened(store, settings, Sheet::kModeCustomizeFilters, Node("Lab"), &prompt);
  FiltersPageModel shown(reopened.Copy(), 6, [&](int) { return listed; });
  EXPECT_EQ(shown.SelectedValues(), (std::vector<std::string>{"Type 1", "Printer, Serial"}));
  FiltersPageModel empty(reopened.Copy(), 6, [](int) { return std::vector<std::string>{}; });
  EXPECT_EQ(empty.Note().rfind("Value list empty.", 0), 0u);
}

TEST_F(CustomizeSheetTest, SearchesMustFindSomething) {
  Sheet sheet(store, settings, Sheet::kModeCustomizeFilters, Node("Lab"), &prompt);
  FiltersPageModel filters(sheet.Copy(), 6, {});
  std::string refusal;
  filters.SetSearchLocal(false);
  EXPECT_FALSE(filters.CheckLeave(&refusal));
  EXPECT_EQ(refusal, "No Search Filters were specified.");
  filters.SetSearchList(true);
  EXPECT_FALSE(filters.CheckLeave(&refusal));
  EXPECT_EQ(refusal.rfind("No devices specified.", 0), 0u);
  EXPECT_FALSE(filters.DeleteEntry(0, &refusal));
  EXPECT_EQ(refusal, "There is no address selected.");
  filters.AddEntry("10.0.0.*");
  ASSERT_TRUE(filters.Apply(sheet.Copy(), &refusal));
  filters.ChooseFilterColumn(discovery::kColSystemName);
  EXPECT_EQ(filters.EditText(), "*");
  EXPECT_EQ(sheet.Ok(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_EQ(Get(kLab, "dev0"), "10.0.0.*");
  EXPECT_EQ(settings.GetInt(kLab, "NetSearchBuild", -1), 0);
}

// ---- Select a View ----

TEST_F(CustomizeSheetTest, SelectAViewOffersDeleteOnlyWhereItMayAndAsksFirst) {
  SelectViewController dialog(store, &host, &prompt);
  EXPECT_EQ(dialog.Reason(), "There is no view selected.");
  dialog.Select(store.Root());
  EXPECT_EQ(dialog.Reason(), "That view cannot be deleted.");
  dialog.Select(&Node("Lab"));
  EXPECT_EQ(dialog.Reason().rfind("The selected view is currently open", 0), 0u);
  EXPECT_FALSE(dialog.Delete());
  dialog.Select(&Node("Desk"));
  EXPECT_TRUE(dialog.CanDelete());
  EXPECT_EQ(dialog.Reason(), "");
  prompt.QueueAnswer(platform::IDNO);
  EXPECT_FALSE(dialog.Delete());
  EXPECT_EQ(prompt.Records().back().text, "Delete the view \"Desk\"?");
  prompt.QueueAnswer(platform::IDYES);
  EXPECT_TRUE(dialog.Delete());
  EXPECT_EQ(store.FindNode("Desk"), nullptr);
  EXPECT_FALSE(settings.SectionExists(kDesk));
  EXPECT_EQ(dialog.Selected(), store.Root());
  ASSERT_EQ(host.posted.size(), 1u);
  EXPECT_EQ(host.posted[0].id, CViewStore::kMsgViewsChanged);
  EXPECT_EQ(dialog.NewViewParent(), store.Root());
}

}  // namespace
}  // namespace views

namespace views {
namespace {

// ---- the store's hooks ----

TEST_F(CustomizeSheetTest, TheHooksRunTheSheetForTheStore) {
  int runs = 0;
  CustomizeViewHooks::Connect(
      store, settings,
      [&runs](Sheet& sheet) {
        ++runs;
        if (sheet.IsWizard()) return sheet.NewViewNext("Made", 6) && sheet.Finish("Made", 6, false);
        sheet.Copy().SetRefresh(30);
        return true;
      },
      &prompt);
  EXPECT_TRUE(store.CustomizeView(Sheet::kModeCustomizeGeneral));
  EXPECT_EQ(settings.GetInt(kLab, "Refresh", -1), 30);
  CViewNode* made = store.NewView(store.Root(), false);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Name(), "Made");
  EXPECT_EQ(store.CurrentNode(), made);
  EXPECT_EQ(runs, 2);
}

TEST_F(CustomizeSheetTest, CancelAfterAYesStillTellsTheStoreWhatWasSaved) {
  CustomizeViewHooks::Connect(
      store, settings,
      [this](Sheet& sheet) {
        sheet.Copy().SetRefresh(600);
        prompt.QueueAnswer(platform::IDYES);
        sheet.SelectView(&Node("Desk"));
        return false;  // then Cancel
      },
      &prompt);
  EXPECT_TRUE(store.CustomizeView(Sheet::kModeCustomizeGeneral));
  EXPECT_EQ(store.Definition().GetRefresh(), 600);  // the store reloaded the saved view
  CustomizeViewHooks::Connect(
      store, settings, [](Sheet&) { return false; }, &prompt);
  EXPECT_FALSE(store.CustomizeView(Sheet::kModeCustomizeGeneral));
}

TEST_F(CustomizeSheetTest, ACancelledWizardLeavesNoNode) {
  const size_t before = Nodes();
  CustomizeViewHooks::Connect(
      store, settings, [](Sheet& sheet) { return !sheet.NewViewNext("Gone", 6); }, &prompt);
  EXPECT_EQ(store.NewView(store.Root(), false), nullptr);
  EXPECT_EQ(Nodes(), before);
  EXPECT_FALSE(settings.SectionExists("Views\\Gone"));
}

}  // namespace
}  // namespace views
