// The please-wait loop on virtual time: what ends a wait, the 300 ms rule, nesting, texts in the
// foreground and background, and the hand-over between threads.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "discovery/CPleaseWaitDlg.h"
#include "discovery/PleaseWaitView.h"
#include "discovery/WaitPump.h"
#include "platform/FakeClock.h"

namespace discovery {
namespace {

constexpr unsigned kMessage = 2561;

class RecordingView : public PleaseWaitView {
 public:
  explicit RecordingView(platform::Clock& clock) : clock_(clock) {}
  void Show(void* owner, void* centre) override {
    ++shows;
    shownAt = clock_.TickCount();
    lastOwner = owner;
    lastCentre = centre;
  }
  void Hide(void* owner) override {
    ++hides;
    hiddenOwner = owner;
  }
  void ShowText(const std::string& text) override { texts.push_back(text); }
  void ShowPercent(int percent) override { percents.push_back(percent); }

  int shows = 0;
  int hides = 0;
  uint32_t shownAt = 0;
  void* lastOwner = nullptr;
  void* lastCentre = nullptr;
  void* hiddenOwner = nullptr;
  std::vector<std::string> texts;
  std::vector<int> percents;

 private:
  platform::Clock& clock_;
};

class MainWindow : public platform::MessagePoster {
 public:
  bool PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override {
    posted.push_back({id, wParam, lParam});
    return accept;
  }
  std::vector<platform::Message> posted;
  bool accept = true;
};

class SocketPair {
 public:
  SocketPair() { socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0, fds_); }
  ~SocketPair() {
    close(fds_[0]);
    close(fds_[1]);
  }
  int reader() const { return fds_[0]; }
  void Send() { (void)!write(fds_[1], "x", 1); }

 private:
  int fds_[2] = {-1, -1};
};

class PleaseWaitTest : public ::testing::Test {
 protected:
  platform::FakeClock clock{5000};
  RecordingView view{clock};
  CPleaseWaitDlg dlg{false, clock};
  void SetUp() override { dlg.SetView(&view); }
};

TEST_F(PleaseWaitTest, AWaitOfZeroStillTakesInWhatIsPending) {
  EXPECT_EQ(dlg.Wait(kMessage, 0), CPleaseWaitDlg::kWaitTimedOut);
  dlg.PostMessage(kMessage, 7, 8);
  EXPECT_EQ(dlg.Wait(kMessage, 0), static_cast<int>(kMessage));
  EXPECT_EQ(dlg.ArrivedWParam(), 7);
  EXPECT_EQ(dlg.ArrivedLParam(), 8);
}

TEST_F(PleaseWaitTest, OtherMessagesDoNotEndTheWait) {
  dlg.PostMessage(kMessage + 1, 1, 1);
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(dlg.Wait(kMessage, 250), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_EQ(clock.TickCount() - start, 250u);
}

TEST_F(PleaseWaitTest, AWaitShorterThan300MsNeverShowsTheWindow) {
  EXPECT_EQ(dlg.Wait(kMessage, 300), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_EQ(view.shows, 0);
  EXPECT_FALSE(dlg.IsVisible());
}

TEST_F(PleaseWaitTest, ALongerWaitShowsTheWindowJustAfter300MsAndHidesItAgain) {
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(dlg.Wait(kMessage, 2000), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_EQ(view.shows, 1);
  EXPECT_EQ(view.shownAt - start, 301u);
  EXPECT_EQ(view.hides, 1);
  EXPECT_FALSE(dlg.IsVisible());
  EXPECT_EQ(dlg.Depth(), 0);
}

class DepthWatch : public WaitPump {
 public:
  DepthWatch(CPleaseWaitDlg& dlg, platform::Clock& clock) : dlg_(dlg), clock_(clock) {}
  void PumpPending() override {
    if (dlg_.Depth() > 1 && raisedAt == 0) raisedAt = clock_.TickCount();
  }
  uint32_t raisedAt = 0;

 private:
  CPleaseWaitDlg& dlg_;
  platform::Clock& clock_;
};

TEST_F(PleaseWaitTest, TimeAlreadySpentInsideTheSameBeginCountsTowardsTheRule) {
  DepthWatch watch(dlg, clock);
  dlg.SetPump(&watch);
  dlg.Begin();
  EXPECT_EQ(dlg.Wait(kMessage, 180), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_EQ(dlg.AccumulatedWait(), 200u);  // 180 plus 20 for the call
  EXPECT_EQ(watch.raisedAt, 0u);
  const uint32_t start = clock.TickCount();
  EXPECT_EQ(dlg.Wait(kMessage, 500), CPleaseWaitDlg::kWaitTimedOut);
  // The wait's own Begin comes once 200 + elapsed passes 300, about 100 ms in.
  ASSERT_NE(watch.raisedAt, 0u);
  EXPECT_GE(watch.raisedAt - start, 101u);
  EXPECT_LE(watch.raisedAt - start, 111u);
  EXPECT_EQ(dlg.Depth(), 1);
  EXPECT_EQ(view.shows, 1);  // visible since the caller's Begin; never shown twice
  EXPECT_EQ(view.hides, 0);
  dlg.End();
  EXPECT_EQ(view.hides, 1);
}

TEST_F(PleaseWaitTest, CancelBeforeTheWaitHasNoEffect) {
  dlg.Cancel();
  EXPECT_TRUE(dlg.IsCancelled());
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitTimedOut);
}

TEST_F(PleaseWaitTest, ACancelCommandOrACloseCancels) {
  dlg.PostMessage(CPleaseWaitDlg::kCommandMessage, CPleaseWaitDlg::kCancelId, 0);
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitCancelled);
  dlg.PostMessage(CPleaseWaitDlg::kCloseMessage, 0, 0);
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitCancelled);
  dlg.PostMessage(CPleaseWaitDlg::kCommandMessage, 1, 0);  // IDOK is no cancel
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitTimedOut);
}

TEST_F(PleaseWaitTest, CancelWinsOverAMessageThatArrivedInTheSamePass) {
  dlg.PostMessage(kMessage, 0, 0);
  dlg.PostMessage(CPleaseWaitDlg::kCloseMessage, 0, 0);
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitCancelled);
}

TEST_F(PleaseWaitTest, AReadableWatchedSocketIsItsMessage) {
  SocketPair pair;
  ASSERT_EQ(dlg.WatchFd(pair.reader(), kMessage), 0);
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitTimedOut);
  pair.Send();
  EXPECT_EQ(dlg.Wait(kMessage, 100), static_cast<int>(kMessage));
  EXPECT_EQ(dlg.ArrivedWParam(), pair.reader());
  // Readiness for another message does not end this wait, nor keep it spinning.
  EXPECT_EQ(dlg.Wait(kMessage + 1, 100), CPleaseWaitDlg::kWaitTimedOut);
  dlg.ForgetFd(pair.reader());
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_NE(dlg.WatchFd(-1, kMessage), 0);
}

TEST_F(PleaseWaitTest, DeviceSocketsStandForTheSocketMessage) {
  SocketPair pair;
  DeviceWait& device = dlg;
  ASSERT_EQ(device.Watch(pair.reader()), 0);
  pair.Send();
  EXPECT_EQ(device.Wait(DeviceWait::kSocketMessage, 100),
            static_cast<int>(DeviceWait::kSocketMessage));
  device.Forget(pair.reader());
}

TEST_F(PleaseWaitTest, AccumulatedWaitAddsTwentyPerCall) {
  dlg.Begin();
  dlg.Wait(kMessage, 0);
  dlg.Wait(kMessage, 50);
  EXPECT_EQ(dlg.AccumulatedWait(), 20u + 70u);
  dlg.End();
  dlg.Begin();
  EXPECT_EQ(dlg.AccumulatedWait(), 0u);
  dlg.End();
}

TEST_F(PleaseWaitTest, BeginAndEndNestAndShowTheWindowOnce) {
  int owner = 0, centre = 0;
  dlg.Begin(&owner, &centre);
  dlg.Begin();
  EXPECT_EQ(view.shows, 1);
  EXPECT_EQ(view.lastOwner, &owner);
  EXPECT_EQ(view.lastCentre, &centre);
  EXPECT_EQ(dlg.Depth(), 2);
  dlg.End();
  EXPECT_TRUE(dlg.IsVisible());
  dlg.End();
  EXPECT_FALSE(dlg.IsVisible());
  EXPECT_EQ(view.hides, 1);
  EXPECT_EQ(view.hiddenOwner, &owner);
  dlg.End();  // one End too many leaves the depth at 0
  EXPECT_EQ(dlg.Depth(), 0);
}

TEST_F(PleaseWaitTest, ForegroundTextsFollowTheOnlyIfDefaultRule) {
  EXPECT_TRUE(dlg.TextIsDefault());
  dlg.SetText(6107, true);
  EXPECT_EQ(dlg.Text(), "Reading server information...");
  EXPECT_FALSE(dlg.TextIsDefault());
  dlg.SetText(std::string("other"), true);
  EXPECT_EQ(dlg.Text(), "Reading server information...");
  dlg.SetText(std::string("other"), false);
  EXPECT_EQ(dlg.Text(), "other");
  dlg.Begin();
  dlg.End();
  EXPECT_TRUE(dlg.TextIsDefault());
  EXPECT_EQ(dlg.Text(), CPleaseWaitDlg::kDefaultText);
}

TEST_F(PleaseWaitTest, PercentIsClampedAndRepaintedOnlyWhenItChanges) {
  dlg.SetPercent(50);
  dlg.SetPercent(50);
  dlg.SetPercent(150);
  dlg.SetPercent(-3);
  EXPECT_EQ(view.percents, (std::vector<int>{50, 100, 0}));
}

TEST(PleaseWaitBackground, TextsGoToTheMainWindowAndNothingIsShown) {
  platform::FakeClock clock;
  CPleaseWaitDlg dlg{true, clock};
  RecordingView view{clock};
  MainWindow main;
  dlg.SetView(&view);
  dlg.SetMainWindow(&main);
  dlg.SetText(6103);
  dlg.SetText(std::string("Searching 10.0.0.7"), false);
  dlg.SetPercent(40);
  dlg.Begin();
  EXPECT_EQ(dlg.Wait(kMessage, 5000), CPleaseWaitDlg::kWaitTimedOut);
  dlg.End();
  EXPECT_EQ(view.shows, 0);
  EXPECT_TRUE(view.percents.empty());
  ASSERT_EQ(main.posted.size(), 2u);
  EXPECT_EQ(main.posted[0].id, 0x8010u);
  EXPECT_EQ(main.posted[0].wParam, 6103);
  EXPECT_EQ(main.posted[0].lParam, 0);
  EXPECT_EQ(main.posted[1].wParam, 0);
  EXPECT_EQ(CPleaseWaitDlg::TakePostedText(main.posted[1].lParam), "Searching 10.0.0.7");
}

TEST(PleaseWaitBackground, ARefusedPostDoesNotLeakItsText) {
  platform::FakeClock clock;
  CPleaseWaitDlg dlg{true, clock};
  MainWindow main;
  main.accept = false;
  dlg.SetMainWindow(&main);
  dlg.SetText(std::string("lost"), false);  // the sanitizer build finds a leak if it is kept
  EXPECT_EQ(main.posted.size(), 1u);
  EXPECT_EQ(CPleaseWaitDlg::TakePostedText(0), "");
}

TEST(PleaseWaitThreads, AMessagePostedFromAnotherThreadEndsABlockedWait) {
  platform::FakeClock clock;
  clock.SetAutoAdvance(false);
  CPleaseWaitDlg dlg{true, clock};
  int result = 0;
  std::thread waiter([&] { result = dlg.Wait(kMessage, 60000); });
  ASSERT_TRUE(clock.WaitForBlocked(1));
  EXPECT_TRUE(dlg.PostMessage(kMessage, 42, 0));
  waiter.join();
  EXPECT_EQ(result, static_cast<int>(kMessage));
  EXPECT_EQ(dlg.ArrivedWParam(), 42);
}

TEST(PleaseWaitThreads, CancelFromAnotherThreadEndsABlockedWait) {
  platform::FakeClock clock;
  clock.SetAutoAdvance(false);
  CPleaseWaitDlg dlg{true, clock};
  int result = 0;
  std::thread waiter([&] { result = dlg.Wait(kMessage, 60000); });
  ASSERT_TRUE(clock.WaitForBlocked(1));
  dlg.Cancel();
  waiter.join();
  EXPECT_EQ(result, CPleaseWaitDlg::kWaitCancelled);
}

TEST(PleaseWaitThreads, ManyPostersOneWaiterUnderLoad) {
  platform::FakeClock clock;
  CPleaseWaitDlg dlg{true, clock};
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&dlg, t] {
      for (int i = 0; i < 2000; ++i) dlg.PostMessage(100 + static_cast<uint32_t>(t), i, 0);
    });
  }
  for (auto& poster : posters) poster.join();
  dlg.PostMessage(kMessage, 1, 0);
  // The mailbox is bounded: a flood of other messages cannot grow it without limit, and what is
  // refused is reported to the poster.
  int result = dlg.Wait(kMessage, 0);
  EXPECT_TRUE(result == static_cast<int>(kMessage) || result == CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_TRUE(dlg.PostMessage(kMessage, 2, 0));
  EXPECT_EQ(dlg.Wait(kMessage, 0), static_cast<int>(kMessage));
  EXPECT_EQ(dlg.ArrivedWParam(), 2);
}

class CountingPump : public WaitPump {
 public:
  void PumpPending() override { ++pumps; }
  int pumps = 0;
};

TEST(PleaseWaitPump, AThreadWithoutAWakeFdIsPumpedEveryTenMilliseconds) {
  platform::FakeClock clock;
  CPleaseWaitDlg dlg{true, clock};
  CountingPump pump;
  dlg.SetPump(&pump);
  EXPECT_EQ(dlg.Wait(kMessage, 100), CPleaseWaitDlg::kWaitTimedOut);
  EXPECT_EQ(pump.pumps, 11);  // at 0, 10, ..., 100
}

}  // namespace
}  // namespace discovery
