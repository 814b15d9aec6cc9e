#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/IniFile.h"

using platform::IniFile;

namespace {

const char* const kBranding =
    "; branding for a test\r\n"
    "[General]\r\n"
    "  PorgramName =  Portolan Pro  \r\n"
    "CompanyName=\"  Quoted Co  \"\r\n"
    "companyname=second wins never\r\n"
    "CompanyHttp=\"http://example.invalid\r\n"
    "Empty=\r\n"
    "Flag\r\n"
    "\r\n"
    "[ Timeouts ]  trailing text\r\n"
    "GetTimeout=  750 \r\n"
    "Neg=-42abc\r\n"
    "Plus=+7\r\n"
    "Word=abc\r\n"
    "Huge=99999999999\r\n"
    "Tiny=-99999999999\r\n"
    "Quoted=\"12\"\r\n"
    "[general]\r\n"
    "Later=not seen, the first section named so wins\r\n";

TEST(IniFileTest, KeysAndSectionsIgnoreCaseAndValuesAreTrimmed) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetString("GENERAL", "porgramname", "", 256), "Portolan Pro");
  EXPECT_EQ(ini.GetString("general", "PorgramName", "x", 256), "Portolan Pro");
  EXPECT_EQ(ini.GetString("Timeouts", "GetTimeout", "", 256), "750");
}

TEST(IniFileTest, FirstMatchWinsForKeysAndSections) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetString("General", "CompanyName", "", 256), "  Quoted Co  ");
  EXPECT_EQ(ini.GetString("General", "Later", "dflt", 256), "dflt");
}

TEST(IniFileTest, SurroundingQuotesRemovedOnlyWhenBalanced) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetString("General", "CompanyHttp", "", 256), "\"http://example.invalid");
  const IniFile one = IniFile::FromText("[s]\nk=\"\n");
  EXPECT_EQ(one.GetString("s", "k", "d", 256), "\"");
  const IniFile two = IniFile::FromText("[s]\nk=\"\"\n");
  EXPECT_EQ(two.GetString("s", "k", "d", 256), "");
}

TEST(IniFileTest, AbsentGivesDefaultWithTrailingBlanksRemoved) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetString("General", "Nothing", "dflt  ", 256), "dflt");
  EXPECT_EQ(ini.GetString("NoSection", "PorgramName", "d", 256), "d");
  EXPECT_EQ(ini.GetString("General", "", "d", 256), "d");
  // Present but empty is a value, not an absence.
  EXPECT_EQ(ini.GetString("General", "Empty", "d", 256), "");
  EXPECT_EQ(ini.GetString("General", "Flag", "d", 256), "");
}

TEST(IniFileTest, BufferSizeCutsToOneLess) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetString("General", "PorgramName", "", 5), "Port");
  EXPECT_EQ(ini.GetString("General", "PorgramName", "", 1), "");
  EXPECT_EQ(ini.GetString("General", "PorgramName", "", 0), "");
  EXPECT_EQ(ini.GetString("General", "Missing", "defaultvalue", 4), "def");
  EXPECT_EQ(ini.GetString("General", "PorgramName", "", 13), "Portolan Pro");
}

TEST(IniFileTest, IntegersAsTheWindowsCallReadsThem) {
  const IniFile ini = IniFile::FromText(kBranding);
  EXPECT_EQ(ini.GetInt("Timeouts", "GetTimeout", 500), 750);
  EXPECT_EQ(ini.GetInt("Timeouts", "Neg", 1), -42);
  EXPECT_EQ(ini.GetInt("Timeouts", "Plus", 1), 7);
  EXPECT_EQ(ini.GetInt("Timeouts", "Word", 1), 0);
  EXPECT_EQ(ini.GetInt("Timeouts", "Quoted", 1), 12);
  EXPECT_EQ(ini.GetInt("Timeouts", "Absent", 4201), 4201);
  EXPECT_EQ(ini.GetInt("General", "Empty", 33), 33);
  EXPECT_EQ(ini.GetInt("Timeouts", "Huge", 0), 2147483647);
  EXPECT_EQ(ini.GetInt("Timeouts", "Tiny", 0), -2147483647 - 1);
}

TEST(IniFileTest, SectionLinesRawInOrderWithoutComments) {
  const IniFile ini = IniFile::FromText(
      "[OEM]\n; a comment\nABC=1.3.6.1.4.1.99\n  XY = \"q\" \nlonger=1\nbare\n\n[Next]\nz=1\n");
  const std::vector<std::string> expected = {"ABC=1.3.6.1.4.1.99", "XY=\"q\"", "longer=1", "bare"};
  EXPECT_EQ(ini.GetSectionLines("oem"), expected);
  const std::vector<std::string> keys = {"ABC", "XY", "longer", "bare"};
  EXPECT_EQ(ini.GetKeys("OEM"), keys);
  EXPECT_TRUE(ini.GetSectionLines("None").empty());
  EXPECT_TRUE(ini.GetKeys("None").empty());
}

TEST(IniFileTest, SectionNamesAndEntriesBeforeAnySection) {
  const IniFile ini = IniFile::FromText("orphan=1\n[A]\n[ B ]\nk=v\n[a]\n");
  const std::vector<std::string> names = {"A", "B", "a"};
  EXPECT_EQ(ini.GetSectionNames(), names);
  EXPECT_EQ(ini.GetString("", "orphan", "d", 256), "d");
  EXPECT_EQ(ini.GetString("b", "K", "d", 256), "v");
}

TEST(IniFileTest, LfAndCrLfAndBomAndMissingFinalNewline) {
  const IniFile ini = IniFile::FromText("\xEF\xBB\xBF[S]\r\na=1\nb=2");
  EXPECT_EQ(ini.GetInt("S", "a", 0), 1);
  EXPECT_EQ(ini.GetInt("S", "b", 0), 2);
}

TEST(IniFileTest, HostileTextIsHandled) {
  EXPECT_TRUE(IniFile::FromText("[").GetSectionNames() == std::vector<std::string>{""});
  EXPECT_EQ(IniFile::FromText("[s]\n=v\n").GetString("s", "", "d", 256), "d");
  const std::string withNul("[s]\nk=a\0b\n", 10);
  EXPECT_EQ(IniFile::FromText(withNul).GetString("s", "k", "", 256), std::string("a\0b", 3));
  EXPECT_EQ(IniFile::FromText(std::string(IniFile::kMaxFileSize + 1, 'x')).LoadStatus(),
            IniFile::Status::TooLarge);
}

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/portolan-initest-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    dir_ = templ;
  }
  void TearDown() override {
    std::remove((dir_ + "/Portolan.ini").c_str());
    ::rmdir(dir_.c_str());
  }
  std::string dir_;
};

TEST_F(IniFileOnDisk, ReadsAFile) {
  std::ofstream(dir_ + "/Portolan.ini") << "[General]\r\nCompanyReg=Acme\r\n";
  const IniFile ini = IniFile::Load(dir_ + "/Portolan.ini");
  EXPECT_EQ(ini.LoadStatus(), IniFile::Status::Ok);
  EXPECT_EQ(ini.StatusText(), "");
  EXPECT_EQ(ini.GetString("General", "CompanyReg", "", 256), "Acme");
}

TEST_F(IniFileOnDisk, MissingFileGivesDefaults) {
  const IniFile ini = IniFile::Load(dir_ + "/Portolan.ini");
  EXPECT_EQ(ini.LoadStatus(), IniFile::Status::Missing);
  EXPECT_EQ(ini.GetString("General", "CompanyReg", "Portolan", 256), "Portolan");
  EXPECT_EQ(ini.GetInt("Access", "DiscoveryPort", 4201), 4201);
  EXPECT_TRUE(ini.GetSectionNames().empty());
}

TEST_F(IniFileOnDisk, OversizedFileIsRefusedWithAReason) {
  {
    std::ofstream out(dir_ + "/Portolan.ini");
    out << "[General]\nCompanyReg=Acme\n" << std::string(IniFile::kMaxFileSize, ';');
  }
  const IniFile ini = IniFile::Load(dir_ + "/Portolan.ini");
  EXPECT_EQ(ini.LoadStatus(), IniFile::Status::TooLarge);
  EXPECT_NE(ini.StatusText().find("Portolan.ini"), std::string::npos);
  EXPECT_EQ(ini.GetString("General", "CompanyReg", "d", 256), "d");
}

TEST_F(IniFileOnDisk, DirectoryIsUnreadable) {
  const IniFile ini = IniFile::Load(dir_);
  EXPECT_EQ(ini.LoadStatus(), IniFile::Status::Unreadable);
  EXPECT_EQ(ini.GetInt("a", "b", 9), 9);
}

}  // namespace
