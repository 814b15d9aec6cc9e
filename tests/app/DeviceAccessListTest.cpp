// The device access list: its store layout, the lookups (exact, then the first matching pattern,
// then "<Default>"), the matcher, loading again, and the texts refused for new entries.
#include <gtest/gtest.h>

#include "app/DeviceAccessList.h"
#include "app/Settings.h"
#include "platform/RegistryStore.h"

namespace app {
namespace {

class AccessListTest : public ::testing::Test {
 protected:
  std::string Stored(const std::string& entry) {
    return settings.GetString("Access\\IP", entry, "<absent>");
  }

  platform::RegistryStore store{""};
  Settings settings{store};
  DeviceAccessList list;
};

TEST_F(AccessListTest, AFreshStoreHoldsOnlyTheDefaultWithQuorum) {
  EXPECT_TRUE(list.Load(settings, "Access\\IP", false));
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(*list.Address(0), "<Default>");
  EXPECT_EQ(list.Address(1), nullptr);
  EXPECT_EQ(list.CommunitiesFor("10.0.0.1"),
            std::make_pair(std::string("quorum"), std::string("quorum")));
  EXPECT_EQ(list.DiscoveryPort(), 4201);
}

TEST_F(AccessListTest, SaveWritesAllEveryEntrysCommunitiesAndThePort) {
  list.Load(settings, "Access\\IP", false);
  list.Set("<Default>", "pub", "priv");
  list.Set("192.168.1.*", "g1", "s1");
  list.Set("10.0.0.5", "g2", "");
  list.SetDiscoveryPort(4210);
  ASSERT_TRUE(list.Save(settings, "Access\\IP"));
  EXPECT_EQ(Stored("All"), "192.168.1.*,10.0.0.5");
  EXPECT_EQ(Stored("<Default>Get"), "pub");
  EXPECT_EQ(Stored("<Default>Set"), "priv");
  EXPECT_EQ(Stored("192.168.1.*Get"), "g1");
  EXPECT_EQ(Stored("10.0.0.5Set"), "");
  EXPECT_EQ(settings.GetInt("Access\\IP", "DiscoveryPort", 0), 4210);

  DeviceAccessList again;
  again.Load(settings, "Access\\IP", false);
  ASSERT_EQ(again.Count(), 3u);
  EXPECT_EQ(again.Entries()[1].address, "192.168.1.*");
  EXPECT_EQ(again.Entries()[2].setCommunity, "");
  EXPECT_EQ(again.DiscoveryPort(), 4210);
}

TEST_F(AccessListTest, ARemovedAddressKeepsItsValuesButIsNotLoadedAgain) {
  list.Set("10.0.0.5", "g", "s");
  list.Set("10.0.0.6", "g6", "s6");
  list.Save(settings, "Access\\IP");
  EXPECT_TRUE(list.Remove("10.0.0.5"));
  EXPECT_FALSE(list.Remove("10.0.0.5"));
  EXPECT_FALSE(list.Remove("<Default>"));
  list.Save(settings, "Access\\IP");
  EXPECT_EQ(Stored("All"), "10.0.0.6");
  EXPECT_EQ(Stored("10.0.0.5Get"), "g");
  DeviceAccessList again;
  again.Load(settings, "Access\\IP", false);
  EXPECT_EQ(again.Count(), 2u);
  EXPECT_EQ(again.Find("10.0.0.5"), nullptr);
}

TEST_F(AccessListTest, LookupIsExactThenTheFirstMatchingPatternThenTheDefault) {
  list.Set("<Default>", "dg", "ds");
  list.Set("192.168.*", "wide", "wide");
  list.Set("192.168.1.*", "narrow", "narrow");
  list.Set("192.168.1.20", "exact", "exact");
  EXPECT_EQ(list.CommunitiesFor("192.168.1.20").first, "exact");
  EXPECT_EQ(list.CommunitiesFor("192.168.1.21").first, "wide");  // the first pattern wins
  EXPECT_EQ(list.CommunitiesFor("10.1.1.1").first, "dg");
  EXPECT_EQ(list.EntryFor("10.1.1.1").address, "<Default>");
}

TEST_F(AccessListTest, APatternForOneSubnet) {
  list.Set("192.168.1.*", "lab", "lab");
  EXPECT_EQ(list.CommunitiesFor("192.168.1.20").first, "lab");
  EXPECT_EQ(list.CommunitiesFor("192.168.2.20").first, "quorum");
}

TEST_F(AccessListTest, TheDefaultIsNeverTakenAsAPattern) {
  list.Set("<Default>", "dg", "ds");
  EXPECT_EQ(list.EntryFor("<Default>").address, "<Default>");
  list.Set("<Default>", "x", "y");
  EXPECT_EQ(list.Count(), 1u);  // Set on "<Default>" changes it
  EXPECT_EQ(list.Entries()[0].getCommunity, "x");
}

TEST(AccessPattern, TheMatcher) {
  EXPECT_TRUE(DeviceAccessList::PatternMatches("192.168.1.*", "192.168.1.20"));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("192.168.1.*", "192.168.1."));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("192.168.1.*", "192.168.10.2"));
  EXPECT_TRUE(DeviceAccessList::PatternMatches("192.168.*.5", "192.168.1.5"));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("192.168.*.5", "192.168.1.15"));
  EXPECT_TRUE(DeviceAccessList::PatternMatches("*", "10.0.0.1"));
  EXPECT_TRUE(DeviceAccessList::PatternMatches("ab*", "AB1"));  // letters in upper case
  EXPECT_TRUE(DeviceAccessList::PatternMatches("10.0.0.1", "10.0.0.1"));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("10.0.0.1", "10.0.0.12"));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("10.0.0.12", "10.0.0.1"));
  EXPECT_FALSE(DeviceAccessList::PatternMatches("", "1"));
  // After a star the text is rescanned from its second character, not from the star.
  EXPECT_TRUE(DeviceAccessList::PatternMatches("12*23", "123"));
}

TEST_F(AccessListTest, LoadReadsAgainOnlyForAnotherSectionOrWhenForced) {
  EXPECT_TRUE(list.Load(settings, "Access\\IP", false));
  settings.WriteString("Access\\IP", "All", "10.0.0.1");
  EXPECT_FALSE(list.Load(settings, "Access\\IP", false));
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_TRUE(list.Load(settings, "Access\\IP", true));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_TRUE(list.Load(settings, "Access\\COM", false));
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Section(), "Access\\COM");
}

TEST_F(AccessListTest, AStoredAllWithEmptyPiecesRepeatsOrTheDefaultLoadsEachAddressOnce) {
  settings.WriteString("Access\\IP", "All", ",10.0.0.1,,<Default>,10.0.0.1,10.0.0.2,");
  list.Load(settings, "Access\\IP", true);
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(*list.Address(1), "10.0.0.1");
  EXPECT_EQ(*list.Address(2), "10.0.0.2");
}

TEST_F(AccessListTest, NewAddressesThatAreRefused) {
  list.Set("10.0.0.1", "g", "s");
  EXPECT_EQ(list.Add(""), kAccessAddressEmpty);
  EXPECT_EQ(list.Add("10.0.0.2,10.0.0.3"), kAccessAddressHasComma);
  EXPECT_EQ(list.Add("<Default>"), kAccessAddressIsDefault);
  EXPECT_EQ(list.Add(std::string(33, '1')), kAccessAddressTooLong);
  EXPECT_EQ(list.Add("10.0.0.1"), kAccessAddressListed);
  EXPECT_EQ(list.Find("10.0.0.1")->getCommunity, "g");  // not reset to quorum
  list.Set("lab-a", "g", "s");
  EXPECT_EQ(list.Add("LAB-A"), kAccessAddressListed);  // the store would share their values
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.Add("10.0.0.9\t"), kAccessTextHasControl);
  EXPECT_EQ(list.Add(std::string(32, '1')), kAccessTextOk);
  EXPECT_EQ(list.Find(std::string(32, '1'))->setCommunity, "quorum");
  for (auto check :
       {kAccessAddressEmpty, kAccessAddressHasComma, kAccessAddressIsDefault, kAccessAddressTooLong,
        kAccessAddressListed, kAccessCommunityTooLong, kAccessTextHasControl}) {
    EXPECT_FALSE(DeviceAccessList::CheckText(check).empty());
  }
}

TEST(AccessCommunity, AtMostThirtyOneCharacters) {
  EXPECT_EQ(DeviceAccessList::CheckCommunity(std::string(31, 'c')), kAccessTextOk);
  EXPECT_EQ(DeviceAccessList::CheckCommunity(""), kAccessTextOk);
  EXPECT_EQ(DeviceAccessList::CheckCommunity(std::string(32, 'c')), kAccessCommunityTooLong);
  EXPECT_EQ(DeviceAccessList::CheckCommunity("a\nb"), kAccessTextHasControl);
  EXPECT_EQ(DeviceAccessList::CheckCommunity("caf\xc3\xa9 #1"), kAccessTextOk);
}

TEST_F(AccessListTest, TheApplicationsListIsReloadedAsAskedFor) {
  settings.WriteString("Access\\IP", "All", "10.9.9.9");
  DeviceAccessList& app = ReloadApplicationAccessList(settings, true);
  EXPECT_EQ(app.Count(), 2u);
  settings.WriteString("Access\\IP", "All", "");
  EXPECT_EQ(ReloadApplicationAccessList(settings, false).Count(), 2u);  // same section: kept
  EXPECT_EQ(ReloadApplicationAccessList(settings, true).Count(), 1u);
}

}  // namespace
}  // namespace app
