#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "app/TempDir.h"
#include "platform/SystemInfo.h"

using platform::SystemInfo;

namespace {

// Sets or clears an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SystemInfoTest, ProgramFolderHoldsThisTestProgram) {
  const std::string folder = SystemInfo::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_EQ(folder.back(), '/');
  struct stat st {};
  EXPECT_EQ(::stat((folder + "platform_SystemInfoTest").c_str(), &st), 0) << folder;
}

TEST(SystemInfoTest, WindowsDirectoryFromWindirOrWinePrefix) {
  {
    ScopedEnv windir("WINDIR", "/srv/legacy/WINDOWS");
    EXPECT_EQ(SystemInfo::WindowsDirectory(), "/srv/legacy/WINDOWS");
  }
  ScopedEnv windir("WINDIR", nullptr);
  {
    ScopedEnv home("HOME", "/home/tester");
    EXPECT_EQ(SystemInfo::WindowsDirectory(), "/home/tester/.wine/drive_c/windows");
  }
  {
    ScopedEnv home("HOME", "/home/tester/");
    EXPECT_EQ(SystemInfo::WindowsDirectory(), "/home/tester/.wine/drive_c/windows");
  }
  ScopedEnv empty("WINDIR", "");
  ScopedEnv home("HOME", "/h");
  EXPECT_EQ(SystemInfo::WindowsDirectory(), "/h/.wine/drive_c/windows");
}

const char* const kDebian =
    "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
    "NAME=\"Debian GNU/Linux\"\n"
    "VERSION_ID=\"12\"\n"
    "ID=debian\n";

TEST(SystemInfoTest, DescriptionJoinsDistributionAndKernel) {
  EXPECT_EQ(SystemInfo::BuildOsDescription(kDebian, "Linux", "6.1.0-18-amd64", "x86_64"),
            "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64 x86_64");
}

TEST(SystemInfoTest, DescriptionFallsBackToNameThenKernelOnly) {
  EXPECT_EQ(SystemInfo::BuildOsDescription("NAME=Alpine\nID=alpine\n", "Linux", "6.6", "aarch64"),
            "Alpine, Linux 6.6 aarch64");
  EXPECT_EQ(SystemInfo::BuildOsDescription("", "Linux", "6.6", "aarch64"), "Linux 6.6 aarch64");
  EXPECT_EQ(SystemInfo::BuildOsDescription(kDebian, "", "", ""), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(SystemInfo::BuildOsDescription("", "", "", ""), "");
}

TEST(SystemInfoTest, OsReleaseQuotingRules) {
  const char* text =
      "# comment\r\n"
      "  PRETTY_NAME='Single \"quoted\"'\r\n"
      "A=\"esc \\\"q\\\" \\$x \\\\ \\n\" # trailing comment\n"
      "B=bare\\ word\n"
      "NAMESPACE=wrong\n"
      "NAME=\"unterminated\n"
      "EMPTY=\n";
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "PRETTY_NAME"), "Single \"quoted\"");
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "A"), "esc \"q\" $x \\ \\n");
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "B"), "bare word");
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "NAME"), "unterminated");
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "EMPTY"), "");
  EXPECT_EQ(SystemInfo::OsReleaseValue(text, "MISSING"), "");
}

TEST(SystemInfoTest, OsDescriptionOfThisMachineNamesTheKernel) {
  EXPECT_NE(SystemInfo::OsDescription().find("Linux"), std::string::npos);
}

TEST(SystemInfoTest, HostAddressesAreDottedIpv4) {
  EXPECT_EQ(SystemInfo::HostAddressOf("127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(SystemInfo::HostAddressOf("127.1.2.3"), "127.1.2.3");
  EXPECT_EQ(SystemInfo::HostAddressOf("localhost").rfind("127.", 0), 0u);
  EXPECT_EQ(SystemInfo::HostAddressOf(""), "");
  EXPECT_FALSE(SystemInfo::HostName().empty());
}

}  // namespace

TEST(SystemInfoTest, DataFolderIsShareBesideBinOnceInstalled) {
  TempDir root;
  std::filesystem::create_directories(root.Path() / "bin");
  // A build tree: nothing installed beside the program, so its own folder holds the data.
  EXPECT_EQ(SystemInfo::DataFolderOf(root.Folder() + "bin/"), root.Folder() + "bin/");
  root.Write("share", "");  // a file of that name is no data folder
  EXPECT_EQ(SystemInfo::DataFolderOf(root.Folder() + "bin/"), root.Folder() + "bin/");
  std::filesystem::remove(root.Path() / "share");
  std::filesystem::create_directories(root.Path() / "share/portolan");
  EXPECT_EQ(SystemInfo::DataFolderOf(root.Folder() + "bin/"), root.Folder() + "share/portolan/");
}
