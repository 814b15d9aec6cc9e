// The process's one inotify monitor: which listener an event reaches, and that a lost queue
// reaches every port, with events made up by the test where the kernel makes none on demand.
#include <gtest/gtest.h>
#include <sys/inotify.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vport/PtyOpenMonitor.h"
#include "vport/PtyOpenWatcher.h"
#include "vport/TempPortDir.h"

namespace vport {
namespace {

class RecordingListener : public PtyOpenMonitor::Listener {
 public:
  void Notify(uint32_t mask) override {
    std::lock_guard lock(mutex_);
    masks_.push_back(mask);
  }
  std::vector<uint32_t> Masks() {
    std::lock_guard lock(mutex_);
    return masks_;
  }

 private:
  std::mutex mutex_;
  std::vector<uint32_t> masks_;
};

class PtyOpenMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int error = 0;
    monitor_ = PtyOpenMonitor::Acquire(error);
    ASSERT_NE(monitor_, nullptr) << error;
  }
  std::string MakeFile(const std::string& name) {
    const std::string path = dir_.Entry(name);
    std::ofstream(path) << "x";
    return path;
  }

  test::TempPortDir dir_;
  std::shared_ptr<PtyOpenMonitor> monitor_;
};

TEST_F(PtyOpenMonitorTest, OneMonitorServesEveryHolder) {
  int error = 0;
  const auto second = PtyOpenMonitor::Acquire(error);
  EXPECT_EQ(second, monitor_);
  EXPECT_EQ(PtyOpenMonitor::InstancesInUse(), 1);
}

TEST_F(PtyOpenMonitorTest, AnEventReachesTheListenerOfItsWatchOnly) {
  RecordingListener a;
  RecordingListener b;
  const int watchA = monitor_->Add(MakeFile("a"), &a);
  const int watchB = monitor_->Add(MakeFile("b"), &b);
  ASSERT_GE(watchA, 0);
  ASSERT_GE(watchB, 0);
  monitor_->Deliver(watchA, IN_OPEN);
  monitor_->Deliver(watchB, IN_CLOSE_WRITE);
  monitor_->Deliver(watchB + 100, IN_OPEN);  // nobody's
  EXPECT_EQ(a.Masks(), std::vector<uint32_t>{IN_OPEN});
  EXPECT_EQ(b.Masks(), std::vector<uint32_t>{IN_CLOSE_WRITE});

  monitor_->Remove(watchA);
  monitor_->Deliver(watchA, IN_CLOSE_NOWRITE);  // late, after the removal
  EXPECT_EQ(a.Masks().size(), 1u);
  monitor_->Remove(watchB);
}

TEST_F(PtyOpenMonitorTest, ALostQueueReachesEveryListener) {
  RecordingListener a;
  RecordingListener b;
  const int watchA = monitor_->Add(MakeFile("a"), &a);
  const int watchB = monitor_->Add(MakeFile("b"), &b);
  monitor_->Deliver(-1, IN_Q_OVERFLOW);
  EXPECT_EQ(a.Masks(), std::vector<uint32_t>{IN_Q_OVERFLOW});
  EXPECT_EQ(b.Masks(), std::vector<uint32_t>{IN_Q_OVERFLOW});
  monitor_->Remove(watchA);
  monitor_->Remove(watchB);
}

TEST_F(PtyOpenMonitorTest, AWatcherThatLostNotificationsAsksForACensus) {
  PtyOpenWatcher watcher;
  ASSERT_EQ(watcher.Start(MakeFile("pty"), -1), 0);
  std::vector<bool> transitions;
  EXPECT_FALSE(watcher.Drain(transitions));

  // An open was lost with the queue: the drain says that something happened, and the census
  // that follows sets the count.
  monitor_->Deliver(-1, IN_Q_OVERFLOW);
  EXPECT_TRUE(watcher.Drain(transitions));
  EXPECT_TRUE(transitions.empty());
  watcher.Reconcile(1, transitions);
  EXPECT_EQ(transitions, std::vector<bool>{true});
  EXPECT_EQ(watcher.OpenCount(), 1);
  EXPECT_FALSE(watcher.Drain(transitions));  // reported once
}

}  // namespace
}  // namespace vport
