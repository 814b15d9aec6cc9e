// The descriptors that the port loops wait on: the inotify instance, the epoll set and the wake
// event, against the kernel, and the parsing of inotify records against bytes made up here.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/EpollSet.h"
#include "platform/InotifyInstance.h"
#include "platform/WakeEvent.h"

namespace platform {
namespace {

using Events = std::vector<std::pair<int, uint32_t>>;

InotifyInstance::EventHandler Into(Events& events) {
  return [&events](int watch, uint32_t mask) { events.emplace_back(watch, mask); };
}

// One inotify record as the kernel lays it out: the header, then nameBytes of name.
void AppendRecord(std::vector<uint8_t>& bytes, int wd, uint32_t mask, uint32_t nameBytes,
                  uint32_t claimedLength) {
  inotify_event event{};
  event.wd = wd;
  event.mask = mask;
  event.len = claimedLength;
  const auto* header = reinterpret_cast<const uint8_t*>(&event);
  bytes.insert(bytes.end(), header, header + sizeof event);
  bytes.insert(bytes.end(), nameBytes, 'n');
}

TEST(InotifyParseTest, RecordsWithNamesAreHandedOverInOrder) {
  std::vector<uint8_t> bytes;
  AppendRecord(bytes, 3, IN_OPEN, 16, 16);
  AppendRecord(bytes, 4, IN_CLOSE_WRITE, 0, 0);
  AppendRecord(bytes, 7, IN_Q_OVERFLOW, 0, 0);
  Events events;
  InotifyInstance::ParseEvents(bytes.data(), bytes.size(), Into(events));
  EXPECT_EQ(events, (Events{{3, IN_OPEN}, {4, IN_CLOSE_WRITE}, {-1, IN_Q_OVERFLOW}}));
}

TEST(InotifyParseTest, RecordsCutShortAreDropped) {
  std::vector<uint8_t> bytes;
  AppendRecord(bytes, 1, IN_OPEN, 0, 0);
  AppendRecord(bytes, 2, IN_OPEN, 8, 0x7FFFFFF0);  // claims far more name than there is
  Events events;
  InotifyInstance::ParseEvents(bytes.data(), bytes.size(), Into(events));
  EXPECT_EQ(events, (Events{{1, IN_OPEN}}));

  events.clear();
  InotifyInstance::ParseEvents(bytes.data(), sizeof(inotify_event) - 1, Into(events));
  EXPECT_TRUE(events.empty());
}

class InotifyInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::array<char, 64> name{};
    std::snprintf(name.data(), name.size(), "/tmp/portolan-inotify-XXXXXX");
    const int fd = mkstemp(name.data());
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name.data();
    ASSERT_EQ(inotify_.Open(), 0);
  }
  void TearDown() override { unlink(path_.c_str()); }

  std::string path_;
  InotifyInstance inotify_;
};

TEST_F(InotifyInstanceTest, OpensAndClosesOfAWatchedFileAreRead) {
  EXPECT_NE(fcntl(inotify_.Fd(), F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(fcntl(inotify_.Fd(), F_GETFD) & FD_CLOEXEC, 0);
  const int watch = inotify_.AddWatch(path_, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
  ASSERT_GE(watch, 0);
  Events events;
  inotify_.ReadQueued(Into(events));
  EXPECT_TRUE(events.empty());  // nothing queued: returns at once

  const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  close(fd);
  inotify_.ReadQueued(Into(events));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], std::make_pair(watch, static_cast<uint32_t>(IN_OPEN)));
  EXPECT_EQ(events[1], std::make_pair(watch, static_cast<uint32_t>(IN_CLOSE_NOWRITE)));

  inotify_.RemoveWatch(watch);
  inotify_.RemoveWatch(watch);  // twice, as for a node that went away by itself
  events.clear();
  inotify_.ReadQueued(Into(events));
  EXPECT_EQ(events, (Events{{watch, IN_IGNORED}}));
}

TEST_F(InotifyInstanceTest, AMissingPathGivesItsErrno) {
  EXPECT_EQ(inotify_.AddWatch(path_ + "-missing", IN_OPEN), -ENOENT);
  inotify_.Close();
  EXPECT_FALSE(inotify_.IsOpen());
  EXPECT_EQ(inotify_.AddWatch(path_, IN_OPEN), -EBADF);
}

TEST(EpollSetTest, ASignalledWakeEventIsReportedUntilDrained) {
  EpollSet set;
  WakeEvent wake;
  ASSERT_EQ(set.Open(), 0);
  ASSERT_EQ(wake.Open(), 0);
  EXPECT_NE(fcntl(set.Fd(), F_GETFD) & FD_CLOEXEC, 0);
  ASSERT_EQ(set.Add(wake.Fd(), EPOLLIN), 0);
  std::array<epoll_event, 4> ready{};
  EXPECT_EQ(set.TakeReady(ready.data(), 4), 0);

  wake.Signal();
  WakeEvent::Signal(wake.Fd());  // signals add up
  ASSERT_EQ(set.TakeReady(ready.data(), 4), 1);
  EXPECT_EQ(ready[0].data.fd, wake.Fd());
  EXPECT_EQ(set.TakeReady(ready.data(), 4), 1);  // level-triggered: still there
  wake.Drain();                                  // one read takes both
  EXPECT_EQ(set.TakeReady(ready.data(), 4), 0);
}

TEST(EpollSetTest, RegistrationErrorsAreErrnoValues) {
  EpollSet set;
  WakeEvent wake;
  ASSERT_EQ(set.Open(), 0);
  ASSERT_EQ(wake.Open(), 0);
  EXPECT_EQ(set.Modify(wake.Fd(), EPOLLIN), ENOENT);
  ASSERT_EQ(set.Add(wake.Fd(), EPOLLIN | EPOLLET), 0);
  EXPECT_EQ(set.Add(wake.Fd(), EPOLLIN), EEXIST);
  EXPECT_EQ(set.Modify(wake.Fd(), EPOLLIN), 0);

  // Edge-triggered: one report per signal.
  ASSERT_EQ(set.Modify(wake.Fd(), EPOLLIN | EPOLLET), 0);
  wake.Signal();
  std::array<epoll_event, 4> ready{};
  EXPECT_EQ(set.TakeReady(ready.data(), 4), 1);
  EXPECT_EQ(set.TakeReady(ready.data(), 4), 0);

  WakeEvent::Signal(-1);  // ignored
  wake.Close();
  wake.Signal();  // closed: ignored too
  wake.Drain();
  EXPECT_FALSE(wake.IsOpen());
  set.Close();
  EXPECT_EQ(set.Add(0, EPOLLIN), EBADF);
}

}  // namespace
}  // namespace platform
