// The options sheet's Status Icons and Miscellaneous pages without widgets: the masks kept when
// nothing changes (stored bits no row shows included), and a discovery port kept unless the user
// picks another.
#include <gtest/gtest.h>

#include <string>

#include "app/AppSettings.h"
#include "app/DeviceAccessPage.h"
#include "app/MiscOptionsPage.h"
#include "app/Settings.h"
#include "app/StatusIconsPage.h"
#include "app/TimeoutsPage.h"
#include "platform/RegistryStore.h"

namespace app {
namespace {

class OptionsPagesTest : public ::testing::Test {
 protected:
  platform::RegistryStore registry{""};
  Settings settings{registry};
  AppSettings stored;
};

TEST_F(OptionsPagesTest, OkWithoutChangesKeepsTheDefaultMasksAndAsksNoRefresh) {
  const StatusIconsPage page(stored);
  EXPECT_EQ(page.Rows().size(), 10u);
  EXPECT_EQ(page.Rows()[0].level, StatusIconsPage::kWarning);  // 1 Printer Off-line
  EXPECT_EQ(page.Rows()[9].level, StatusIconsPage::kError);    // 131072 No Response
  EXPECT_EQ(page.ErrorMask(), 0x30000);                        // 0x10000 shown by no row, kept
  EXPECT_EQ(page.WarningMask(), 0x23E1);
  EXPECT_FALSE(page.Save(stored, settings, true));
  EXPECT_EQ(settings.GetInt("General\\Icons", "Error", -1), -1);
  EXPECT_EQ(settings.GetInt("General\\Icons", "SetAppIcon", -1), 1);
}

TEST_F(OptionsPagesTest, ChangedLevelsWriteBothMasks) {
  StatusIconsPage page(stored);
  page.Cycle(0);                             // Printer Off-line: Warning -> Error
  page.SetLevel(3, StatusIconsPage::kGood);  // Paper Out
  EXPECT_EQ(StatusIconsPage::LevelText(page.Rows()[0].level), "Error");
  ASSERT_TRUE(page.Save(stored, settings, false));
  EXPECT_EQ(stored.errorMask, 0x30001);
  EXPECT_EQ(stored.warningMask, 0x23E1 & ~0x1 & ~0x40);
  EXPECT_EQ(settings.GetInt("General\\Icons", "Warning", -1), stored.warningMask);
  EXPECT_EQ(settings.GetInt("General\\Icons", "Error", -1), 0x30001);
  page.Cycle(0);
  EXPECT_EQ(page.Rows()[0].level, StatusIconsPage::kGood);
}

TEST_F(OptionsPagesTest, AStoredPortOutsideTheListIsOfferedAndKept) {
  settings.WriteInt("Access\\IP", "DiscoveryPort", 4300);
  MiscOptionsPage page(settings);
  EXPECT_EQ(page.Ports().front(), 9);
  EXPECT_EQ(page.Ports().back(), 4300);
  EXPECT_EQ(page.Ports().size(), 44u);
  EXPECT_EQ(page.Port(), 4300);
  page.Save(settings);
  EXPECT_EQ(settings.GetInt("Access\\IP", "DiscoveryPort", -1), 4300);
  page.SetPort(9);
  page.Save(settings);
  EXPECT_EQ(settings.GetInt("Access\\IP", "DiscoveryPort", -1), 9);
  EXPECT_EQ(MiscOptionsPage(settings).Ports().size(), 43u);
}

TEST_F(OptionsPagesTest, DoubleClickAndRefreshChoices) {
  settings.WriteInt("General", "DoubleClick", 12345);
  MiscOptionsPage page(settings);
  EXPECT_EQ(page.DoubleClick(), 32774);
  page.SetDoubleClick(32799);
  page.SetDoubleClick(1);
  page.SetRefreshAlways(true);
  page.Save(settings);
  EXPECT_EQ(settings.GetInt("General", "DoubleClick", -1), 32799);
  EXPECT_EQ(settings.GetInt("General", "RefreshAlways", -1), 1);
  // Offered disabled until a wizard exists; a stored choice of it is kept as it is.
  EXPECT_FALSE(MiscOptionsPage::IsAvailable(32799));
  EXPECT_TRUE(MiscOptionsPage::IsAvailable(32774));
  EXPECT_TRUE(MiscOptionsPage::IsAvailable(32772));
  EXPECT_EQ(MiscOptionsPage(settings).DoubleClick(), 32799);
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST_F(OptionsPagesTest, TimeoutsTakeWholeNumbersFrom1To360000) {
  TimeoutsPage page(stored);
  EXPECT_EQ(page.Text(TimeoutsPage::kSearch), "3000");
  EXPECT_NE(std::string(TimeoutsPage::Label(TimeoutsPage::kSearch)).find("(ms)"),
            std::string::npos);
  TimeoutsPage::Field bad = TimeoutsPage::kGet;
  for (const char* refused : {"0", "360001", "2147483648", "-5", "", "1.5", "abc"}) {
    page.SetText(TimeoutsPage::kReset, refused);
    EXPECT_FALSE(page.Save(stored, settings, &bad)) << refused;
    EXPECT_EQ(bad, TimeoutsPage::kReset);
  }
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", -1), -1);  // nothing written
  page.SetText(TimeoutsPage::kReset, "360000");
  page.SetText(TimeoutsPage::kGet, "1");  // both ends of the range are taken
  ASSERT_TRUE(page.Save(stored, settings, &bad));
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", -1), 1);
  page.SetText(TimeoutsPage::kGet, "250");
  ASSERT_TRUE(page.Save(stored, settings, &bad));
  EXPECT_EQ(stored.resetTimeout, 360000);
  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", -1), 250);
  page.SetDefaults();
  EXPECT_EQ(page.Text(TimeoutsPage::kGet), "500");
  EXPECT_EQ(page.Text(TimeoutsPage::kSearchRetries), "10");
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST_F(OptionsPagesTest, DeviceAccessKeepsEveryListInMemoryUntilOk) {
  DeviceAccessPage page(settings);
  size_t row = 99;
  ASSERT_EQ(page.Add("10.0.0.*", &row), kAccessTextOk);
  EXPECT_EQ(row, 1u);
  ASSERT_EQ(page.SetCommunities(1, "lab", "desk"), kAccessTextOk);
  EXPECT_EQ(page.SetCommunities(1, std::string(32, 'c'), "x"), kAccessCommunityTooLong);
  page.ChooseProtocol(DeviceAccessList::kSectionCom);
  EXPECT_FALSE(page.CanAddOrDelete());
  page.ChooseProtocol(DeviceAccessList::kSectionIp);
  ASSERT_EQ(page.List().Count(), 2u);  // the edit survived the switch
  EXPECT_EQ(page.List().Entries()[1].getCommunity, "lab");

  // Listed already: the existing entry is selected and keeps its communities.
  row = 0;
  EXPECT_EQ(page.Add("10.0.0.*", &row), kAccessAddressListed);
  EXPECT_EQ(row, 1u);
  EXPECT_EQ(page.List().Entries()[1].setCommunity, "desk");
  for (const char* refused : {"", "a,b", "<Default>"}) {
    EXPECT_NE(page.Add(refused, &row), kAccessTextOk) << refused;
  }
  EXPECT_FALSE(page.Delete(0));

  EXPECT_FALSE(settings.SectionExists("Access\\IP"));  // Cancel would write nothing
  ASSERT_TRUE(page.Save(settings));
  EXPECT_EQ(settings.GetString("Access\\IP", "All", ""), "10.0.0.*");
  EXPECT_EQ(settings.GetString("Access\\IP", "10.0.0.*Get", ""), "lab");
  EXPECT_TRUE(settings.SectionExists("Access\\COM"));
  DeviceAccessPage again(settings);
  EXPECT_TRUE(again.Delete(1));
  EXPECT_EQ(again.List().Count(), 1u);
}

}  // namespace
}  // namespace app
