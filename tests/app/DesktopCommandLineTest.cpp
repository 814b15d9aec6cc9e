// What the desktop program answers before any window: --help, --version, and no display. The
// program itself runs inside a network namespace of its own when the machine allows one; none of
// these answers reaches the network anyway, since they end before Qt starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "../cli/ProcessRunner.h"
#include "TempDir.h"
#include "app/DesktopCommandLine.h"

namespace app {
namespace {

const std::string kPortolan = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolan";

TEST(DesktopCommandLine, HelpAndVersionAnywhereAmongTheArguments) {
  std::ostringstream out;
  EXPECT_EQ(DesktopCommandLine::AnswerInfoOptions({"/new", "--help"}, "1.2", out), 0);
  EXPECT_EQ(out.str(), DesktopCommandLine::HelpText());
  out.str("");
  EXPECT_EQ(DesktopCommandLine::AnswerInfoOptions({"-h"}, "1.2", out), 0);
  EXPECT_EQ(out.str(), DesktopCommandLine::HelpText());
  out.str("");
  EXPECT_EQ(DesktopCommandLine::AnswerInfoOptions({"--version"}, "1.2", out), 0);
  EXPECT_EQ(out.str(), "portolan 1.2\n");
  out.str("");
  EXPECT_FALSE(DesktopCommandLine::AnswerInfoOptions({"/new", "/v", "Lab"}, "1.2", out));
  EXPECT_FALSE(DesktopCommandLine::AnswerInfoOptions({}, "1.2", out));
  EXPECT_EQ(out.str(), "");
}

TEST(DesktopCommandLine, PlatformFromTheArgumentsBeforeTheEnvironment) {
  EXPECT_EQ(DesktopCommandLine::PlatformName({"-platform", "offscreen"}, "xcb"), "offscreen");
  EXPECT_EQ(DesktopCommandLine::PlatformName({"/new"}, "xcb"), "xcb");
  EXPECT_EQ(DesktopCommandLine::PlatformName({"-platform"}, nullptr), "");
  EXPECT_EQ(DesktopCommandLine::PlatformName({}, nullptr), "");
}

TEST(DesktopCommandLine, NoDisplayOnlyForPlatformsThatNeedOne) {
  EXPECT_NE(DesktopCommandLine::NoDisplayProblem("", nullptr, nullptr), "");
  EXPECT_NE(DesktopCommandLine::NoDisplayProblem("xcb", "", ""), "");
  EXPECT_NE(DesktopCommandLine::NoDisplayProblem("wayland;xcb", nullptr, nullptr), "");
  EXPECT_EQ(DesktopCommandLine::NoDisplayProblem("xcb", ":0", nullptr), "");
  EXPECT_EQ(DesktopCommandLine::NoDisplayProblem("", nullptr, "wayland-0"), "");
  EXPECT_EQ(DesktopCommandLine::NoDisplayProblem("offscreen", nullptr, nullptr), "");
  EXPECT_EQ(DesktopCommandLine::NoDisplayProblem("minimal", "", ""), "");
}

class DesktopProgramCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kPortolan)) GTEST_SKIP() << "built without the desktop program";
  }
  // The program in a network namespace of its own when one can be made.
  ProcessResult Portolan(const std::vector<std::string>& args,
                         std::map<std::string, std::string> env) {
    env["PORTOLAN_REGISTRY"] = config.Folder() + "registry.reg";
    env["XDG_RUNTIME_DIR"] = config.Folder();
    if (RunProcess("/usr/bin/unshare", {"-n", "/bin/true"}).exitCode != 0) {
      return RunProcess(kPortolan, args, env);
    }
    std::vector<std::string> all = {"-n", kPortolan};
    all.insert(all.end(), args.begin(), args.end());
    return RunProcess("/usr/bin/unshare", all, env);
  }
  bool SettingsTouched() const { return std::filesystem::exists(config.Path() / "registry.reg"); }
  TempDir config;
};

TEST_F(DesktopProgramCommandLine, HelpAndVersionPrintAndEndWithoutAWindow) {
  // No display at all: had Qt started, it would have ended in an abort.
  const std::map<std::string, std::string> noDisplay = {
      {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}};
  auto help = Portolan({"--help"}, noDisplay);
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_EQ(help.out, DesktopCommandLine::HelpText());
  EXPECT_EQ(help.err, "");
  auto version = Portolan({"--version"}, noDisplay);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("portolan ", 0), 0u) << version.out;
  EXPECT_FALSE(SettingsTouched());
}

TEST_F(DesktopProgramCommandLine, WithoutADisplayOneLineAndAFailureExit) {
  auto result =
      Portolan({}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}});
  EXPECT_EQ(result.exitCode, DesktopCommandLine::kExitNoDisplay);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            DesktopCommandLine::NoDisplayLine(DesktopCommandLine::NoDisplayProblem("xcb", "", "")));
  EXPECT_FALSE(SettingsTouched());
}

TEST_F(DesktopProgramCommandLine, DisplayThatCannotBeReachedIsOneLineToo) {
  // A display named but not there: Qt's own start fails, and its abort becomes the line.
  auto result = Portolan({}, {{"DISPLAY", ":97"},
                              {"WAYLAND_DISPLAY", ""},
                              {"QT_QPA_PLATFORM", "xcb"},
                              {"XAUTHORITY", "/nonexistent"}});
  EXPECT_EQ(result.exitCode, DesktopCommandLine::kExitNoDisplay);
  EXPECT_EQ(result.err.rfind("portolan: cannot open a display (", 0), 0u) << result.err;
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_FALSE(SettingsTouched());
}

}  // namespace
}  // namespace app
