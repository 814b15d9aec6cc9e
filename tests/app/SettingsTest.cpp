#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "app/OemBrandTable.h"
#include "app/Settings.h"
#include "discovery/DiscoverySocket.h"
#include "platform/RegistryStore.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  platform::RegistryStore store{""};
  app::Settings settings{store};
};

TEST_F(SettingsTest, RootFollowsTheRegistryKeyAndFallsBackToPortolan) {
  EXPECT_EQ(settings.RootPath(), "HKEY_CURRENT_USER\\Software\\Portolan\\Portolan");
  settings.SetRegistryKey("Acme");
  EXPECT_EQ(settings.SectionPath("General\\Icons"),
            "HKEY_CURRENT_USER\\Software\\Acme\\Portolan\\General\\Icons");
  settings.SetRegistryKey("");
  settings.WriteInt("General", "RunIndex", 3);
  EXPECT_TRUE(
      store.GetValue("HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General", "RunIndex"));
}

TEST_F(SettingsTest, AbsentOrMistypedValuesGiveTheDefault) {
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", 500), 500);
  settings.WriteString("Timeouts", "GetTimeout", "12");
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", 500), 500);
  settings.WriteInt("Timeouts", "GetTimeout", -7);
  EXPECT_EQ(settings.GetInt("timeouts", "gettimeout", 500), -7);
  EXPECT_EQ(settings.GetString("General", "Location", "none"), "none");
}

TEST_F(SettingsTest, MoveSettingsKeyMovesTheWholeTree) {
  settings.WriteString("Views\\A", "Columns", "IP Address");
  settings.WriteInt("Views\\A", "Type", 6);
  settings.WriteInt("Views\\A\\Inner", "Type", 7);
  settings.WriteString("Views\\A\\Inner\\Deep", "Filter", "x");

  EXPECT_EQ(settings.MoveSettingsKey("Views\\A", "Views\\B"), app::MOVEKEY_OK);
  EXPECT_FALSE(settings.SectionExists("Views\\A"));
  EXPECT_EQ(settings.GetString("Views\\B", "Columns", ""), "IP Address");
  EXPECT_EQ(settings.GetInt("Views\\B", "Type", 0), 6);
  EXPECT_EQ(settings.GetInt("Views\\B\\Inner", "Type", 0), 7);
  EXPECT_EQ(settings.GetString("Views\\B\\Inner\\Deep", "Filter", ""), "x");
  auto values = settings.EnumValues("Views\\B");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name, "Columns");  // order kept
}

TEST_F(SettingsTest, MoveSettingsKeyResultCodes) {
  EXPECT_EQ(settings.MoveSettingsKey("Views\\Missing", "Views\\B"), app::MOVEKEY_NO_SOURCE);
  settings.WriteInt("Views\\A", "Type", 6);
  settings.WriteInt("Views\\B", "Type", 7);
  EXPECT_EQ(settings.MoveSettingsKey("Views\\A", "Views\\B"), app::MOVEKEY_DEST_EXISTS);
  EXPECT_EQ(settings.GetInt("Views\\A", "Type", 0), 6);  // nothing moved
  EXPECT_EQ(settings.GetInt("Views\\B", "Type", 0), 7);
}

TEST_F(SettingsTest, MoveSettingsKeyRefusesToMoveAKeyBelowItself) {
  settings.WriteInt("Views\\A", "Type", 6);
  EXPECT_EQ(settings.MoveSettingsKey("Views\\A", "views\\a\\Inner"), app::MOVEKEY_NO_SOURCE);
  EXPECT_EQ(settings.EnumSubkeys("Views\\A").size(), 0u);
  EXPECT_EQ(settings.GetInt("Views\\A", "Type", 0), 6);
  EXPECT_EQ(settings.MoveSettingsKey("Views\\A", "Views\\A"), app::MOVEKEY_DEST_EXISTS);
  EXPECT_EQ(settings.MoveSettingsKey("Views\\A", "Views\\AB"), app::MOVEKEY_OK);  // a sibling
  EXPECT_EQ(settings.GetInt("Views\\AB", "Type", 0), 6);
}

TEST_F(SettingsTest, AppSettingsDefaultsAndStoredValues) {
  app::AppSettings loaded;
  loaded.Load(settings);
  EXPECT_EQ(loaded.getTimeout, 500);
  EXPECT_EQ(loaded.broadcast, 3000);
  EXPECT_EQ(loaded.warningMask, 9185);
  EXPECT_EQ(loaded.errorMask, 196608);
  settings.WriteInt("Timeouts", "Broadcast", 0);  // no range is enforced
  settings.WriteInt("General\\Icons", "SetAppIcon", 1);
  settings.WriteInt("Access\\IP", "DiscoveryPort", 4999);
  loaded.Load(settings);
  EXPECT_EQ(loaded.broadcast, 0);
  EXPECT_EQ(loaded.setAppIcon, 1);
  EXPECT_EQ(loaded.discoveryPort, 4201);  // read apart, later
  loaded.LoadDiscoveryPort(settings);
  EXPECT_EQ(loaded.discoveryPort, 4999);
  EXPECT_EQ(discovery::DiscoveryPort(), 4999);  // the searches use it
  EXPECT_FALSE(loaded.TakeDiscoveryPort(0));
  EXPECT_FALSE(loaded.TakeDiscoveryPort(65536));
  EXPECT_EQ(discovery::DiscoveryPort(), 4999);  // refused: the searches keep theirs
  EXPECT_TRUE(loaded.TakeDiscoveryPort(4201));
  EXPECT_EQ(discovery::DiscoveryPort(), 4201);
}

TEST_F(SettingsTest, OemTableTakesTheBuiltInEntryAndSevenStoredOnes) {
  for (int i = 0; i < 10; ++i) {
    settings.WriteString("OEM", "T" + std::to_string(i), "1.3.6.1.4.1." + std::to_string(100 + i));
  }
  app::OemBrandTable table;
  table.Fill(settings);
  ASSERT_EQ(table.Count(), 8u);
  EXPECT_EQ(table.Entries()[0].tag, "Corvane");
  EXPECT_EQ(table.Entries()[1].tag, "T0");
  EXPECT_EQ(table.Entries()[7].tag, "T6");
  EXPECT_EQ(table.FindFirst("Belmark"), nullptr);
}

TEST_F(SettingsTest, OemTableAddsTheSecondBuiltInUnlessStar) {
  settings.WriteString("OEM", "ABCDEF", std::string(60, '1'));
  app::OemBrandTable table;
  table.Fill(settings);
  ASSERT_EQ(table.Count(), 3u);
  EXPECT_EQ(table.Entries()[1].tag, "ABCD");
  EXPECT_EQ(table.Entries()[1].oid.size(), 49u);
  EXPECT_EQ(table.Entries()[2].tag, "Belmark");
  EXPECT_EQ(table.Entries()[2].oid, std::string(app::kOemEnterpriseRoot) + ".2.3.5");
  table.Fill(settings, "*");
  EXPECT_EQ(table.Count(), 2u);
}

}  // namespace
