#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakePrompt.h"
#include "app/ErrorReporter.h"
#include "app/Settings.h"
#include "platform/RegistryStore.h"

namespace {

using app::ErrorReporter;

struct LineCase {
  unsigned codeA;
  int classA;
  unsigned codeB;
  int classB;
  const char* line;
  const char* caption;
};

TEST(ErrorReporterLines, MessageLinesAndCaptions) {
  const LineCase cases[] = {
      {5012, 1, 0, 0, "Error sending data. (IP5012)", "Portolan"},
      {10054, 3, 5012, 1, "Winsock Error. Error sending data. (WS10054,IP5012)",
       "Windows Sockets Error"},
      {5006, 1, 10091, 3, "Winsock cannot be initialized. Winsock Error. (IP5006,WS10091)",
       "Portolan"},
      {5507, 2, 0, 0, "The view must have a name. (VW5507)", "Customize View Error"},
      {5021, 4, 0, 0, "SNMP Error. (SN5021)", "SNMP Error"},
      {5024, 7, 0, 0, "Cannot open the requested file. (WIN5024)", "Windows Error"},
      {5024, 8, 0, 0, "Cannot open the requested file. (VNS5024)", "VINES Error"},
      {1, 8, 0, 0, "Windows Error. (VNS1)", "VINES Error"},  // no such string
      {1, 1, 0, 0, "Portolan (IP1)", "Portolan"},            // no such string
      {1, 5, 0, 0, "NetWare Error. (NW1)", "NetWare Error"},
      {1, 6, 0, 0, "Serial Port Error. (CM1)", "Serial Port Error"},
      {77, 0, 0, 0, "Error ()", "Error"},
      {77, 9, 5012, 1, "Error Error sending data. (,IP5012)", "Error"},
      {4294967295u, 3, 0, 0, "Winsock Error. (WS4294967295)", "Windows Sockets Error"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorReporter::MessageLine(c.codeA, c.classA, c.codeB, c.classB), c.line)
        << c.codeA << "/" << c.classA;
    EXPECT_EQ(ErrorReporter::CaptionOf(c.classA), c.caption) << c.classA;
  }
}

class ErrorReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("portolan-errlog-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(oldDir);
    std::filesystem::remove_all(dir);
  }
  std::string LogText() {
    std::ifstream in(dir / "KESTRELLOG.TXT");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path dir, oldDir;
  platform::RegistryStore store{""};
  app::Settings settings{store};
  FakePrompt prompt;
};

TEST_F(ErrorReporterTest, ShowsTheLineAsAWarningBox) {
  ErrorReporter reporter(settings, &prompt);
  EXPECT_EQ(reporter.Report(5012, 1, 0, 0, 1), platform::IDOK);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, "Error sending data. (IP5012)");
  EXPECT_EQ(prompt.shown[0].caption, "Portolan");
  EXPECT_EQ(prompt.shown[0].type, unsigned(platform::MB_OK | platform::MB_ICONEXCLAMATION));
  EXPECT_EQ(reporter.Report(5012, 1, 0, 0, 0), 0);
  EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(ErrorReporterTest, SuppressedReportsShowAndLogNothing) {
  settings.WriteInt("General", "Log", 1);
  ErrorReporter reporter(settings, &prompt);
  EXPECT_EQ(reporter.Report(10054, 3, 2, 1, 1), 0);
  EXPECT_EQ(reporter.Report(5018, 5, 3161, 4, 1), 0);
  EXPECT_EQ(reporter.Report(5018, 5, 2, 9, 1), 0);
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_EQ(LogText(), "");
  EXPECT_EQ(reporter.Report(5018, 5, 3161, 1, 0), 0);  // 3161 of another class is not quiet
  EXPECT_NE(LogText(), "");
}

TEST_F(ErrorReporterTest, LogsShownAndUnshownWhenLogIsOneReadOnce) {
  settings.WriteInt("General", "Log", 1);
  ErrorReporter reporter(settings, &prompt);
  reporter.Report(5012, 1, 0, 0, 0);
  reporter.Report(10054, 3, 5012, 1, 1);
  settings.WriteInt("General", "Log", 0);  // no effect until the next start
  reporter.Report(5003, 1, 0, 0, 0);
  EXPECT_EQ(LogText(),
            "Error sending data. (IP5012)\n"
            "Winsock Error. Error sending data. (WS10054,IP5012)\n"
            "The IP address is invalid. (IP5003)\n");
}

TEST_F(ErrorReporterTest, OnlyLogValueOneLogs) {
  settings.WriteInt("General", "Log", 2);
  ErrorReporter reporter(settings, &prompt);
  reporter.Report(5012, 1, 0, 0, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "KESTRELLOG.TXT"));
}

// The log lands in the working folder, which may be shared: a link planted under its name is not
// followed, and a log made by the program is readable by its user alone.
TEST_F(ErrorReporterTest, TheLogFollowsNoLinkAndIsMadePrivate) {
  settings.WriteInt("General", "Log", 1);
  ErrorReporter reporter(settings, &prompt);
  const auto target = dir / "elsewhere.txt";
  std::filesystem::create_symlink(target, dir / "KESTRELLOG.TXT");
  reporter.Report(5012, 1, 0, 0, 0);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "KESTRELLOG.TXT"));

  std::filesystem::remove(dir / "KESTRELLOG.TXT");
  const mode_t old = ::umask(022);
  reporter.Report(5012, 1, 0, 0, 0);
  ::umask(old);
  EXPECT_EQ(LogText(), "Error sending data. (IP5012)\n");
  struct stat st {};
  ASSERT_EQ(::lstat((dir / "KESTRELLOG.TXT").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

class ErrorExistWatcher : public FakePrompt {
 public:
  explicit ErrorExistWatcher(app::Settings& s) : settings(s) {}
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    seenDuringBox = settings.GetInt("Error", "ErrorExist", -1);
    return FakePrompt::MessageBox(text, caption, type);
  }
  app::Settings& settings;
  int seenDuringBox = -1;
};

TEST_F(ErrorReporterTest, DiscoveryRequestFailureRaisesErrorExistAroundTheBox) {
  ErrorExistWatcher watcher(settings);
  ErrorReporter reporter(settings, &watcher);
  reporter.Report(5005, 1, 10051, 3, 1);
  EXPECT_EQ(watcher.seenDuringBox, 1);
  EXPECT_EQ(settings.GetInt("Error", "ErrorExist", -1), 0);
  ErrorExistWatcher other(settings);
  ErrorReporter second(settings, &other);
  settings.DeleteEntry("Error", "ErrorExist");
  second.Report(5012, 1, 0, 0, 1);
  EXPECT_EQ(other.seenDuringBox, -1);
  second.Report(5005, 1, 0, 0, 0);  // not shown: not touched
  EXPECT_EQ(settings.GetInt("Error", "ErrorExist", -1), -1);
}

}  // namespace

namespace {

// The process-wide ReportError reads General\Log once per installation of the settings.
TEST(ProcessWideReportError, FollowsTheInstalledSettings) {
  FakePrompt prompt;
  platform::InstallPrompt(&prompt);
  platform::RegistryStore first{""}, second{""};
  app::Settings firstSettings{first}, secondSettings{second};
  app::InstallSettings(&firstSettings);
  app::ReportError(5012, 1, 0, 0, 1);
  app::InstallSettings(&secondSettings);
  app::ReportError(5005, 1, 0, 0, 1);
  app::InstallSettings(nullptr);
  platform::InstallPrompt(nullptr);
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_FALSE(first.GetValue(firstSettings.SectionPath("Error"), "ErrorExist"));
  EXPECT_TRUE(second.GetValue(secondSettings.SectionPath("Error"), "ErrorExist"));
}

}  // namespace
