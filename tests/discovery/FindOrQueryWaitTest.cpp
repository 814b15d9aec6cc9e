// A query the user waits for on the window's thread (the Search dialog's FindOrQuery) runs under
// the application's please-wait window: the window's events keep flowing while it waits, the wait
// window shows itself, and its Cancel ends the query of an address that never answers.
#include <gtest/gtest.h>

#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/PleaseWaitView.h"
#include "discovery/ScriptedNetwork.h"
#include "discovery/WaitPump.h"

namespace discovery {
namespace {

// The wait window's face and the window thread's events: the user presses Cancel once the wait
// window shows and a few rounds of events went by.
class UserAtTheWindow : public PleaseWaitView, public WaitPump {
 public:
  explicit UserAtTheWindow(CPleaseWaitDlg& wait) : wait_(wait) {}
  void Show(void*, void*) override { ++shown; }
  void Hide(void*) override { ++hidden; }
  void ShowText(const std::string& text) override { texts.push_back(text); }
  void ShowPercent(int) override {}
  void PumpPending() override {
    ++pumped;
    if (shown > hidden && pumped >= kPumpsBeforeCancel) wait_.Cancel();
  }

  static constexpr int kPumpsBeforeCancel = 5;
  int shown = 0, hidden = 0, pumped = 0;
  std::vector<std::string> texts;

 private:
  CPleaseWaitDlg& wait_;
};

TEST(FindOrQueryWait, CancelEndsTheQueryOfASilentAddressWhileEventsFlow) {
  // Nothing listens on this port of 127.0.0.77; the reply wait alone would last a minute.
  const int savedPort = DiscoveryPort();
  ASSERT_TRUE(SetDiscoveryPort(47391));
  CPleaseWaitDlg wait(false);
  UserAtTheWindow user(wait);
  wait.SetView(&user);
  wait.SetPump(&user);
  test::CollectingWindow window;
  EngineOptions options;
  options.broadcastTimeoutMs = 60000;
  options.queryWait = &wait;
  CIpDiscoveryEngine engine(&window, options);

  EXPECT_EQ(engine.FindOrQuery("127.0.0.77"), -1);
  EXPECT_EQ(user.shown, 1);
  EXPECT_EQ(user.hidden, 1);
  // The window thread's events were taken while it waited.
  EXPECT_GE(user.pumped, UserAtTheWindow::kPumpsBeforeCancel);
  EXPECT_TRUE(wait.IsCancelled());
  EXPECT_EQ(engine.DeviceCount(), 0);
  EXPECT_EQ(wait.Depth(), 0);
  SetDiscoveryPort(savedPort);
}

}  // namespace
}  // namespace discovery
