#include <gtest/gtest.h>

#include "FakePrompt.h"
#include "TempDir.h"
#include "app/LegacySettingsImporter.h"
#include "app/Settings.h"
#include "platform/RegistryStore.h"

namespace {

const char* kIpIni =
    "[Timeouts]\r\n"
    "GetTimeout=300\r\nSetTimeout=0\r\nResetTimeout=60\r\nSnmpRetry=4\r\nMaxBroadcast=7\r\n"
    "Broadcast=99\r\n"
    "[General]\r\nCurrentView=Old Printers\r\n"
    "[OEM]\r\nABC=1.3.6.1.4.1.9\r\nXYZ=1.3.6.1.4.1.10\r\nLONGTAG=1.2\r\nDEF=1.3\r\n"
    "[AllViews]\r\nOld Printers=1\r\nEmpty=1\r\n"
    "[View:Old Printers]\r\nFilter=Name\r\nFilterValue=PR*\r\nSort=IP Address\r\n"
    "Columns=Name,IP Address,Port Name\r\nRefresh=30\r\nNetSearchBuild=0\r\nListBuild=2\r\n"
    "Dev0=10.0.0.1\r\nDev1=10.0.0.2\r\nDev3=10.0.0.4\r\n"
    "[Access]\r\nDiscoveryPort=4300\r\nPublic=10.0.0.*\r\nBlank=\r\n";

class LegacyImportTest : public ::testing::Test {
 protected:
  platform::RegistryStore store{""};
  app::Settings settings{store};
  FakePrompt prompt;
  TempDir windows;
};

TEST_F(LegacyImportTest, ImportsTheTcpIpFileWhenTheUserAgrees) {
  windows.Write("KESTRELIP.INI", kIpIni);
  prompt.answers = {platform::IDYES};
  app::LegacySettingsImporter(settings, prompt).ImportAll(windows.Folder());

  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, "Would you like to import views and settings from " +
                                      windows.Folder() + "KESTRELIP.INI (16-bit utility file)? ");
  EXPECT_EQ(prompt.shown[0].type, unsigned(platform::MB_YESNO | platform::MB_ICONQUESTION));

  EXPECT_EQ(settings.GetInt("Timeouts", "GetTimeout", -1), 300);
  EXPECT_EQ(settings.GetInt("Timeouts", "SetTimeout", -1), -1);  // zero is not copied
  EXPECT_EQ(settings.GetInt("Timeouts", "MaxBroadcast", -1), 7);
  EXPECT_EQ(settings.GetInt("Timeouts", "Broadcast", -1), -1);
  EXPECT_EQ(settings.GetString("General", "CurrentView"), "Old Printers");

  auto oem = settings.EnumValues("OEM");
  ASSERT_EQ(oem.size(), 2u);  // stops at the first line without "=" as fourth character
  EXPECT_EQ(oem[0].name, "ABC");
  EXPECT_EQ(oem[0].text, "1.3.6.1.4.1.9");

  EXPECT_EQ(settings.GetInt("Views\\TCP/IP", "Type", 0), 2);
  EXPECT_EQ(settings.GetInt("Views\\TCP/IP", "Icons", 0), 14);
  const std::string view = "Views\\TCP/IP\\Old Printers";
  EXPECT_EQ(settings.GetInt(view, "Type", 0), 6);
  EXPECT_EQ(settings.GetInt(view, "Icons", 0), 0x100010);
  EXPECT_EQ(settings.GetString(view, "Filter"), "Name");
  EXPECT_EQ(settings.GetString(view, "FilterValue"), "PR*");
  EXPECT_EQ(settings.GetString(view, "Sort"), ">IP Address");
  EXPECT_EQ(settings.GetString(view, "Columns"), "System Name,IP Address,Port System Name");
  EXPECT_EQ(settings.GetInt(view, "Refresh", 0), 30);
  EXPECT_EQ(settings.GetInt(view, "NetSearchBuild", -1), -1);
  EXPECT_EQ(settings.GetInt(view, "ListBuild", 0), 2);
  EXPECT_EQ(settings.GetString(view, "Dev1"), "10.0.0.2");
  EXPECT_EQ(settings.GetString(view, "Dev3"), "");  // the list ends at the first empty entry
  EXPECT_EQ(settings.GetInt("Views\\TCP/IP\\Empty", "Type", 0), 6);

  EXPECT_EQ(settings.GetInt("Access\\IP", "DiscoveryPort", 0), 4300);
  EXPECT_EQ(settings.GetString("Access\\IP", "Public"), "10.0.0.*");
  EXPECT_FALSE(settings.GetString("Access\\IP", "Blank", "absent") != "absent");
}

TEST_F(LegacyImportTest, NetWareFileComesFirstAndUsesItsOwnNames) {
  windows.Write("kestrelnw.ini",
                "[AllViews]\r\nServers=1\r\n[View:Servers]\r\nColumns=Name\r\n"
                "[Access]\r\nDiscoveryPort=0\r\n");
  windows.Write("KESTRELIP.INI", kIpIni);
  prompt.answers = {platform::IDYES, platform::IDNO};
  app::LegacySettingsImporter(settings, prompt).ImportAll(windows.Folder());
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_NE(prompt.shown[0].text.find("kestrelnw.ini"), std::string::npos);
  EXPECT_EQ(settings.GetInt("Views\\NetWare", "Icons", 0), 12);
  EXPECT_EQ(settings.GetInt("Views\\NetWare\\Servers", "Type", 0), 7);
  EXPECT_EQ(settings.GetString("Views\\NetWare\\Servers", "Columns"), "NW Name");
  EXPECT_EQ(settings.GetInt("Access\\NW", "DiscoveryPort", -1), -1);
  EXPECT_FALSE(settings.SectionExists("Views\\TCP/IP"));  // refused
}

TEST_F(LegacyImportTest, ExistingViewTypesAreKept) {
  windows.Write("KESTRELIP.INI", kIpIni);
  settings.WriteInt("Views\\TCP/IP", "Type", 5);
  settings.WriteInt("Views\\TCP/IP\\Old Printers", "Type", 9);
  prompt.answers = {platform::IDYES};
  app::LegacySettingsImporter(settings, prompt).ImportAll(windows.Folder());
  EXPECT_EQ(settings.GetInt("Views\\TCP/IP", "Type", 0), 5);
  EXPECT_EQ(settings.GetInt("Views\\TCP/IP", "Icons", 0), 0);
  EXPECT_EQ(settings.GetInt("Views\\TCP/IP\\Old Printers", "Type", 0), 9);
}

TEST_F(LegacyImportTest, MissingFilesAskNothing) {
  app::LegacySettingsImporter(settings, prompt).ImportAll(windows.Folder() + "nowhere/");
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_TRUE(app::LegacySettingsImporter::FindFile(windows.Folder(), "KESTRELIP.INI").empty());
}

TEST(ReplaceAll, ReplacesEveryOccurrenceWithoutRescanning) {
  EXPECT_EQ(app::ReplaceAll("Name,Name", "Name", "NW Name"), "NW Name,NW Name");
  EXPECT_EQ(app::ReplaceAll("abc", "", "x"), "abc");
}

}  // namespace
