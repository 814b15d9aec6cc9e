#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ConsolePrompt.h"
#include "platform/Prompt.h"
#include "platform/ScriptedPrompt.h"

namespace platform {
namespace {

TEST(PromptTest, DefaultAnswerIsTheDefaultButtonOfTheSet) {
  struct Case {
    unsigned type;
    int answer;
  };
  const Case cases[] = {
      {MB_OK, IDOK},
      {MB_OK | MB_ICONEXCLAMATION, IDOK},
      {MB_OKCANCEL, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {MB_ABORTRETRYIGNORE, IDABORT},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
      {MB_YESNOCANCEL, IDYES},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNO | MB_DEFBUTTON3, IDYES},  // no third button: the first
      {MB_OK | MB_DEFBUTTON2, IDOK},
      {MB_RETRYCANCEL, IDRETRY},
      {MB_RETRYCANCEL | MB_DEFBUTTON2, IDCANCEL},
      {0x300, IDOK},  // fourth default button: none has it
      {0x6, IDOK},    // a set we do not know
      {0xF, IDOK},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultAnswer(c.type), c.answer) << std::hex << c.type;
}

std::string ReadAll(int fd) {
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  return out;
}

TEST(PromptTest, ConsolePromptWritesOneLineAndAnswersTheDefault) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ConsolePrompt prompt(fds[1]);
  EXPECT_EQ(prompt.MessageBox("Error sending data. (IP5012)", "Portolan", MB_OK), IDOK);
  EXPECT_EQ(prompt.MessageBox("First\n\nSecond\r\nThird ", "Ask", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(prompt.MessageBox("no caption", "", MB_OKCANCEL), IDOK);
  close(fds[1]);
  EXPECT_EQ(ReadAll(fds[0]),
            "Portolan: Error sending data. (IP5012)\n"
            "Ask: First  Second Third \n"
            "no caption\n");
  close(fds[0]);
}

TEST(PromptTest, ConsoleLineNeutralisesControlCharacters) {
  EXPECT_EQ(ConsolePrompt::FormatLine("name \x1b[2Jx\ty\x7f", "Cap\nX"), "Cap X: name ?[2Jx y?\n");
  EXPECT_EQ(ConsolePrompt::FormatLine("", ""), "\n");
  EXPECT_EQ(ConsolePrompt::FormatLine("caf\xc3\xa9", "c"), "c: caf\xc3\xa9\n");  // UTF-8 kept
}

TEST(PromptTest, ConsolePromptToAClosedFdStillAnswers) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  close(fds[1]);
  ConsolePrompt prompt(fds[1]);
  EXPECT_EQ(prompt.MessageBox("x", "y", MB_RETRYCANCEL), IDRETRY);
}

TEST(PromptTest, ScriptedPromptAnswersInOrderThenDefaultsAndRecords) {
  ScriptedPrompt prompt;
  prompt.QueueAnswer(IDNO);
  prompt.QueueAnswer(IDCANCEL);
  EXPECT_EQ(prompt.MessageBox("one", "A", MB_YESNO), IDNO);
  EXPECT_EQ(prompt.MessageBox("two", "B", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(prompt.MessageBox("three", "C", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
  const auto records = prompt.Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].text, "one");
  EXPECT_EQ(records[0].caption, "A");
  EXPECT_EQ(records[0].type, unsigned{MB_YESNO});
  EXPECT_EQ(records[0].thread, std::this_thread::get_id());
  EXPECT_EQ(records[2].answer, IDNO);
}

TEST(PromptTest, ScriptedPromptRecordsTheThreadThatAsked) {
  ScriptedPrompt prompt;
  std::vector<std::thread> threads;
  std::vector<std::thread::id> ids(4);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      ids[static_cast<size_t>(i)] = std::this_thread::get_id();
      for (int k = 0; k < 50; ++k) prompt.MessageBox(std::to_string(i), "T", MB_OK);
    });
  }
  EXPECT_TRUE(prompt.WaitForCount(200));
  for (auto& t : threads) t.join();
  ASSERT_EQ(prompt.Count(), 200u);
  for (const PromptRecord& r : prompt.Records()) {
    EXPECT_EQ(r.thread, ids[static_cast<size_t>(std::stoi(r.text))]);
  }
  EXPECT_FALSE(prompt.WaitForCount(201, 0));
}

TEST(PromptTest, InstalledPromptAnswersUntilRemoved) {
  ScriptedPrompt scripted;
  scripted.QueueAnswer(IDNO);
  InstallPrompt(&scripted);
  EXPECT_EQ(&CurrentPrompt(), &scripted);
  EXPECT_EQ(CurrentPrompt().MessageBox("q", "c", MB_YESNO), IDNO);
  InstallPrompt(nullptr);
  EXPECT_NE(&CurrentPrompt(), &scripted);
  EXPECT_NE(dynamic_cast<ConsolePrompt*>(&CurrentPrompt()), nullptr);
  EXPECT_EQ(scripted.Count(), 1u);
}

}  // namespace
}  // namespace platform
