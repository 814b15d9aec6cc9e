// The main window as a window (offscreen): private messages posted as events with their records
// owned, the status panes, the busy cursor, the menu and bars, the bars and placement through the
// settings file, minimizing without a tray, the animation's fallback and the wait window.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QToolBar>
#include <memory>

#include "app/BrandingInfo.h"
#include "app/BusyAnimation.h"
#include "app/CMainFrame.h"
#include "app/FrameFakes.h"
#include "app/FrameIds.h"
#include "app/Settings.h"
#include "app/TempDir.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/PleaseWaitDialog.h"
#include "platform/FakeClock.h"
#include "platform/RegistryStore.h"
#include "platform/ScriptedPrompt.h"
#include "support/QtTestApplication.h"

namespace {

using app::CMainFrame;
namespace cmd = app::cmd;
namespace msg = app::msg;

class MainFrameWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testsupport::EnsureQApplication("appqt_MainFrameWindowTest"); }

  app::Settings& Reopen() {
    frame_.reset();
    settings_.reset();
    store_ = std::make_unique<platform::RegistryStore>(dir_.Folder() + "registry.reg");
    settings_ = std::make_unique<app::Settings>(*store_);
    return *settings_;
  }
  CMainFrame& NewFrame() {
    app::Settings& settings = Reopen();
    branding_.programName = "Portolan";
    branding_.companyName = "Harbour Works";
    frame_ = std::make_unique<CMainFrame>(settings, prompt_, branding_);
    frame_->Attach(&viewStore_, nullptr, nullptr, nullptr, 1);
    return *frame_;
  }
  static void Deliver() { QCoreApplication::sendPostedEvents(); }
  void PostRecord(uint32_t id) {
    ASSERT_TRUE(frame_->Poster().PostMessage(
        id, reinterpret_cast<intptr_t>(new CountedRecord(&destroyed_))));
  }
  QString Pane(int id) const { return frame_->findChild<QLabel*>(QString::number(id))->text(); }
  std::vector<int> BarOrder() const {
    std::vector<QToolBar*> bars;
    for (int id : {129, 154, 155})
      bars.push_back(frame_->findChild<QToolBar*>(QString::number(id)));
    std::sort(bars.begin(), bars.end(), [](QToolBar* a, QToolBar* b) {
      return std::make_pair(a->geometry().top(), a->geometry().left()) <
             std::make_pair(b->geometry().top(), b->geometry().left());
    });
    std::vector<int> ids;
    for (QToolBar* bar : bars) ids.push_back(bar->objectName().toInt());
    return ids;
  }

  TempDir dir_;
  std::unique_ptr<platform::RegistryStore> store_;
  std::unique_ptr<app::Settings> settings_;
  platform::ScriptedPrompt prompt_;
  app::BrandingInfo branding_;
  RecordingStore viewStore_;
  std::unique_ptr<CMainFrame> frame_;
  int destroyed_ = 0;
};

TEST_F(MainFrameWindowTest, PostedRecordsReachTheStoreOnlyDuringASearch) {
  CMainFrame& frame = NewFrame();
  PostRecord(msg::kDeviceFound);
  ASSERT_TRUE(frame.Poster().PostMessage(msg::kSearchStarted));
  PostRecord(msg::kDeviceFound);
  PostRecord(msg::kDeviceQueried);
  ASSERT_TRUE(frame.Poster().PostMessage(msg::kSearchDone));
  PostRecord(msg::kDeviceFound);
  EXPECT_EQ(destroyed_, 0);  // nothing delivered yet
  Deliver();
  EXPECT_EQ(viewStore_.devices.size(), 2u);
  EXPECT_EQ(destroyed_, 2);  // the one before and the one after the search
}

TEST_F(MainFrameWindowTest, RecordsStillQueuedWhenTheWindowGoesAreFreed) {
  NewFrame();
  ASSERT_TRUE(frame_->Poster().PostMessage(msg::kSearchStarted));
  PostRecord(msg::kDeviceFound);
  PostRecord(msg::kDeviceQueried);
  ASSERT_TRUE(frame_->Poster().PostMessage(msg::kSearchStatus, 0,
                                           reinterpret_cast<intptr_t>(new std::string("late"))));
  frame_.reset();
  EXPECT_EQ(destroyed_, 2);
  Deliver();
  EXPECT_TRUE(viewStore_.devices.empty());
}

TEST_F(MainFrameWindowTest, AnswersTheRunningCopyAndSetsTheIconByLevel) {
  CMainFrame& frame = NewFrame();
  EXPECT_EQ(frame.HandleMessage(msg::kAreYouRunning), 123456789);
  frame.HandleMessage(msg::kStatusLevel, 3);
  EXPECT_EQ(frame.Controller().IconId(), 143);
  EXPECT_FALSE(frame.windowIcon().isNull());
  EXPECT_FALSE(frame.windowIcon().pixmap(16, 16).isNull());  // the SVG pictures are readable
}

TEST_F(MainFrameWindowTest, StatusPanesAndTheLockedMessagePane) {
  CMainFrame& frame = NewFrame();
  frame.UpdateCommandStates();
  EXPECT_EQ(Pane(59137), "Count: 0");
  EXPECT_EQ(Pane(59138), "Protocol: TCP/IP");
  EXPECT_EQ(Pane(59139), "View: All Print Servers");
  EXPECT_EQ(Pane(59140), "FILT");
  // What a pane shows is what a screen reader reads; its title is the description.
  auto* count = frame.findChild<QLabel*>("59137");
  EXPECT_EQ(count->accessibleName(), "Count: 0");
  EXPECT_EQ(count->accessibleDescription(), "Device count");
  QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(count);
  ASSERT_NE(heard, nullptr);
  EXPECT_EQ(heard->text(QAccessible::Name), "Count: 0");
  EXPECT_EQ(frame.findChild<QLabel*>("messagePane")->accessibleName(), "Status message");
  EXPECT_FALSE(frame.findChild<QLabel*>("59140")->isEnabled());
  viewStore_.view.hasFilter = true;
  frame.UpdateCommandStates();
  EXPECT_TRUE(frame.findChild<QLabel*>("59140")->isEnabled());

  QStatusTipEvent tip("Refresh the list");
  QApplication::sendEvent(&frame, &tip);
  EXPECT_EQ(frame.findChild<QLabel*>("messagePane")->text(), "Refresh the list");
  EXPECT_EQ(frame.findChild<QLabel*>("messagePane")->accessibleName(), "Refresh the list");
  frame.HandleMessage(msg::kSearchStarted);
  EXPECT_EQ(frame.cursor().shape(), Qt::BusyCursor);
  frame.HandleMessage(msg::kSearchStatus, 6101);
  QStatusTipEvent other("a menu prompt");
  QApplication::sendEvent(&frame, &other);
  EXPECT_EQ(frame.findChild<QLabel*>("messagePane")->text(), "Searching the local network...");
  frame.HandleMessage(msg::kSearchDone);
  EXPECT_NE(frame.cursor().shape(), Qt::BusyCursor);
  EXPECT_EQ(frame.findChild<QLabel*>("messagePane")->text(), "");
}

TEST_F(MainFrameWindowTest, MenuCarriesEveryCommandLaterOnesDisabled) {
  CMainFrame& frame = NewFrame();
  for (int id : {57665, 32772, 32774, 32804, 32801, 32785, 32803, 32789, 32869, 32873, 32874,
                 59393, 32816, 32809, 32887, 32817, 32776, 32892, 32811, 32882, 57664}) {
    ASSERT_NE(frame.Action(id), nullptr) << id;
  }
  QStringList titles;
  for (QAction* menu : frame.menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&Ports", "&View", "&Tools", "&Help"}));
  EXPECT_EQ(frame.Action(cmd::kRefresh)->shortcut(), QKeySequence("F5"));
  EXPECT_EQ(frame.Action(cmd::kShowViewTree)->shortcut(), QKeySequence("F6"));
  EXPECT_EQ(frame.Action(cmd::kVirtualPort)->shortcut(), QKeySequence("Alt+C"));
  frame.UpdateCommandStates();
  EXPECT_FALSE(frame.Action(cmd::kNetworkInformation)->isEnabled());  // comes later
  EXPECT_TRUE(frame.Action(cmd::kShowViewTree)->isEnabled());
  EXPECT_TRUE(frame.Action(cmd::kShowViewTree)->isChecked());
  EXPECT_TRUE(frame.Action(cmd::kDetails)->isChecked());
  EXPECT_FALSE(frame.Action(cmd::kStop)->isEnabled());
}

TEST_F(MainFrameWindowTest, MultiSelectionTradesTheVirtualPortButton) {
  CMainFrame& frame = NewFrame();
  auto* button = frame.findChild<QAction*>("virtualPortButton");
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isVisible());
  EXPECT_FALSE(frame.Action(cmd::kMultiConfigure)->isVisible());
  frame.RunCommand(cmd::kMultiSelect);
  EXPECT_FALSE(button->isVisible());
  EXPECT_TRUE(frame.Action(cmd::kMultiConfigure)->isVisible());
  // Only the bar trades the button: the Ports menu keeps "Virtual Port...".
  EXPECT_TRUE(frame.Action(cmd::kVirtualPort)->isVisible());
}

TEST_F(MainFrameWindowTest, BarsComeBackInTheOrderTheyWereSaved) {
  CMainFrame& frame = NewFrame();
  frame.show();
  EXPECT_EQ(BarOrder(), (std::vector<int>{129, 154, 155}));  // a first start: one row
  frame.RunCommand(cmd::kViewBar);                           // hidden
  frame.close();
  app::Settings& settings = Reopen();
  EXPECT_EQ(settings.GetInt("General\\ControlBars\\Bar1", "ID", 0), 129);
  EXPECT_EQ(settings.GetInt("General\\ControlBars\\Bar2", "ID", 0), 154);
  EXPECT_NE(settings.GetInt("General\\ControlBars\\Bar2", "Style", 0) & 0x08, 0);
  CMainFrame& again = NewFrame();
  again.show();
  EXPECT_TRUE(again.findChild<QToolBar*>("154")->isHidden());
  EXPECT_FALSE(again.Controller().StateOf(cmd::kViewBar).checked);
}

TEST_F(MainFrameWindowTest, ThreeTimesTheMainToolbarStillGivesThreeBars) {
  for (const char* bar : {"Bar1", "Bar2", "Bar3"}) {
    Reopen().WriteInt(std::string("General\\ControlBars\\") + bar, "ID", 129);
  }
  CMainFrame& frame = NewFrame();
  frame.show();
  auto order = BarOrder();
  EXPECT_EQ(order.front(), 129);
  EXPECT_EQ(order.size(), 3u);
}

TEST_F(MainFrameWindowTest, PlacementOffTodaysScreensComesBackAndRoundTrips) {
  app::Settings& settings = Reopen();
  settings.WriteInt("General", "Left", 5000);
  settings.WriteInt("General", "Top", 4000);
  settings.WriteInt("General", "Right", 5600);
  settings.WriteInt("General", "Bottom", 4400);
  CMainFrame& frame = NewFrame();
  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.intersects(frame.geometry()));
  EXPECT_EQ(frame.width(), 600);
  frame.setGeometry(40, 50, 640, 480);
  frame.close();
  app::Settings& after = Reopen();
  EXPECT_EQ(after.GetInt("General", "Left", -1), 40);
  EXPECT_EQ(after.GetInt("General", "Bottom", -1), 530);
}

TEST_F(MainFrameWindowTest, WithoutATrayMinimizingMinimizes) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this platform has a tray";
  CMainFrame& frame = NewFrame();
  frame.show();
  frame.StartMinimized();
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame.isHidden());  // reachable again from the task bar
  EXPECT_TRUE(frame.windowState() & Qt::WindowMinimized);
  frame.RunCommand(cmd::kTrayOpen);
  EXPECT_FALSE(frame.windowState() & Qt::WindowMinimized);
}

TEST_F(MainFrameWindowTest, AnUnplayableAnimationFallsBackToOurs) {
  dir_.Write("company.avi", "RIFF....AVI LIST");
  app::BusyAnimation avi(QString::fromStdString(dir_.Folder() + "company.avi"));
  EXPECT_EQ(avi.Source(), app::BusyAnimation::kOwnAnimation);
  app::BusyAnimation missing(QString::fromStdString(dir_.Folder() + "none.gif"));
  EXPECT_EQ(missing.Source(), app::BusyAnimation::kOwnAnimation);
  app::BusyAnimation none{QString()};
  none.Start();
  EXPECT_TRUE(none.IsRunning());
  none.Stop();
  EXPECT_FALSE(none.IsRunning());
}

TEST_F(MainFrameWindowTest, WaitWindowShowsTextPercentAndCancels) {
  CMainFrame& frame = NewFrame();
  platform::FakeClock clock;
  discovery::CPleaseWaitDlg wait(false, clock);
  discovery::PleaseWaitDialog dialog(wait, &frame);
  wait.Begin();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(frame.isEnabled());
  wait.SetText("Resetting Server", false);
  wait.SetPercent(140);
  EXPECT_EQ(dialog.Text(), "Resetting Server");
  EXPECT_EQ(dialog.Percent(), 100);
  dialog.findChild<QPushButton*>("2")->click();
  EXPECT_TRUE(wait.IsCancelled());
  dialog.close();  // closing cancels too, and keeps the window
  EXPECT_TRUE(dialog.isVisible());
  wait.End();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(frame.isEnabled());
}

}  // namespace
