#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FakeFileOps.h"
#include "vport/PortFolder.h"
#include "vport/TempPortDir.h"

namespace vport {
namespace {

using test::TempPortDir;
using State = PortFolder::LinkState;
using Fault = platform::FakeFileOps::Call;

TEST(PortFolderTest, LinkNames) {
  EXPECT_EQ(PortFolder::LinkNameFor("COM1"), "COM1");
  EXPECT_EQ(PortFolder::LinkNameFor("com5"), "COM5");
  EXPECT_EQ(PortFolder::LinkNameFor("COM255"), "COM255");
  for (const char* bad : {"", "COM", "COM0", "COM256", "COM05", "COM1a", "COM-1", "LPT1", "COM1/",
                          "COM../", "COM99999", "CO1"}) {
    EXPECT_EQ(PortFolder::LinkNameFor(bad), "") << bad;
  }
}

TEST(PortFolderTest, FolderFromEnvironment) {
  const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = oldRuntime ? oldRuntime : "";
  setenv("PORTOLAN_PORT_DIR", "/x/ports", 1);
  EXPECT_EQ(PortFolder::FromEnvironment().Path(), "/x/ports");
  unsetenv("PORTOLAN_PORT_DIR");
  setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
  EXPECT_EQ(PortFolder::FromEnvironment().Path(), "/run/user/7/portolan");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(PortFolder::FromEnvironment().Path(),
            "/tmp/portolan-" + std::to_string(getuid()) + "/ports");
  if (oldRuntime) setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(PortFolderTest, EnsureMakesPrivateFolders) {
  TempPortDir dir;
  const PortFolder folder(dir.Entry("a/b/ports"));
  ASSERT_EQ(folder.Ensure(), 0);
  struct stat st {};
  ASSERT_EQ(stat(folder.Path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(folder.Ensure(), 0);  // again: already there
}

TEST(PortFolderTest, EnsureRefusesAFile) {
  TempPortDir dir;
  std::ofstream(dir.Entry("file")) << "x";
  EXPECT_NE(PortFolder(dir.Entry("file")).Ensure(), 0);
  EXPECT_NE(PortFolder("relative/ports").Ensure(), 0);
}

TEST(PortFolderTest, InspectClassifies) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/4242", dir.Entry("COM1").c_str()), 0);
  ASSERT_EQ(symlink("/etc/passwd", dir.Entry("COM2").c_str()), 0);
  std::ofstream(dir.Entry("COM3")) << "x";
  ASSERT_EQ(mkdir(dir.Entry("COM4").c_str(), 0700), 0);
  ASSERT_EQ(symlink("/dev/pts/../sda", dir.Entry("COM6").c_str()), 0);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM1")), State::Ours);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM2")), State::Foreign);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM3")), State::Foreign);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM4")), State::Foreign);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM5")), State::Absent);
  EXPECT_EQ(PortFolder::Inspect(dir.Entry("COM6")), State::Foreign);
}

TEST(PortFolderTest, PublishReplacesOursAndRefusesForeign) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/4242", dir.Entry("COM1").c_str()), 0);
  ASSERT_EQ(PortFolder::Publish(dir.Entry("COM1"), "/dev/pts/7"), 0);
  EXPECT_EQ(std::filesystem::read_symlink(dir.Entry("COM1")), "/dev/pts/7");
  std::ofstream(dir.Entry("COM3")) << "keep";
  EXPECT_EQ(PortFolder::Publish(dir.Entry("COM3"), "/dev/pts/7"), EEXIST);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.Entry("COM3")));
  // No temporary links are left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST(PortFolderTest, RemoveOnlyWhilePointingAtTarget) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/8", dir.Entry("COM1").c_str()), 0);
  EXPECT_FALSE(PortFolder::RemoveIfTarget(dir.Entry("COM1"), "/dev/pts/9"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Entry("COM1")));
  EXPECT_TRUE(PortFolder::RemoveIfTarget(dir.Entry("COM1"), "/dev/pts/8"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir.Entry("COM1")));
}

TEST(PortFolderTest, SweepRemovesOnlyOurLinks) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/8", dir.Entry("COM1").c_str()), 0);
  ASSERT_EQ(symlink("/dev/pts/9", dir.Entry("COM200").c_str()), 0);
  ASSERT_EQ(symlink("/etc/passwd", dir.Entry("COM2").c_str()), 0);
  ASSERT_EQ(symlink("/dev/pts/8", dir.Entry("notes").c_str()), 0);
  std::ofstream(dir.Entry("COM3")) << "x";
  EXPECT_EQ(PortFolder(dir.Path()).SweepOurLinks(), 2);
  EXPECT_FALSE(std::filesystem::is_symlink(dir.Entry("COM1")));
  EXPECT_FALSE(std::filesystem::is_symlink(dir.Entry("COM200")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Entry("COM2")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Entry("notes")));
  EXPECT_TRUE(std::filesystem::exists(dir.Entry("COM3")));
}

TEST(PortFolderTest, APublishWhoseRenameFailsLeavesNoTemporaryLink) {
  TempPortDir dir;
  platform::FakeFileOps files;
  files.FailNext(Fault::kRename, EIO);
  EXPECT_EQ(PortFolder::Publish(dir.Entry("COM1"), "/dev/pts/7", files), EIO);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
  EXPECT_EQ(PortFolder::Publish(dir.Entry("COM1"), "/dev/pts/7", files), 0);
}

TEST(PortFolderTest, SweepCountsOnlyTheLinksThatWentAndEnsureReportsAFolderNotMade) {
  TempPortDir dir;
  ASSERT_EQ(symlink("/dev/pts/8", dir.Entry("COM1").c_str()), 0);
  ASSERT_EQ(symlink("/dev/pts/9", dir.Entry("COM2").c_str()), 0);
  platform::FakeFileOps files;
  files.FailNext(Fault::kUnlink, EPERM);
  EXPECT_EQ(PortFolder(dir.Path(), files).SweepOurLinks(), 1);
  EXPECT_NE(std::filesystem::is_symlink(dir.Entry("COM1")),
            std::filesystem::is_symlink(dir.Entry("COM2")));
  files.FailNext(Fault::kMkdir, EACCES);
  EXPECT_EQ(PortFolder(dir.Entry("new/ports"), files).Ensure(), EACCES);
  EXPECT_FALSE(std::filesystem::exists(dir.Entry("new/ports")));
}

}  // namespace
}  // namespace vport
