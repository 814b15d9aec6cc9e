#include <gtest/gtest.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/FakeClock.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessages.h"

namespace platform {
namespace {

struct Recorder {
  std::vector<Message> seen;
  MessageLoop::Handler Handler() {
    return [this](const Message& m) { seen.push_back(m); };
  }
};

TEST(MessageLoopTest, PumpPendingDispatchesInPostOrder) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  ASSERT_TRUE(loop.PostMessage(WM_USER + 1, 10, 20));
  ASSERT_TRUE(loop.PostMessage(WM_APP + 2, -1, -2));
  ASSERT_TRUE(loop.PostMessage(WM_USER + 3));
  EXPECT_TRUE(loop.PumpPending());
  ASSERT_EQ(rec.seen.size(), 3u);
  EXPECT_EQ(rec.seen[0].id, WM_USER + 1);
  EXPECT_EQ(rec.seen[0].wParam, 10);
  EXPECT_EQ(rec.seen[0].lParam, 20);
  EXPECT_EQ(rec.seen[1].id, WM_APP + 2);
  EXPECT_EQ(rec.seen[1].wParam, -1);
  EXPECT_EQ(rec.seen[1].lParam, -2);
  EXPECT_EQ(rec.seen[2].id, WM_USER + 3);
  EXPECT_EQ(loop.Pending(), 0u);
}

TEST(MessageLoopTest, PumpPendingTakesOnlyWhatWasQueuedAtEntry) {
  FakeClock clock;
  MessageLoop loop(clock);
  int calls = 0;
  // A handler that reposts itself would keep an unbounded pump busy for ever.
  loop.SetHandler([&](const Message& m) {
    ++calls;
    loop.PostMessage(m.id);
  });
  loop.PostMessage(WM_USER);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(loop.Pending(), 1u);
}

TEST(MessageLoopTest, PumpPendingDoesNotBlockWhenIdle) {
  FakeClock clock;
  clock.SetAutoAdvance(false);  // any blocking wait would hang here
  MessageLoop loop(clock);
  loop.SetTimer(1, 100);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(clock.TickCount(), 0u);
}

TEST(MessageLoopTest, QuitDispatchesEarlierMessagesOnlyAndIsSticky) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.PostMessage(WM_USER + 1);
  loop.Quit(7);
  EXPECT_FALSE(loop.PostMessage(WM_USER + 2));  // could never be dispatched
  loop.Quit(9);                                 // the first code stays
  EXPECT_FALSE(loop.PumpPending());
  ASSERT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(rec.seen[0].id, WM_USER + 1);
  EXPECT_TRUE(loop.QuitReached());
  EXPECT_EQ(loop.Run(), 7);
  EXPECT_EQ(loop.WaitOne(-1), MessageLoop::WaitResult::Quit);
  EXPECT_FALSE(loop.PumpPending());
  EXPECT_EQ(rec.seen.size(), 1u);
}

TEST(MessageLoopTest, PostedWmQuitActsAsQuit) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  EXPECT_TRUE(loop.PostMessage(WM_QUIT, 3));
  EXPECT_EQ(loop.Run(), 3);
  EXPECT_TRUE(rec.seen.empty());  // the quit itself is not handed to the handler
  EXPECT_FALSE(loop.PostMessage(WM_QUIT, 4));
}

TEST(MessageLoopTest, FullQueueRefusesButStillQuits) {
  FakeClock clock;
  MessageLoop loop(clock, 2);
  EXPECT_TRUE(loop.PostMessage(WM_USER));
  EXPECT_TRUE(loop.PostMessage(WM_USER));
  EXPECT_FALSE(loop.PostMessage(WM_USER));
  loop.Quit(5);
  EXPECT_EQ(loop.Run(), 5);
}

TEST(MessageLoopTest, WaitOneDispatchesOneMessageAtATime) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.PostMessage(WM_USER + 1);
  loop.PostMessage(WM_USER + 2);
  EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(rec.seen.size(), 1u);
  EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(rec.seen.size(), 2u);
  EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::TimedOut);
}

TEST(MessageLoopTest, WaitOneTimesOutOnVirtualTime) {
  FakeClock clock(1000);
  MessageLoop loop(clock);
  EXPECT_EQ(loop.WaitOne(250), MessageLoop::WaitResult::TimedOut);
  EXPECT_EQ(clock.TickCount(), 1250u);
}

TEST(MessageLoopTest, TimerFiresPeriodicallyWithItsId) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.SetTimer(42, 100);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(loop.WaitOne(-1), MessageLoop::WaitResult::Dispatched);
    EXPECT_EQ(clock.TickCount(), 100u * static_cast<uint32_t>(i));
  }
  ASSERT_EQ(rec.seen.size(), 3u);
  for (const Message& m : rec.seen) {
    EXPECT_EQ(m.id, WM_TIMER);
    EXPECT_EQ(m.wParam, 42);
  }
  EXPECT_TRUE(loop.KillTimer(42));
  EXPECT_FALSE(loop.KillTimer(42));
  EXPECT_EQ(loop.WaitOne(500), MessageLoop::WaitResult::TimedOut);
  EXPECT_EQ(rec.seen.size(), 3u);
}

TEST(MessageLoopTest, TimerBeforeTimeOutAndShorterTimerFirst) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.SetTimer(1, 300);
  loop.SetTimer(2, 120);
  EXPECT_EQ(loop.WaitOne(1000), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), 120u);
  EXPECT_EQ(loop.WaitOne(1000), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), 240u);
  EXPECT_EQ(loop.WaitOne(1000), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), 300u);
  ASSERT_EQ(rec.seen.size(), 3u);
  EXPECT_EQ(rec.seen[0].wParam, 2);
  EXPECT_EQ(rec.seen[1].wParam, 2);
  EXPECT_EQ(rec.seen[2].wParam, 1);
}

TEST(MessageLoopTest, TimerAcrossTickCountWrap) {
  FakeClock clock(0xFFFFFFF0u);
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.SetTimer(7, 50);
  EXPECT_EQ(loop.WaitOne(-1), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), 0x22u);  // 0xFFFFFFF0 + 50, wrapped
  EXPECT_EQ(loop.WaitOne(-1), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), 0x54u);
  EXPECT_EQ(rec.seen.size(), 2u);
}

TEST(MessageLoopTest, MissedExpirationsFoldIntoOneTimerMessage) {
  FakeClock clock;
  MessageLoop loop(clock);
  Recorder rec;
  loop.SetHandler(rec.Handler());
  loop.SetTimer(1, 100);
  clock.Advance(1000);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(rec.seen.size(), 1u);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(rec.seen.size(), 1u);
}

TEST(MessageLoopTest, ZeroIntervalTimerIsRaisedToTheMinimum) {
  FakeClock clock;
  MessageLoop loop(clock);
  int fired = 0;
  loop.SetHandler([&](const Message&) { ++fired; });
  loop.SetTimer(1, 0);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(loop.WaitOne(-1), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(clock.TickCount(), MessageLoop::kMinTimerMs);
}

TEST(MessageLoopTest, HandlerMayKillItsOwnTimerAndQuit) {
  FakeClock clock;
  MessageLoop loop(clock);
  int fired = 0;
  loop.SetHandler([&](const Message& m) {
    if (m.id == WM_TIMER && ++fired == 3) {
      loop.KillTimer(static_cast<uint32_t>(m.wParam));
      loop.Quit(fired);
    }
  });
  loop.SetTimer(9, 40);
  EXPECT_EQ(loop.Run(), 3);
  EXPECT_EQ(clock.TickCount(), 120u);
}

double ThreadCpuSeconds(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

class Pipe {
 public:
  Pipe() { EXPECT_EQ(pipe(fds_), 0); }
  ~Pipe() {
    CloseRead();
    if (fds_[1] >= 0) close(fds_[1]);
  }
  int Read() const { return fds_[0]; }
  int Write() const { return fds_[1]; }
  void CloseRead() {
    if (fds_[0] >= 0) close(fds_[0]);
    fds_[0] = -1;
  }

 private:
  int fds_[2] = {-1, -1};
};

TEST(MessageLoopTest, FdWatchCallsBackWhenReadable) {
  FakeClock clock;
  MessageLoop loop(clock);
  Pipe p;
  std::vector<char> got;
  ASSERT_TRUE(loop.WatchFd(p.Read(), POLLIN, [&](int fd, short revents) {
    EXPECT_TRUE(revents & POLLIN);
    char c = 0;
    ASSERT_EQ(read(fd, &c, 1), 1);
    got.push_back(c);
  }));
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::TimedOut);
  ASSERT_EQ(write(p.Write(), "ab", 2), 2);
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::TimedOut);
  EXPECT_EQ(got, (std::vector<char>{'a', 'b'}));
  EXPECT_TRUE(loop.UnwatchFd(p.Read()));
  EXPECT_FALSE(loop.UnwatchFd(p.Read()));
  ASSERT_EQ(write(p.Write(), "c", 1), 1);
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::TimedOut);
  EXPECT_FALSE(loop.WatchFd(-1, POLLIN, [](int, short) {}));
}

TEST(MessageLoopTest, PostedMessagesGoBeforeFdEvents) {
  FakeClock clock;
  MessageLoop loop(clock);
  Pipe p;
  std::vector<std::string> order;
  loop.SetHandler([&](const Message&) { order.push_back("msg"); });
  loop.WatchFd(p.Read(), POLLIN, [&](int fd, short) {
    char c;
    (void)!read(fd, &c, 1);
    order.push_back("fd");
  });
  ASSERT_EQ(write(p.Write(), "x", 1), 1);
  loop.PostMessage(WM_USER);
  EXPECT_TRUE(loop.PumpPending());
  EXPECT_EQ(order, (std::vector<std::string>{"msg", "fd"}));
}

TEST(MessageLoopTest, BusyFdDoesNotStarveAnother) {
  FakeClock clock;
  MessageLoop loop(clock);
  Pipe a, b;
  int fromA = 0, fromB = 0;
  // a stays readable for ever: its callback never reads.
  loop.WatchFd(a.Read(), POLLIN, [&](int, short) { ++fromA; });
  loop.WatchFd(b.Read(), POLLIN, [&](int fd, short) {
    char c;
    (void)!read(fd, &c, 1);
    ++fromB;
  });
  ASSERT_EQ(write(a.Write(), "x", 1), 1);
  ASSERT_EQ(write(b.Write(), "y", 1), 1);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(fromB, 1);
  EXPECT_EQ(fromA, 3);
}

TEST(MessageLoopTest, AnFdClosedBehindTheLoopsBackIsDroppedAndItsNumberWatchedAfresh) {
  FakeClock clock;
  MessageLoop loop(clock);
  Pipe p;
  ASSERT_EQ(write(p.Write(), "x", 1), 1);
  int oldCalls = 0, newCalls = 0;
  const int number = p.Read();
  loop.WatchFd(number, POLLIN, [&](int, short) { ++oldCalls; });
  p.CloseRead();  // closed behind the loop's back, with data waiting
  EXPECT_EQ(loop.WaitOne(10), MessageLoop::WaitResult::TimedOut);
  EXPECT_EQ(oldCalls, 0);

  // The lowest free number goes to the next descriptor: a new file under the old number.
  Pipe q;
  ASSERT_EQ(q.Read(), number);
  EXPECT_TRUE(loop.WatchFd(q.Read(), POLLIN, [&](int, short) { ++newCalls; }));
  EXPECT_EQ(loop.WaitOne(10), MessageLoop::WaitResult::TimedOut);
  ASSERT_EQ(write(q.Write(), "y", 1), 1);
  EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(newCalls, 1);
  EXPECT_EQ(oldCalls, 0);
  EXPECT_TRUE(loop.UnwatchFd(q.Read()));
  EXPECT_EQ(loop.WaitOne(10), MessageLoop::WaitResult::TimedOut);
}

// The kernel keeps an epoll registration while any copy of its file is open, even after the fd
// it was made with is closed; one that no watch owns must not keep the loop busy or reach a watch.
TEST(MessageLoopTest, AWatchClosedWhileACopyLivesNeitherSpinsNorReachesItsSuccessor) {
  MessageLoop loop;  // the real clock: a busy loop shows as CPU time
  Pipe p;
  const int copy = dup(p.Read());  // as a child between fork and exec holds it
  ASSERT_GE(copy, 0);
  const int number = p.Read();
  int oldCalls = 0, newCalls = 0;
  loop.WatchFd(number, POLLIN, [&](int, short) { ++oldCalls; });
  p.CloseRead();  // behind the loop's back
  Pipe q;         // a new pipe under the old number, watched afresh
  ASSERT_EQ(q.Read(), number);
  fcntl(number, F_SETFL, O_NONBLOCK);  // a mistaken call must not block the test
  loop.WatchFd(number, POLLIN, [&](int fd, short) {
    char c;
    (void)!read(fd, &c, 1);
    ++newCalls;
  });
  ASSERT_EQ(write(p.Write(), "x", 1), 1);  // the old pipe turns readable, and stays so

  clockid_t cpuClock{};
  pthread_getcpuclockid(pthread_self(), &cpuClock);
  const double before = ThreadCpuSeconds(cpuClock);
  EXPECT_EQ(loop.WaitOne(300), MessageLoop::WaitResult::TimedOut);
  // A loop that kept taking the old registration would burn most of the 300 ms.
  EXPECT_LT(ThreadCpuSeconds(cpuClock) - before, 0.05);
  EXPECT_EQ(oldCalls, 0);
  EXPECT_EQ(newCalls, 0);

  ASSERT_EQ(write(q.Write(), "y", 1), 1);
  EXPECT_EQ(loop.WaitOne(1000), MessageLoop::WaitResult::Dispatched);
  EXPECT_EQ(newCalls, 1);
  close(copy);
}

TEST(MessageLoopTest, AnFdThatCannotBeWaitedOnIsRefused) {
  FakeClock clock;
  MessageLoop loop(clock);
  auto never = [](int, short) { ADD_FAILURE() << "called"; };
  Pipe p;
  const int closed = p.Read();
  p.CloseRead();
  EXPECT_FALSE(loop.WatchFd(closed, POLLIN, never));
  EXPECT_FALSE(loop.WatchFd(-1, POLLIN, never));
  char path[] = "/tmp/loop-test-XXXXXX";
  const int file = mkstemp(path);  // a regular file never blocks: nothing to wait for
  ASSERT_GE(file, 0);
  unlink(path);
  EXPECT_FALSE(loop.WatchFd(file, POLLIN, never));
  EXPECT_FALSE(loop.UnwatchFd(file));
  close(file);
  EXPECT_EQ(loop.WaitOne(10), MessageLoop::WaitResult::TimedOut);
}

TEST(MessageLoopTest, ManyPostersLoseNothingAndKeepEachPostersOrder) {
  MessageLoop loop;  // real clock: the loop blocks in poll between bursts
  constexpr int kPosters = 4;
  constexpr int kEach = 20000;
  std::vector<intptr_t> next(kPosters, 0);
  int outOfOrder = 0;
  int received = 0;
  loop.SetHandler([&](const Message& m) {
    const auto poster = static_cast<size_t>(m.wParam);
    if (m.lParam != next[poster]) ++outOfOrder;
    next[poster] = m.lParam + 1;
    if (++received == kPosters * kEach) loop.Quit(0);
  });
  std::vector<std::thread> posters;
  std::atomic<int> refused{0};
  for (int t = 0; t < kPosters; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        if (!loop.PostMessage(WM_USER, t, i)) ++refused;
      }
    });
  }
  EXPECT_EQ(loop.Run(), 0);
  for (auto& th : posters) th.join();
  EXPECT_EQ(refused.load(), 0);
  EXPECT_EQ(received, kPosters * kEach);
  EXPECT_EQ(outOfOrder, 0);
  for (intptr_t n : next) EXPECT_EQ(n, kEach);
}

TEST(MessageLoopTest, QuitFromAnotherThreadWakesABlockedLoop) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  MessageLoop loop(clock);
  int result = -1;
  std::thread runner([&] { result = loop.Run(); });
  ASSERT_TRUE(clock.WaitForBlocked());
  loop.Quit(11);
  runner.join();
  EXPECT_EQ(result, 11);
}

TEST(MessageLoopTest, TimerOnLoopThreadFiresWhenTestAdvancesTime) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  MessageLoop loop(clock);
  std::atomic<int> fired{0};
  loop.SetHandler([&](const Message& m) {
    if (m.id == WM_TIMER) ++fired;
  });
  loop.SetTimer(1, 100);
  std::thread runner([&] { loop.Run(); });
  ASSERT_TRUE(clock.WaitForBlocked());
  uint64_t blocks = clock.Blocks();
  clock.Advance(99);
  ASSERT_TRUE(clock.WaitForNewBlock(blocks));
  EXPECT_EQ(fired.load(), 0);
  blocks = clock.Blocks();
  clock.Advance(1);
  // The loop fires, then blocks again for the next period.
  ASSERT_TRUE(clock.WaitForNewBlock(blocks));
  EXPECT_EQ(fired.load(), 1);
  loop.Quit(0);
  runner.join();
}

TEST(MessageLoopTest, TimerSetFromAnotherThreadShortensABlockedWait) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  MessageLoop loop(clock);
  std::atomic<int> fired{0};
  loop.SetHandler([&](const Message& m) {
    if (m.id == WM_TIMER && m.wParam == 5) {
      ++fired;
      loop.Quit(0);
    }
  });
  std::thread runner([&] { loop.Run(); });
  ASSERT_TRUE(clock.WaitForBlocked());
  const uint64_t blocks = clock.Blocks();
  loop.SetTimer(5, 30);
  // The blocked poll had no limit; setting the timer must make the loop wait on it instead.
  ASSERT_TRUE(clock.WaitForNewBlock(blocks));
  clock.Advance(30);
  runner.join();
  EXPECT_EQ(fired.load(), 1);
}

TEST(MessageLoopTest, FdWatchedFromAnotherThreadJoinsABlockedWait) {
  FakeClock clock;
  clock.SetAutoAdvance(false);
  MessageLoop loop(clock);
  Pipe p;
  std::atomic<int> got{0};
  std::thread runner([&] { loop.Run(); });
  ASSERT_TRUE(clock.WaitForBlocked());
  loop.WatchFd(p.Read(), POLLIN, [&](int fd, short) {
    char c;
    (void)!read(fd, &c, 1);
    ++got;
    loop.Quit(0);
  });
  ASSERT_EQ(write(p.Write(), "z", 1), 1);
  runner.join();
  EXPECT_EQ(got.load(), 1);
}

// A watch's callback that waits in turn (as a modal wait does) runs the loop nested inside a
// turn: the nested turns poll their own set, and the watches added meanwhile are polled by the
// outer loop's next turns.
// True once thread tid sleeps in epoll_wait (the kernel names the wait in wchan), within 5 s.
bool SleepsInEpollWait(pid_t tid) {
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/wchan";
  for (int i = 0; i < 5000; ++i) {
    std::ifstream wchan(path);
    std::string name;
    std::getline(wchan, name);
    if (name == "do_epoll_wait") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

TEST(MessageLoopTest, OnTheSystemClockAWatchAddedElsewhereJoinsTheWaitWithoutAWakeUp) {
  MessageLoop loop;  // the real clock: the loop sleeps in epoll_wait itself
  Pipe p;
  std::atomic<pid_t> loopTid{0};
  std::atomic<int> got{0};
  std::thread runner([&] {
    loopTid = gettid();
    loop.Run();
  });
  while (loopTid.load() == 0) std::this_thread::yield();
  ASSERT_TRUE(SleepsInEpollWait(loopTid.load()));
  loop.WatchFd(p.Read(), POLLIN, [&](int fd, short) {
    char c;
    (void)!read(fd, &c, 1);
    ++got;
  });
  ASSERT_EQ(write(p.Write(), "z", 1), 1);
  // Had the watch not joined the wait under way, nothing would come until the quit wakes it.
  for (int i = 0; i < 5000 && got.load() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(got.load(), 1);
  loop.Quit(0);
  runner.join();
}

TEST(MessageLoopTest, NestedWaitInsideAWatchCallbackAndTheWatchesItAdds) {
  FakeClock clock;
  MessageLoop loop(clock);
  Pipe a, b;
  std::vector<Pipe> added(6);
  std::string order;
  auto reader = [&](char name) {
    return [&order, name](int fd, short) {
      char c = 0;
      ASSERT_EQ(read(fd, &c, 1), 1);
      order += name;
    };
  };
  loop.WatchFd(b.Read(), POLLIN, reader('b'));
  loop.WatchFd(a.Read(), POLLIN, [&](int fd, short) {
    char c = 0;
    ASSERT_EQ(read(fd, &c, 1), 1);
    order += 'a';
    for (size_t i = 0; i < added.size(); ++i) {
      loop.WatchFd(added[i].Read(), POLLIN, reader(static_cast<char>('0' + i)));
    }
    ASSERT_EQ(write(b.Write(), "y", 1), 1);
    EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::Dispatched);  // b, nested
    order += '.';
  });
  ASSERT_EQ(write(a.Write(), "x", 1), 1);
  EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::Dispatched);
  for (const Pipe& p : added) ASSERT_EQ(write(p.Write(), "z", 1), 1);
  for (size_t i = 0; i < added.size(); ++i) {
    EXPECT_EQ(loop.WaitOne(100), MessageLoop::WaitResult::Dispatched);
  }
  EXPECT_EQ(loop.WaitOne(0), MessageLoop::WaitResult::TimedOut);
  std::string tail = order.substr(std::min<size_t>(order.size(), 3));
  std::sort(tail.begin(), tail.end());
  EXPECT_EQ(order.substr(0, 3), "ab.");
  EXPECT_EQ(tail, "012345");
}

TEST(MessageLoopTest, NestedWaitInsideAHandlerSeesLaterMessages) {
  FakeClock clock;
  MessageLoop loop(clock);
  std::vector<uint32_t> order;
  // A handler that waits for a reply the way a modal wait does: it pumps until it arrives.
  loop.SetHandler([&](const Message& m) {
    order.push_back(m.id);
    if (m.id == WM_USER + 1) {
      loop.PostMessage(WM_USER + 2);
      bool arrived = false;
      while (!arrived && loop.WaitOne(1000) == MessageLoop::WaitResult::Dispatched) {
        arrived = order.back() == WM_USER + 2;
      }
      order.push_back(arrived ? 100 : 200);
    }
  });
  loop.PostMessage(WM_USER + 1);
  loop.Quit(4);
  EXPECT_EQ(loop.Run(), 4);
  // The quit was queued before the reply, so the nested wait ends at the quit and the outer
  // loop sees it too.
  EXPECT_EQ(order, (std::vector<uint32_t>{WM_USER + 1, 200}));
  EXPECT_EQ(loop.Pending(), 0u);
}

TEST(MessageLoopTest, NestedWaitGetsItsReplyBeforeAQuitPostedLater) {
  FakeClock clock;
  MessageLoop loop(clock);
  std::vector<uint32_t> order;
  loop.SetHandler([&](const Message& m) {
    order.push_back(m.id);
    if (m.id == WM_USER + 1) {
      loop.PostMessage(WM_USER + 2);
      loop.Quit(6);
      while (loop.WaitOne(1000) == MessageLoop::WaitResult::Dispatched) {
      }
    }
  });
  loop.PostMessage(WM_USER + 1);
  EXPECT_EQ(loop.Run(), 6);
  EXPECT_EQ(order, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2}));
}

TEST(MessageLoopTest, IdleLoopDoesNotSpin) {
  MessageLoop loop;  // real clock and a far timer: the loop must sleep in poll
  loop.SetTimer(1, 60000);
  std::atomic<clockid_t> cpuClock{};
  std::atomic<bool> started{false};
  loop.SetHandler([&](const Message& m) {
    if (m.id == WM_USER) {
      clockid_t id;
      pthread_getcpuclockid(pthread_self(), &id);
      cpuClock = id;
      started = true;
    }
  });
  loop.PostMessage(WM_USER);
  std::thread runner([&] { loop.Run(); });
  while (!started) std::this_thread::yield();
  const double before = ThreadCpuSeconds(cpuClock);
  SystemClock::Instance().Sleep(300);
  const double used = ThreadCpuSeconds(cpuClock) - before;
  loop.Quit(0);
  runner.join();
  // A spinning loop would burn most of the 300 ms; an idle one almost nothing.
  EXPECT_LT(used, 0.05);
}

}  // namespace
}  // namespace platform
