#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempPortDir.h"
#include "platform/FakeFileOps.h"
#include "vport/WineLink.h"

namespace vport {
namespace {

std::string LinkTarget(const std::string& path) {
  std::error_code ec;
  const auto target = std::filesystem::read_symlink(path, ec);
  return ec ? std::string() : target.string();
}

class WineLinkTest : public ::testing::Test {
 protected:
  WineLinkTest() { std::filesystem::create_directory(DosDevices()); }
  std::string DosDevices() const { return dir.Entry("dosdevices"); }
  WineLink Link() const { return WineLink(DosDevices(), "COM5", dir.Entry("COM5")); }

  test::TempPortDir dir;
};

TEST_F(WineLinkTest, MadeInLowerCaseAndRemoved) {
  WineLink link = Link();
  EXPECT_EQ(link.Path(), DosDevices() + "/com5");
  EXPECT_EQ(link.Make(), WineLink::Result::Made);
  EXPECT_EQ(LinkTarget(DosDevices() + "/com5"), dir.Entry("COM5"));
  EXPECT_EQ(link.Make(), WineLink::Result::Made);  // a link of ours left by a crashed run is kept
  EXPECT_EQ(link.Remove(), WineLink::Result::Removed);
  EXPECT_FALSE(std::filesystem::is_symlink(DosDevices() + "/com5"));
  EXPECT_EQ(link.Remove(), WineLink::Result::Removed);  // nothing left to remove
}

TEST_F(WineLinkTest, ForeignLinkIsLeftAloneAndReported) {
  ASSERT_EQ(symlink("/dev/ttyS4", (DosDevices() + "/com5").c_str()), 0);
  WineLink link = Link();
  EXPECT_EQ(link.Make(), WineLink::Result::Foreign);
  EXPECT_EQ(link.Remove(), WineLink::Result::Foreign);
  EXPECT_EQ(LinkTarget(DosDevices() + "/com5"), "/dev/ttyS4");
  EXPECT_NE(link.Describe(WineLink::Result::Foreign).find("left alone"), std::string::npos);
}

TEST_F(WineLinkTest, ForeignFileIsLeftAlone) {
  std::ofstream(DosDevices() + "/com5") << "mine";
  WineLink link = Link();
  EXPECT_EQ(link.Make(), WineLink::Result::Foreign);
  EXPECT_EQ(link.Remove(), WineLink::Result::Foreign);
  std::ifstream in(DosDevices() + "/com5");
  std::string text;
  in >> text;
  EXPECT_EQ(text, "mine");
}

TEST_F(WineLinkTest, PrefixWithoutDosDevicesIsNotMadeUp) {
  WineLink link(dir.Entry("no-prefix/dosdevices"), "COM5", dir.Entry("COM5"));
  EXPECT_EQ(link.Make(), WineLink::Result::NoFolder);
  EXPECT_FALSE(std::filesystem::exists(dir.Entry("no-prefix")));
}

TEST_F(WineLinkTest, UnwritableFolderFails) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  ASSERT_EQ(chmod(DosDevices().c_str(), 0500), 0);
  WineLink link = Link();
  EXPECT_EQ(link.Make(), WineLink::Result::Failed);
  EXPECT_EQ(link.Error(), EACCES);
  chmod(DosDevices().c_str(), 0700);
}

TEST_F(WineLinkTest, ALinkThatCannotBeMadeOrRemovedIsReportedWithItsError) {
  using Fault = platform::FakeFileOps::Call;
  platform::FakeFileOps files;
  WineLink link(DosDevices(), "COM5", dir.Entry("COM5"), files);
  files.FailNext(Fault::kSymlink, EACCES);
  EXPECT_EQ(link.Make(), WineLink::Result::Failed);
  EXPECT_EQ(link.Error(), EACCES);
  EXPECT_EQ(link.Describe(WineLink::Result::Failed),
            "Wine link " + link.Path() + " failed: Permission denied");
  ASSERT_EQ(link.Make(), WineLink::Result::Made);
  files.FailNext(Fault::kUnlink, EPERM);
  EXPECT_EQ(link.Remove(), WineLink::Result::Failed);
  EXPECT_EQ(link.Error(), EPERM);
  EXPECT_EQ(LinkTarget(link.Path()), dir.Entry("COM5"));
  files.FailNext(Fault::kLstat, EACCES);
  EXPECT_EQ(link.Remove(), WineLink::Result::Failed);
  EXPECT_EQ(link.Error(), EACCES);
  EXPECT_EQ(link.Remove(), WineLink::Result::Removed);
}

TEST(WineLinkFolder, PrefixFromEnvironmentElseHome) {
  setenv("WINEPREFIX", "/srv/wine-a", 1);
  EXPECT_EQ(WineLink::DosDevicesFromEnvironment(), "/srv/wine-a/dosdevices");
  unsetenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(WineLink::DosDevicesFromEnvironment(), std::string(home) + "/.wine/dosdevices");
  }
}

}  // namespace
}  // namespace vport
