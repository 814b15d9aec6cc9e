#include <gtest/gtest.h>

#include "platform/FileChooser.h"
#include "platform/Launcher.h"
#include "platform/RecordingLauncher.h"

namespace platform {
namespace {

TEST(Mailto, AddressThenPercentEncodedSubject) {
  EXPECT_EQ(Launcher::MailtoUrl("support@example.com", "Portolan Support"),
            "mailto:support@example.com?subject=Portolan%20Support");
  EXPECT_EQ(Launcher::MailtoUrl("a@b.c", "R&D: 100% ?#=\r\n"),
            "mailto:a@b.c?subject=R%26D%3A%20100%25%20%3F%23%3D%0D%0A");
  EXPECT_EQ(Launcher::MailtoUrl("a@b.c", ""), "mailto:a@b.c");
  // Nothing in the address can start the query or add headers.
  EXPECT_EQ(Launcher::MailtoUrl("x?cc=y&z@b.c", "s"), "mailto:x%3Fcc=y%26z@b.c?subject=s");
  EXPECT_EQ(Launcher::MailtoUrl("a b@c", "s"), "mailto:a%20b@c?subject=s");
}

TEST(Mailto, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(Launcher::PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(Launcher::PercentEncode("/+\xC3\xA9"), "%2F%2B%C3%A9");
  EXPECT_EQ(Launcher::PercentEncode(std::string(1, '\0')), "%00");
}

TEST(RecordingLauncher, RecordsEveryRequestAndAnswersAsTold) {
  RecordingLauncher launcher;
  EXPECT_FALSE(launcher.OpenUrl("http://127.0.0.1"));
  launcher.SetResult(true);
  EXPECT_TRUE(launcher.OpenMail("a@b.c", "Hi there"));
  EXPECT_TRUE(launcher.HandToRunningCopy({"/new", "/v", "My \"view\" name"}));
  const auto calls = launcher.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].what, "url");
  EXPECT_EQ(calls[0].url, "http://127.0.0.1");
  EXPECT_EQ(calls[1].url, "mailto:a@b.c?subject=Hi%20there");
  EXPECT_EQ(calls[2].args, (std::vector<std::string>{"/new", "/v", "My \"view\" name"}));
}

TEST(CurrentLauncher, OpensNothingUntilOneIsInstalled) {
  EXPECT_FALSE(CurrentLauncher().OpenUrl("http://127.0.0.1"));
  RecordingLauncher launcher;
  launcher.SetResult(true);
  InstallLauncher(&launcher);
  EXPECT_TRUE(CurrentLauncher().OpenUrl("http://127.0.0.1"));
  InstallLauncher(nullptr);
  EXPECT_EQ(launcher.Calls().size(), 1u);
}

TEST(FileChooser, SplitsTheBarSeparatedFilter) {
  const auto pairs =
      FileChooser::SplitFilter("Text files (*.txt)|*.txt|All files (*.*)|*.*||ignored|*.x");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].first, "Text files (*.txt)");
  EXPECT_EQ(pairs[0].second, "*.txt");
  EXPECT_EQ(pairs[1].second, "*.*");
  EXPECT_TRUE(FileChooser::SplitFilter("").empty());
  EXPECT_TRUE(FileChooser::SplitFilter("odd").empty());
}

TEST(ScriptedFileChooser, AnswersInOrderThenCancels) {
  ScriptedFileChooser files;
  files.QueueAnswer("/tmp/a.txt");
  EXPECT_EQ(files.GetSaveFileName({"t", "n", "", "txt"}), std::optional<std::string>("/tmp/a.txt"));
  EXPECT_EQ(files.GetSaveFileName({"t", "n", "", "txt"}), std::nullopt);
  EXPECT_EQ(files.Requests().size(), 2u);
}

}  // namespace
}  // namespace platform
