#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/QtMessagePoster.h"
#include "platform/QtPrompt.h"
#include "platform/WindowMessages.h"
#include "support/QtTestApplication.h"

namespace platform {
namespace {

class QtPlatformTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = testsupport::EnsureQApplication("platform_QtPlatformTests");
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  // Runs the GUI event loop until done() holds.
  static void SpinUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
      if (done()) loop.quit();
    });
    check.start(1);
    loop.exec();
  }

  static QApplication* app_;
};

QApplication* QtPlatformTest::app_ = nullptr;

// Answers the next box that shows up with the given button, noting what it saw.
struct BoxAnswerer {
  QMessageBox::StandardButton press = QMessageBox::NoButton;
  bool reject = false;  // close with Escape instead
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  bool onGuiThread = false;
  QTimer timer;

  explicit BoxAnswerer(QMessageBox::StandardButton button, bool rejectIt = false)
      : press(button), reject(rejectIt) {
    QObject::connect(&timer, &QTimer::timeout, [this] { Look(); });
    timer.start(1);
  }
  void Look() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (box == nullptr || !box->isVisible()) continue;
      timer.stop();
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = box->standardButtons();
      defaultButton = box->standardButton(box->defaultButton());
      onGuiThread = QThread::currentThread() == box->thread() &&
                    box->thread() == QApplication::instance()->thread();
      if (reject) {
        box->reject();
      } else {
        box->button(press)->click();
      }
      return;
    }
  }
};

TEST_F(QtPlatformTest, PromptOnGuiThreadShowsTheBoxAndReturnsTheAnswer) {
  QtPrompt prompt;
  BoxAnswerer answerer(QMessageBox::No);
  const int answer = prompt.MessageBox("Import the old settings?", "Portolan",
                                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(answerer.title, "Portolan");
  EXPECT_EQ(answerer.text, "Import the old settings?");
  EXPECT_EQ(answerer.icon, QMessageBox::Question);
  EXPECT_EQ(answerer.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(answerer.defaultButton, QMessageBox::No);
}

TEST_F(QtPlatformTest, PromptButtonSetsAndIcons) {
  QtPrompt prompt;
  {
    BoxAnswerer answerer(QMessageBox::Retry);
    EXPECT_EQ(prompt.MessageBox("t", "c", MB_ABORTRETRYIGNORE | MB_ICONERROR), IDRETRY);
    EXPECT_EQ(answerer.buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_EQ(answerer.icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.defaultButton, QMessageBox::Abort);
  }
  {
    BoxAnswerer answerer(QMessageBox::Ok);
    EXPECT_EQ(prompt.MessageBox("t", "c", MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(answerer.buttons, QMessageBox::Ok);
    EXPECT_EQ(answerer.icon, QMessageBox::Warning);
  }
  {
    BoxAnswerer answerer(QMessageBox::Cancel);
    EXPECT_EQ(prompt.MessageBox("t", "c", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(answerer.defaultButton, QMessageBox::Cancel);
  }
}

TEST_F(QtPlatformTest, BoxClosedWithoutAButtonGivesTheCautiousAnswer) {
  QtPrompt prompt;
  {
    BoxAnswerer answerer(QMessageBox::NoButton, true);
    EXPECT_EQ(prompt.MessageBox("t", "c", MB_YESNO), IDNO);
  }
  {
    BoxAnswerer answerer(QMessageBox::NoButton, true);
    EXPECT_EQ(prompt.MessageBox("t", "c", MB_OKCANCEL), IDCANCEL);
  }
  EXPECT_EQ(QtPrompt::AnswerFor(QMessageBox::NoButton, MB_YESNO), IDNO);
  EXPECT_EQ(QtPrompt::AnswerFor(QMessageBox::NoButton, MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(QtPrompt::AnswerFor(QMessageBox::NoButton, MB_OK), IDOK);
  EXPECT_EQ(QtPrompt::AnswerFor(QMessageBox::NoButton, MB_ABORTRETRYIGNORE), IDABORT);
}

TEST_F(QtPlatformTest, PromptFromAWorkerWaitsForTheGuiThread) {
  QtPrompt prompt;
  BoxAnswerer answerer(QMessageBox::Yes);
  std::atomic<int> answer{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    answer = prompt.MessageBox("Port COM5 is busy.", "Port", MB_YESNO | MB_DEFBUTTON2);
    done = true;
  });
  SpinUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(answer.load(), IDYES);  // the clicked answer, not the default one
  EXPECT_TRUE(answerer.onGuiThread);
  EXPECT_EQ(answerer.text, "Port COM5 is busy.");
}

TEST_F(QtPlatformTest, PosterDeliversOnTheGuiThreadInOrderPerPoster) {
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  std::vector<intptr_t> next(kThreads, 0);
  int outOfOrder = 0, wrongThread = 0, received = 0;
  QThread* gui = QApplication::instance()->thread();
  QtMessagePoster poster([&](const Message& m) {
    if (QThread::currentThread() != gui) ++wrongThread;
    const auto t = static_cast<size_t>(m.wParam);
    if (m.id != WM_APP + 0x10 || m.lParam != next[t]) ++outOfOrder;
    next[t] = m.lParam + 1;
    ++received;
  });
  std::vector<std::thread> threads;
  std::atomic<int> refused{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        if (!poster.PostMessage(WM_APP + 0x10, t, i)) ++refused;
      }
    });
  }
  for (auto& th : threads) th.join();
  SpinUntil([&] { return received == kThreads * kEach; });
  EXPECT_EQ(refused.load(), 0);
  EXPECT_EQ(outOfOrder, 0);
  EXPECT_EQ(wrongThread, 0);
}

TEST_F(QtPlatformTest, ClosedPosterRefusesAndDropsWhatWasPending) {
  int received = 0;
  QtMessagePoster poster([&](const Message&) { ++received; });
  ASSERT_TRUE(poster.PostMessage(WM_USER));
  poster.Close();
  EXPECT_FALSE(poster.PostMessage(WM_USER));
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(received, 0);
}

TEST_F(QtPlatformTest, OtherEventsStillReachTheObject) {
  int received = 0;
  QtMessagePoster poster([&](const Message&) { ++received; });
  bool timerFired = false;
  QTimer::singleShot(0, &poster, [&] { timerFired = true; });
  poster.PostMessage(WM_USER + 5, 1, 2);
  SpinUntil([&] { return timerFired && received == 1; });
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(received, 1);
}

}  // namespace
}  // namespace platform
