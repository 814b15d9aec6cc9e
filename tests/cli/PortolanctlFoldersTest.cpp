// portolanctl run against runtime and port folders that another local user could have made or
// opened: it refuses them with the path and the reason before it publishes anything, and a lock
// file that cannot be made is a fault said as such, not "already running".
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "../app/TempDir.h"
#include "ProcessRunner.h"
#include "support/SecondUser.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

class PortolanctlFolders : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Env(const std::string& runtime, const std::string& ports) {
    return {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"},
            {"PORTOLAN_PORT_DIR", ports},
            {"XDG_RUNTIME_DIR", runtime}};
  }
  ProcessResult Run(const std::string& runtime, const std::string& ports) {
    return RunProcess(kCtl, {"run", "--port", "COM5=127.0.0.1:1"}, Env(runtime, ports));
  }
  static bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
  }
  TempDir dir;
};

TEST_F(PortolanctlFolders, PortFolderAnotherUserCouldWriteIsRefusedBeforeAnyLink) {
  test::SecondUser other;
  const std::string open = dir.Folder() + "open";
  const std::string foreign = dir.Folder() + "foreign";
  const std::string linked = dir.Folder() + "linked";
  mkdir(open.c_str(), 0700);
  chmod(open.c_str(), 0777);
  mkdir(foreign.c_str(), 0700);
  if (other.Available()) chown(foreign.c_str(), other.Uid(), other.Gid());
  symlink(open.c_str(), linked.c_str());
  struct Case {
    std::string folder;
    std::string reason;
  };
  const Case cases[] = {
      {open, " is open to other users (mode 0777; 0700 is needed)"},
      {linked, " is a symbolic link, not a folder"},
      {foreign, " belongs to user " + std::to_string(other.Uid()) + ", not to user " +
                    std::to_string(geteuid())},
  };
  for (const Case& c : cases) {
    if (c.folder == foreign && !other.Available()) continue;
    SCOPED_TRACE(c.folder);
    const auto run = Run(dir.Folder(), c.folder);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, "portolanctl: the port folder " + c.folder + c.reason + "\n");
    EXPECT_FALSE(Exists(c.folder + "/COM5"));
  }
}

TEST_F(PortolanctlFolders, SharedRuntimeFolderIsRefusedAndNoLockLandsThere) {
  const std::string shared = dir.Folder() + "shared";
  mkdir(shared.c_str(), 0700);
  chmod(shared.c_str(), 01777);
  const auto run = Run(shared, dir.Folder() + "ports");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err, "portolanctl: the runtime folder " + shared +
                         " is open to other users (mode 1777; 0700 is needed)\n");
  EXPECT_FALSE(Exists(shared + "/portolan.lock"));
}

TEST_F(PortolanctlFolders, LockFileThatCannotBeMadeIsAFaultNotARunningCopy) {
  mkdir((dir.Folder() + "portolan.lock").c_str(), 0700);  // open() gives EISDIR
  const auto run = Run(dir.Path().string(), dir.Folder() + "ports");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err, "portolanctl: cannot make the lock file " + dir.Folder() +
                         "portolan.lock: Is a directory\n");
}

}  // namespace
