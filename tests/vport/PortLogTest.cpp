#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Prompt.h"
#include "vport/PortLog.h"

namespace vport {
namespace {

// Answers message boxes from a list and records what was asked.
class AnsweringPrompt : public platform::Prompt {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned type;
  };
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    boxes.push_back({text, caption, type});
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected box: " << text;
      return platform::IDCANCEL;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<int> answers;
  std::vector<Box> boxes;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "portlog-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  bool ok() const { return !path_.empty(); }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(PortLog, LinesWaitInPendingUntilTheTick) {
  PortLog log;
  log.AppendLog("one");
  log.AppendLog("two");
  EXPECT_EQ(log.pending(), "\r\none\r\ntwo");
  EXPECT_EQ(log.shown(), "");
  EXPECT_EQ(log.MovePending(), "\r\none\r\ntwo");
  EXPECT_EQ(log.shown(), "\r\none\r\ntwo");
  EXPECT_EQ(log.pending(), "");
  EXPECT_EQ(log.MovePending(), "");
  log.AppendLog("three");
  log.MovePending();
  EXPECT_EQ(log.shown(), "\r\none\r\ntwo\r\nthree");
}

TEST(PortLog, ClearEmptiesOnlyTheShownText) {
  PortLog log;
  log.AppendLog("old");
  log.MovePending();
  log.AppendLog("new");
  log.Clear();
  EXPECT_EQ(log.shown(), "");
  EXPECT_EQ(log.pending(), "\r\nnew");
  log.MovePending();
  EXPECT_EQ(log.shown(), "\r\nnew");
}

TEST(PortLog, ShownTextKeepsTheNewestWholeLines) {
  PortLog log(100);
  for (int i = 0; i < 50; ++i) log.AppendLog("line " + std::to_string(i));
  log.MovePending();
  const std::string& shown = log.shown();
  EXPECT_LE(shown.size(), 100u);
  EXPECT_EQ(shown.rfind("\r\nline ", 0), 0u) << shown;
  EXPECT_TRUE(shown.ends_with("\r\nline 49"));
  // Whole lines only: every line is "line N" for consecutive N.
  std::vector<std::string> lines;
  for (std::size_t at = 2; at <= shown.size();) {
    std::size_t end = shown.find("\r\n", at);
    if (end == std::string::npos) end = shown.size();
    lines.push_back(shown.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_FALSE(lines.empty());
  const int first = std::stoi(lines.front().substr(5));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "line " + std::to_string(first + static_cast<int>(i)));
  }
}

TEST(PortLog, PendingTextStaysBoundedWithoutTicks) {
  PortLog log(1000);
  for (int i = 0; i < 100000; ++i) {
    log.AppendLog("Got 128 byte(s) from remote device");
    ASSERT_LE(log.pending().size(), 1250u);
  }
  EXPECT_TRUE(log.pending().ends_with("\r\nGot 128 byte(s) from remote device"));
  log.MovePending();
  EXPECT_LE(log.shown().size(), 1000u);
}

TEST(PortLog, TrimKeepsContinuationLinesWithTheirEntry) {
  std::string text = "\r\nfirst\r\nSpecial characters set:\r\n   EOF: 0x00\r\nlast";
  // The cut point falls inside "Special characters set:"; the next line start is a
  // continuation, so the cut goes on to "last".
  PortLog::TrimOldestLines(text, 20);
  EXPECT_EQ(text, "\r\nlast");
}

TEST(PortLog, TrimFallsBackToAnyLineWhenNoEntryStartFits) {
  std::string text = "\r\nhead\r\n\tcontinued line";
  PortLog::TrimOldestLines(text, 18);
  EXPECT_EQ(text, "\r\n\tcontinued line");
}

TEST(PortLog, ALineLongerThanTheCapacityIsDropped) {
  std::string text = "\r\n" + std::string(50, 'x');
  PortLog::TrimOldestLines(text, 10);
  EXPECT_EQ(text, "");
  std::string fits = "\r\nabc";
  PortLog::TrimOldestLines(fits, 10);
  EXPECT_EQ(fits, "\r\nabc");
}

TEST(PortLog, DefaultFileName) {
  EXPECT_EQ(PortLog::DefaultFileName("COM5"), "COM5PrtLog.txt");
  EXPECT_STREQ(PortLog::kSaveTitle, "Save COM Port Log");
  EXPECT_STREQ(PortLog::kSaveFilter, "Text files (*.txt)|*.txt|All files (*.*)|*.*||");
  EXPECT_STREQ(PortLog::kSaveExtension, "txt");
}

TEST(PortLog, SaveWritesTheShownTextWithoutPending) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  PortLog log;
  log.AppendLog("*** Virtual port (COM5) opened ***");
  log.MovePending();
  log.AppendLog("not yet shown");
  AnsweringPrompt prompt;
  const std::string path = dir.File("COM5PrtLog.txt");
  EXPECT_EQ(log.Save(path, prompt, "Portolan"), PortLog::SaveResult::kSaved);
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_EQ(ReadFile(path), "\n*** Virtual port (COM5) opened ***");
}

TEST(PortLog, SaveAsksBeforeOverwritingAndNoKeepsTheFile) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.File("existing.txt");
  WriteFile(path, "precious");
  PortLog log;
  log.AppendLog("x");
  log.MovePending();
  AnsweringPrompt prompt;
  prompt.answers = {platform::IDNO};
  EXPECT_EQ(log.Save(path, prompt, "Portolan"), PortLog::SaveResult::kKeptExisting);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "The file \"" + path + "\" already exists.  Overwrite file?");
  EXPECT_EQ(prompt.boxes[0].caption, "Portolan");
  EXPECT_EQ(prompt.boxes[0].type & platform::MB_TYPEMASK, platform::MB_YESNO);
  EXPECT_EQ(ReadFile(path), "precious");
}

TEST(PortLog, SaveOverwritesOnYes) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.File("existing.txt");
  WriteFile(path, "a much longer earlier content than the log");
  PortLog log;
  log.AppendLog("Line control changed:\r\n   StopBits: 0 Parity: 0 WrdLen: 8");
  log.MovePending();
  AnsweringPrompt prompt;
  prompt.answers = {platform::IDYES};
  EXPECT_EQ(log.Save(path, prompt, "Portolan"), PortLog::SaveResult::kSaved);
  EXPECT_EQ(ReadFile(path), "\nLine control changed:\n   StopBits: 0 Parity: 0 WrdLen: 8");
}

TEST(PortLog, SaveToAnUncreatableFileTellsTheUser) {
  TempDir dir;
  ASSERT_TRUE(dir.ok());
  PortLog log;
  AnsweringPrompt prompt;
  prompt.answers = {platform::IDOK};
  EXPECT_EQ(log.Save(dir.File("no/such/dir.txt"), prompt, "Caption"),
            PortLog::SaveResult::kOpenFailed);
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text, "Unable to open the requested file.");
  EXPECT_EQ(prompt.boxes[0].caption, "Caption");
  EXPECT_EQ(prompt.boxes[0].type & platform::MB_TYPEMASK, platform::MB_OK);
}

TEST(PortLog, SaveThatCannotBeWrittenIsNotReportedAsSaved) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  PortLog log;
  log.AppendLog(std::string(10000, 'q'));
  log.MovePending();
  AnsweringPrompt prompt;
  prompt.answers = {platform::IDYES, platform::IDOK};  // it exists, then the failure
  EXPECT_EQ(log.Save("/dev/full", prompt, "Portolan"), PortLog::SaveResult::kWriteFailed);
  ASSERT_EQ(prompt.boxes.size(), 2u);
  EXPECT_EQ(prompt.boxes[1].text, "Unable to open the requested file.");
}

}  // namespace
}  // namespace vport
