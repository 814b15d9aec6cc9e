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

// A settings file kept elsewhere behind a link (a dotfiles folder): a change is written to the
// target, the link stays, and the lock lies beside the target.
TEST_F(PortolanctlFolders, ASettingsPathThatIsALinkIsWrittenThrough) {
  mkdir((dir.Folder() + "dotfiles").c_str(), 0700);
  const std::string kept = dir.Folder() + "dotfiles/portolan.reg";
  const std::string missing = dir.Folder() + "dotfiles/new.reg";
  {
    std::ofstream(kept) << "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Portolan\\Portolan\\General]\n"
                           "\"Old\"=\"kept\"\n";
  }
  struct Case {
    std::string link;
    std::string target;  // as the link holds it
    std::string file;    // where it leads
  };
  const Case cases[] = {
      {dir.Folder() + "relative.reg", "dotfiles/portolan.reg", kept},
      {dir.Folder() + "dangling.reg", missing, missing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ASSERT_EQ(symlink(c.target.c_str(), c.link.c_str()), 0);
    const auto set = RunProcess(kCtl, {"settings", "set", "General", "Location", "/opt/x/"},
                                {{"PORTOLAN_REGISTRY", c.link}});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    struct stat st {};
    ASSERT_EQ(lstat(c.link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::ifstream in(c.file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"Location\"=\"/opt/x/\""), std::string::npos) << text;
    EXPECT_TRUE(Exists(c.file + ".lock"));
    EXPECT_FALSE(Exists(c.link + ".lock"));
  }
  const auto get = RunProcess(kCtl, {"settings", "get", "General", "Old"},
                              {{"PORTOLAN_REGISTRY", dir.Folder() + "relative.reg"}});
  EXPECT_EQ(get.out, "kept\n");
}

}  // namespace
