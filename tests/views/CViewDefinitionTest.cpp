#include <gtest/gtest.h>

#include "app/Settings.h"
#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/ReplyBuilder.h"
#include "platform/RegistryStore.h"
#include "views/CViewDefinition.h"

namespace views {
namespace {

using discovery::CDeviceColumnTable;

constexpr const char* kView = "Views\\Lab";

class ViewDefinitionTest : public ::testing::Test {
 protected:
  platform::RegistryStore store{""};
  app::Settings settings{store};
  CDeviceColumnTable table;
  CViewDefinition view{settings, table};

  std::string Get(const std::string& entry) { return settings.GetString(kView, entry, "<none>"); }
  void Put(const std::string& entry, const std::string& value) {
    settings.WriteString(kView, entry, value);
  }
};

TEST_F(ViewDefinitionTest, DefaultsWhenNothingIsStored) {
  EXPECT_TRUE(view.Load(kView));
  EXPECT_EQ(view.Name(), "Lab");
  EXPECT_EQ(view.ColumnCount(), 1);
  EXPECT_EQ(view.GetColumn(0), discovery::kColSystemName);
  EXPECT_EQ(view.GetColumn(1), 255);
  EXPECT_EQ(view.GetSortColumn(), 0);
  EXPECT_FALSE(view.IsSortDescending());
  EXPECT_EQ(view.GetFilterColumn(), 255);
  EXPECT_EQ(view.GetRefresh(), 0);
  EXPECT_TRUE(view.GetSearchLocal());
  EXPECT_FALSE(view.GetSearchList());
  EXPECT_TRUE(view.SearchEntries().empty());
  EXPECT_TRUE(view.FitColumns(false, false));
  EXPECT_FALSE(view.IsChanged());
}

TEST_F(ViewDefinitionTest, OtherViewTypesDoNotLoad) {
  EXPECT_FALSE(view.Load(kView, 7));
}

TEST_F(ViewDefinitionTest, ReadsEveryValue) {
  Put("Columns", "System Name,IP Address,Port Name");
  Put("ColWidths", "150,90,1");
  Put("Sort", "<IP Address");
  Put("Filter", "IP Address");
  Put("FilterValue", "192.168.*,10.0.0.1");
  settings.WriteInt(kView, "Refresh", 15);
  settings.WriteInt(kView, "NetSearchBuild", 0);
  settings.WriteInt(kView, "ListBuild", 1);
  Put("dev0", "10.0.0.*");
  Put("dev1", "Multicast<5>");
  ASSERT_TRUE(view.Load(kView));
  EXPECT_EQ(view.ColumnCount(), 3);
  EXPECT_EQ(view.GetColumn(1), discovery::kColIpAddress);
  EXPECT_EQ(view.GetColumn(2), discovery::kColPortName);
  EXPECT_FALSE(view.FitColumns(false, false));
  EXPECT_EQ(view.ColumnWidth(0), 150);
  EXPECT_EQ(view.ColumnWidth(1), 90);
  EXPECT_EQ(view.ColumnWidth(2), 0);  // 1 is not above 1
  EXPECT_EQ(view.GetSortColumn(), discovery::kColIpAddress);
  EXPECT_TRUE(view.IsSortDescending());
  EXPECT_EQ(view.GetFilterColumn(), discovery::kColIpAddress);
  EXPECT_EQ(view.FilterValues(), (std::vector<std::string>{"192.168.*", "10.0.0.1"}));
  EXPECT_EQ(view.GetRefresh(), 15);
  EXPECT_FALSE(view.GetSearchLocal());
  EXPECT_TRUE(view.GetSearchList());
  EXPECT_EQ(view.SearchEntries(), (std::vector<std::string>{"10.0.0.*", "Multicast<5>"}));
  EXPECT_TRUE(view.HasPerPortColumn());
  EXPECT_FALSE(view.HasWirelessColumn());
  const discovery::SearchPlan plan = view.MakeSearchPlan();
  EXPECT_FALSE(plan.searchLocal);
  EXPECT_TRUE(plan.searchList);
  EXPECT_TRUE(plan.extendedQuery);
  EXPECT_EQ(plan.entries.size(), 2u);
}

TEST_F(ViewDefinitionTest, UnknownColumnTitleEndsTheList) {
  Put("Columns", "System Name,Nonsense,IP Address");
  view.Load(kView);
  EXPECT_EQ(view.ColumnCount(), 1);
  EXPECT_FALSE(view.HasColumn(discovery::kColIpAddress));
}

TEST_F(ViewDefinitionTest, OnlyUnknownTitlesGiveSystemName) {
  Put("Columns", "Nonsense,More Nonsense");
  view.Load(kView);
  ASSERT_EQ(view.ColumnCount(), 1);
  EXPECT_EQ(view.GetColumn(0), discovery::kColSystemName);
}

TEST_F(ViewDefinitionTest, TitlesMatchCaseSensitively) {
  Put("Columns", "System Name,ip address");
  view.Load(kView);
  EXPECT_EQ(view.ColumnCount(), 1);
}

TEST_F(ViewDefinitionTest, SortWithoutDirectionLosesItsFirstCharacter) {
  Put("Sort", "IP Address");
  view.Load(kView);
  EXPECT_EQ(view.GetSortColumn(), 255);
  EXPECT_FALSE(view.IsSortDescending());
}

TEST_F(ViewDefinitionTest, AutoWidthsMeanFitting) {
  Put("ColWidths", "Auto");
  view.Load(kView);
  EXPECT_TRUE(view.FitColumns(false, false));
  Put("ColWidths", "0");
  view.Load(kView);
  EXPECT_FALSE(view.FitColumns(false, false));
}

TEST_F(ViewDefinitionTest, SearchListStopsAtTheFirstEmptyValue) {
  Put("dev0", "a");
  Put("dev1", "b");
  Put("dev2", "");
  Put("dev3", "d");
  view.Load(kView);
  EXPECT_EQ(view.SearchEntries(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ViewDefinitionTest, SavingAShorterListDeletesUpToTheFirstEmptyValue) {
  Put("dev0", "a");
  Put("dev1", "b");
  Put("dev2", "");
  Put("dev3", "d");
  view.Load(kView);
  view.AddSearchEntry("x", true);
  EXPECT_TRUE(view.IsChanged());
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_FALSE(view.IsChanged());
  EXPECT_EQ(Get("dev0"), "x");
  EXPECT_EQ(Get("dev1"), "<none>");
  EXPECT_EQ(Get("dev2"), "");
  EXPECT_EQ(Get("dev3"), "d");
}

TEST_F(ViewDefinitionTest, SavingALongerListThenReloading) {
  view.Load(kView);
  view.AddSearchEntry("10.0.0.1", true);
  view.AddSearchEntry("", false);  // not taken
  view.AddSearchEntry("File</tmp/list.txt>", false);
  view.Save();
  CViewDefinition again(settings, table);
  again.Load(kView);
  EXPECT_EQ(again.SearchEntries(), (std::vector<std::string>{"10.0.0.1", "File</tmp/list.txt>"}));
}

TEST_F(ViewDefinitionTest, SaveWritesOnlyWhatChangedAndSaysWhatIsNeeded) {
  view.Load(kView);
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNoSearch);
  EXPECT_EQ(Get("Columns"), "<none>");

  view.SetColumn(1, "IP Address");
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveColumnsOnly);
  EXPECT_EQ(Get("Columns"), "System Name,IP Address");
  EXPECT_EQ(Get("NetSearchBuild"), "<none>");

  view.SetSort(discovery::kColIpAddress, true, false);
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNoSearch);
  EXPECT_EQ(Get("Sort"), "<IP Address");

  view.FitColumns(true, false);
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNoSearch);
  EXPECT_EQ(Get("ColWidths"), "0");

  view.SetSearchLocal(false);
  view.SetSearchList(true);
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_EQ(settings.GetInt(kView, "NetSearchBuild", 7), 0);
  EXPECT_EQ(settings.GetInt(kView, "ListBuild", 7), 1);

  view.SetRefresh(30);
  EXPECT_EQ(view.Save(), CViewDefinition::kSaveNeedsSearch);
  EXPECT_EQ(settings.GetInt(kView, "Refresh", 7), 30);
}

TEST_F(ViewDefinitionTest, SortSavedAtOnceWhenAsked) {
  view.Load(kView);
  view.SetSort(discovery::kColSerialNumber, false, true);
  EXPECT_EQ(Get("Sort"), ">Serial #");
  EXPECT_FALSE(view.IsChanged());
}

TEST_F(ViewDefinitionTest, FilterSavedOrDeleted) {
  view.Load(kView);
  view.SetFilterColumn(discovery::kColProductType);
  view.AddFilterValue("Device*", true);
  view.AddFilterValue("Print*", false);
  view.Save();
  EXPECT_EQ(Get("Filter"), "Product Type");
  EXPECT_EQ(Get("FilterValue"), "Device*,Print*");
  view.SetFilterColumn(255);
  view.Save();
  EXPECT_EQ(Get("Filter"), "<none>");
  EXPECT_EQ(Get("FilterValue"), "<none>");
}

TEST_F(ViewDefinitionTest, FilterValueWithACommaStillMatchesAfterReloading) {
  view.Load(kView);
  view.SetFilterColumn(discovery::kColSystemName);
  view.AddFilterValue("Lab, east", true);
  view.AddFilterValue("", false);
  view.Save();
  EXPECT_EQ(Get("FilterValue"), "Lab* east");
  view.Load(kView);
  ASSERT_EQ(view.FilterValues().size(), 1u);
  EXPECT_TRUE(view.KeepsText("Lab, east"));
  EXPECT_FALSE(view.KeepsText("Lab"));
}

TEST_F(ViewDefinitionTest, EmptyStoredFilterValuesAreNotLoaded) {
  Put("Filter", "System Name");
  Put("FilterValue", "a,,b");
  view.Load(kView);
  EXPECT_EQ(view.FilterValues(), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(view.KeepsText(""));
}

TEST_F(ViewDefinitionTest, ReloadColumnsTakesWhatWasSaved) {
  view.Load(kView);
  view.SaveColumns("IP Address,System Name", "90,120");
  view.ReloadColumns();
  EXPECT_EQ(view.GetColumn(0), discovery::kColIpAddress);
  EXPECT_EQ(view.ColumnWidth(1), 120);
  EXPECT_FALSE(view.FitColumns(false, false));
}

TEST_F(ViewDefinitionTest, SaveColumnsWritesBothAtOnce) {
  view.Load(kView);
  view.SaveColumns("System Name,Serial #", "120,60");
  EXPECT_EQ(Get("Columns"), "System Name,Serial #");
  EXPECT_EQ(Get("ColWidths"), "120,60");
}

TEST(PatternTest, MatchTable) {
  struct Case {
    const char* text;
    const char* pattern;
    bool match;
  } cases[] = {
      {"192.168.5.7", "192.168.*", true},
      {"10.0.0.1", "192.168.*", false},
      {"LAB-PRINTER-ABC", "*ABC", true},
      {"ABC", "*ABC", true},
      {"ABCX", "*ABC", false},
      {"ABC", "ABC*", false},  // the star needs a character
      {"ABCD", "ABC*", true},
      {"abc", "ABC", true},  // both sides upper-cased
      {"ABC", "abc", true},
      {"ABC", "AB", false},
      {"AB", "ABC", false},
      {"", "", true},
      {"", "*", false},
      {"A", "*", true},
      {"AXXC", "A*C", true},
      {"AXXD", "A*C", false},
      {"Device Server", "*vice*", true},
      {"Good", "Good", true},
      {"Goodness", "Good", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CViewDefinition::MatchesPattern(c.text, c.pattern), c.match)
        << c.text << " ~ " << c.pattern;
  }
}

TEST_F(ViewDefinitionTest, FilterKeepsRowsMatchingAnyValue) {
  Put("Filter", "IP Address");
  Put("FilterValue", "192.168.*,10.1.2.3");
  view.Load(kView);
  discovery::CIpDeviceRecord record(nullptr);
  discovery::test::ReplyFields shape;
  shape.ip = {10, 1, 2, 3};
  auto reply = discovery::test::BuildReply(shape);
  record.FillFromReply(reply.data(), reply.size());
  EXPECT_TRUE(view.KeepsRow(record));
  shape.ip = {10, 1, 2, 4};
  reply = discovery::test::BuildReply(shape);
  record.FillFromReply(reply.data(), reply.size());
  EXPECT_FALSE(view.KeepsRow(record));
  EXPECT_TRUE(view.KeepsText("192.168.0.1"));
}

TEST_F(ViewDefinitionTest, NoFilterKeepsEverything) {
  Put("Filter", "No Filter");
  Put("FilterValue", "x");
  view.Load(kView);
  EXPECT_TRUE(view.KeepsText("anything"));
}

}  // namespace
}  // namespace views
