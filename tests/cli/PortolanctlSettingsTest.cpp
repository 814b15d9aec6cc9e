#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../app/TempDir.h"
#include "ProcessRunner.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

class PortolanctlSettings : public ::testing::Test {
 protected:
  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  }
  TempDir dir;
};

TEST_F(PortolanctlSettings, HelpAndVersion) {
  auto help = Ctl({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("settings get SECTION ENTRY"), std::string::npos);
  auto version = Ctl({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("portolanctl ", 0), 0u);
  auto none = Ctl({});
  EXPECT_EQ(none.exitCode, 2);
  auto unknown = Ctl({"frobnicate"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown command"), std::string::npos);
}

TEST_F(PortolanctlSettings, SetGetAndExportRoundTrip) {
  ASSERT_EQ(Ctl({"settings", "set", "General", "Location", "/opt/portolan/"}).exitCode, 0);
  ASSERT_EQ(Ctl({"settings", "set", "General\\Icons", "Warning", "0x23E1", "--dword"}).exitCode, 0);
  ASSERT_EQ(Ctl({"settings", "set", "Timeouts", "GetTimeout", "-1", "--dword"}).exitCode, 0);

  auto location = Ctl({"settings", "get", "general", "LOCATION"});
  EXPECT_EQ(location.exitCode, 0);
  EXPECT_EQ(location.out, "/opt/portolan/\n");
  EXPECT_EQ(Ctl({"settings", "get", "General\\Icons", "Warning"}).out, "9185\n");
  EXPECT_EQ(Ctl({"settings", "get", "Timeouts", "GetTimeout"}).out, "4294967295\n");

  auto text = Ctl({"settings", "export"}).out;
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00", 0), 0u);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General]"),
            std::string::npos);
  EXPECT_NE(text.find("\"Location\"=\"/opt/portolan/\""), std::string::npos);
  EXPECT_NE(text.find("\"Warning\"=dword:000023e1"), std::string::npos);

  struct stat info {};
  ASSERT_EQ(::stat((dir.Folder() + "registry.reg").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(PortolanctlSettings, ErrorsAreClear) {
  auto absent = Ctl({"settings", "get", "General", "Nothing"});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_NE(absent.err.find("no value"), std::string::npos);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X", "12abc", "--dword"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X", "4294967296", "--dword"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "set", "General", "X"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "get", "General"}).exitCode, 2);
  EXPECT_EQ(Ctl({"settings", "drop"}).exitCode, 2);
}

TEST_F(PortolanctlSettings, CorruptFileIsReportedAndKeptAside) {
  dir.Write("registry.reg", "this is not a registry file\n");
  auto result = Ctl({"settings", "set", "General", "Location", "x"});
  EXPECT_NE(result.err, "");
  bool keptAside = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    if (entry.path().filename().string().find("corrupt") != std::string::npos) keptAside = true;
  }
  EXPECT_TRUE(keptAside);
}

}  // namespace
