#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/Autostart.h"

using platform::Autostart;
using Args = std::vector<std::string>;

namespace {

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/portolan-autostart-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    root_ = templ;
    Save("XDG_CONFIG_HOME", &oldXdg_);
    Save("HOME", &oldHome_);
    ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
  }
  void TearDown() override {
    Restore("XDG_CONFIG_HOME", oldXdg_);
    Restore("HOME", oldHome_);
    std::filesystem::remove_all(root_);
  }
  static void Save(const char* name, std::optional<std::string>* slot) {
    if (const char* v = std::getenv(name)) *slot = v;
  }
  static void Restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string root_;
  std::optional<std::string> oldXdg_, oldHome_;
};

TEST_F(AutostartTest, EntryPathFollowsXdgConfigHomeElseHome) {
  EXPECT_EQ(Autostart::EntryPath(), root_ + "/config/autostart/portolan.desktop");
  ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // relative values are invalid
  ::setenv("HOME", "/home/tester", 1);
  EXPECT_EQ(Autostart::EntryPath(), "/home/tester/.config/autostart/portolan.desktop");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(Autostart::EntryPath(), "/home/tester/.config/autostart/portolan.desktop");
}

TEST_F(AutostartTest, EnableWritesAValidEntryAndDisableRemovesIt) {
  EXPECT_FALSE(Autostart::IsEnabled());
  EXPECT_EQ(Autostart::GetCommand(), "");
  ASSERT_TRUE(Autostart::Enable("/opt/portolan/bin/portolan", {"/ns"}));
  EXPECT_TRUE(Autostart::IsEnabled());
  EXPECT_EQ(ReadAll(Autostart::EntryPath()),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Portolan\n"
            "Comment=Start Portolan at log-in\n"
            "Exec=/opt/portolan/bin/portolan /ns\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n");
  EXPECT_EQ(Autostart::GetCommand(), "/opt/portolan/bin/portolan /ns");
  EXPECT_EQ(Autostart::GetArguments(), (Args{"/opt/portolan/bin/portolan", "/ns"}));
  EXPECT_TRUE(Autostart::Disable());
  EXPECT_FALSE(Autostart::IsEnabled());
  EXPECT_TRUE(Autostart::Disable());  // already gone is fine
}

TEST_F(AutostartTest, ReservedCharactersAreQuotedAndEscaped) {
  EXPECT_EQ(Autostart::FormatExec({"/opt/My Apps/portolan", "50%", "a\"b", "c$d", "e\\f", ""}),
            "\"/opt/My Apps/portolan\" 50%% \"a\\\\\"b\" \"c\\\\$d\" \"e\\\\\\\\f\" \"\"");
  EXPECT_EQ(Autostart::FormatExec({"/p", "tab\there", "line\nbreak"}),
            "/p \"tab\\there\" \"line\\nbreak\"");
}

TEST_F(AutostartTest, HostileArgumentsSurviveTheRoundTrip) {
  const Args args = {"--view=All Print Servers",
                     "it's",
                     "`cmd`",
                     "$HOME",
                     "back\\slash",
                     "q\"uote",
                     "100%",
                     "%f",
                     "",
                     "tab\tand\nnewline",
                     "semi;colon",
                     "~"};
  ASSERT_TRUE(Autostart::Enable("/tmp/dir with space/portolan", args));
  Args expected = {"/tmp/dir with space/portolan"};
  expected.insert(expected.end(), args.begin(), args.end());
  EXPECT_EQ(Autostart::GetArguments(), expected);
  EXPECT_TRUE(Autostart::IsEnabled());
}

TEST_F(AutostartTest, MalformedExecValuesAreRefused) {
  Args argv;
  EXPECT_FALSE(Autostart::ParseExec("\"unterminated", &argv));
  EXPECT_FALSE(Autostart::ParseExec("prog %f", &argv));
  EXPECT_FALSE(Autostart::ParseExec("prog %", &argv));
  EXPECT_FALSE(Autostart::ParseExec("\"bad \\q escape\"", &argv));
  EXPECT_TRUE(Autostart::ParseExec("  prog   a  ", &argv));
  EXPECT_EQ(argv, (Args{"prog", "a"}));
}

TEST_F(AutostartTest, HiddenOrDisabledEntriesDoNotCount) {
  ASSERT_TRUE(Autostart::Enable("/usr/bin/portolan"));
  const std::string path = Autostart::EntryPath();
  std::ofstream(path, std::ios::app) << "Hidden=true\n";
  EXPECT_FALSE(Autostart::IsEnabled());
  std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=Portolan\nExec=/usr/bin/"
                         "portolan\nX-GNOME-Autostart-enabled=false\n";
  EXPECT_FALSE(Autostart::IsEnabled());
  std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=Portolan\n";
  EXPECT_FALSE(Autostart::IsEnabled());
}

TEST_F(AutostartTest, UnwritableFolderFailsCleanly) {
  std::ofstream(root_ + "/config") << "a file where the folder should be";
  EXPECT_FALSE(Autostart::Enable("/usr/bin/portolan"));
  EXPECT_FALSE(Autostart::IsEnabled());
}

}  // namespace
