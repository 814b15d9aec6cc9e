// portolanctl views: the default Finish as the settings file holds it, the name checks, and the
// delete rules of the Select a View dialog, through the command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../app/TempDir.h"
#include "ProcessRunner.h"

namespace {

const std::string kCtl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";

class PortolanctlViews : public ::testing::Test {
 protected:
  ProcessResult Ctl(const std::vector<std::string>& args) {
    return RunProcess(kCtl, args, {{"PORTOLAN_REGISTRY", dir.Folder() + "registry.reg"}});
  }
  bool Exported(const std::string& text) {
    return Ctl({"settings", "export"}).out.find(text) != std::string::npos;
  }
  TempDir dir;
};

TEST_F(PortolanctlViews, NewMakesTheDefaultTcpIpViewInItsGroup) {
  EXPECT_EQ(Ctl({"views", "list"}).out, "");
  const auto made = Ctl({"views", "new", "Lab"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, "TCP/IP\\Lab\n");
  EXPECT_TRUE(Exported("\\Views\\TCP/IP]\n\"Type\"=dword:00000002\n\"Icons\"=dword:00000007\n"));
  EXPECT_TRUE(
      Exported("\\Views\\TCP/IP\\Lab]\n\"Type\"=dword:00000006\n\"Icons\"=dword:00000010\n"
               "\"Columns\"=\"System Name,IP Address,H/W Address,Virtual Port,Port #\"\n"
               "\"NetSearchBuild\"=dword:00000001\n\"ListBuild\"=dword:00000000\n"
               "\"Sort\"=\">System Name\"\n"));

  ASSERT_EQ(Ctl({"views", "new", "Office", "--group", "tcp/ip"}).exitCode, 0);
  EXPECT_EQ(Ctl({"views", "list"}).out,
            "TCP/IP\tgroup\nTCP/IP\\Lab\tview\tTCP/IP\tcurrent\nTCP/IP\\Office\tview\tTCP/IP\n");
}

TEST_F(PortolanctlViews, RefusedNamesSayWhyAndMakeNothing) {
  ASSERT_EQ(Ctl({"views", "new", "Lab"}).exitCode, 0);
  const struct {
    std::string name;
    std::string text;
  } refused[] = {{"", "The view must have a name."},
                 {"a\\b", "A view or group name may not contain \"\\\"."},
                 {"LAB", "A view or group with that name already exists."},
                 {"TCP/IP", "A view or group with that name already exists."}};
  for (const auto& one : refused) {
    const auto result = Ctl({"views", "new", one.name});
    EXPECT_EQ(result.exitCode, 2) << one.name;
    EXPECT_NE(result.err.find(one.text), std::string::npos) << result.err;
  }
  EXPECT_EQ(Ctl({"views", "new", "X", "--group", "Nowhere"}).exitCode, 1);
  EXPECT_EQ(Ctl({"views", "new", "X", "--group", "Lab"}).exitCode, 1);
  EXPECT_EQ(Ctl({"views", "new"}).exitCode, 2);
  EXPECT_EQ(Ctl({"views", "list"}).out, "TCP/IP\tgroup\nTCP/IP\\Lab\tview\tTCP/IP\tcurrent\n");
}

TEST_F(PortolanctlViews, DeleteFollowsTheSelectAViewRules) {
  ASSERT_EQ(Ctl({"views", "new", "Lab"}).exitCode, 0);
  const auto last = Ctl({"views", "delete", "Lab"});
  EXPECT_EQ(last.exitCode, 3);
  EXPECT_NE(last.err.find("At least one view is required."), std::string::npos) << last.err;
  ASSERT_EQ(Ctl({"views", "new", "Desk"}).exitCode, 0);
  ASSERT_EQ(Ctl({"settings", "set", "General", "CurrentView", "Lab"}).exitCode, 0);
  const auto current = Ctl({"views", "delete", "lab"});
  EXPECT_EQ(current.exitCode, 3);
  EXPECT_NE(current.err.find("The selected view is currently open"), std::string::npos);
  const auto group = Ctl({"views", "delete", "TCP/IP"});
  EXPECT_EQ(group.exitCode, 3);
  EXPECT_NE(group.err.find("Delete sub-views before deleting group."), std::string::npos);
  EXPECT_EQ(Ctl({"views", "delete", "Gone"}).exitCode, 1);
  EXPECT_EQ(Ctl({"views", "delete", "Views"}).exitCode, 3);

  EXPECT_EQ(Ctl({"views", "delete", "Desk"}).exitCode, 0);
  EXPECT_FALSE(Exported("Desk"));
  EXPECT_EQ(Ctl({"views", "list"}).out, "TCP/IP\tgroup\nTCP/IP\\Lab\tview\tTCP/IP\tcurrent\n");
  EXPECT_EQ(Ctl({"views"}).exitCode, 2);
  EXPECT_EQ(Ctl({"views", "frob"}).exitCode, 2);
}

}  // namespace
