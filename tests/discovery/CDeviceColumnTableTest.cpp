#include <gtest/gtest.h>

#include "discovery/CDeviceColumnTable.h"

namespace discovery {
namespace {

TEST(CDeviceColumnTable, EntriesAsListed) {
  const CDeviceColumnTable table;
  EXPECT_EQ(table.Title(0), "System Name");
  EXPECT_EQ(table.StringId(0), 6010u);
  EXPECT_EQ(table.Width(0), 140);
  EXPECT_EQ(table.Title(28), "Firmware Version");
  EXPECT_EQ(table.StringId(28), 61211u);
  EXPECT_EQ(table.ClassBit(28), 0x10000000u);
  EXPECT_EQ(table.Width(16), 180);
  EXPECT_EQ(table.Kind(16), kFilterListed);
  EXPECT_EQ(table.ClassBit(14), 0x4800u);
  EXPECT_EQ(table.Choices(14), (std::vector<std::string>{"Good", "Warning", "Error"}));
  EXPECT_EQ(table.Choices(13), (std::vector<std::string>{"RPrinter", "PServer"}));
  EXPECT_TRUE(table.Choices(0).empty());
  for (int i = 0; i < kColumnCount; ++i) {
    EXPECT_EQ(table.IsAddressSort(i), i == 2 || i == 6 || i == 7) << i;
    EXPECT_EQ(table.FittedWidth(i), 10) << i;
    EXPECT_EQ(table.Kind(i) == kFilterChoice, i == 13 || i == 14) << i;
  }
}

TEST(CDeviceColumnTable, ClassesSplitTheColumns) {
  const CDeviceColumnTable table;
  for (int i = 0; i < kColumnCount; ++i) {
    EXPECT_EQ(table.IsPortColumn(i), i >= 15 && i <= 19) << i;
    EXPECT_EQ(table.IsWirelessColumn(i), i >= 20 && i <= 26) << i;
    EXPECT_EQ(table.IsFirmwareColumn(i), i == 28) << i;
    EXPECT_EQ(table.IsLocationColumn(i), i == 27) << i;
    EXPECT_EQ(table.NeedsExtendedQuery(i), i >= 15) << i;
  }
}

TEST(CDeviceColumnTable, TitleLookup) {
  const CDeviceColumnTable table;
  EXPECT_EQ(table.IndexOfTitle("IP Address"), 2);
  EXPECT_EQ(table.IndexOfTitle("Port #"), 19);
  EXPECT_EQ(table.IndexOfTitle("ip address"), kUnknownColumn);
  EXPECT_EQ(table.IndexOfTitle(""), kUnknownColumn);
  EXPECT_EQ(table.IndexOfTitle("Nothing"), kUnknownColumn);
}

TEST(CDeviceColumnTable, LoadedTitlesReplaceBuiltInOnes) {
  const CDeviceColumnTable table(
      [](unsigned id) { return id == 6011 ? std::string("Adresse IP") : std::string(); });
  EXPECT_EQ(table.Title(2), "Adresse IP");
  EXPECT_EQ(table.IndexOfTitle("Adresse IP"), 2);
  EXPECT_EQ(table.IndexOfTitle("IP Address"), kUnknownColumn);
  EXPECT_EQ(table.Title(3), "H/W Address");
}

TEST(CDeviceColumnTable, OutOfRangeIndicesGiveNothing) {
  CDeviceColumnTable table;
  for (int i : {-1, 29, 255}) {
    EXPECT_EQ(table.Title(i), "");
    EXPECT_EQ(table.ClassBit(i), 0u);
    EXPECT_FALSE(table.IsPortColumn(i));
    table.SetFittedWidth(i, 99);
  }
  table.SetFittedWidth(4, 77);
  EXPECT_EQ(table.FittedWidth(4), 77);
}

}  // namespace
}  // namespace discovery
