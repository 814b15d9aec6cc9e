#include "platform/FakeClock.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace platform {

namespace {

int CountReady(const pollfd* fds, size_t count) {
  int ready = 0;
  for (size_t i = 0; i < count; ++i) {
    if (fds[i].revents != 0) ++ready;
  }
  return ready;
}

}  // namespace

uint32_t FakeClock::TickCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void FakeClock::Advance(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += ms;
  const uint64_t one = 1;
  for (int fd : pollWakers_) {
    (void)!write(fd, &one, sizeof one);
  }
  advanced_.notify_all();
  changed_.notify_all();
}

void FakeClock::SetAutoAdvance(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  autoAdvance_ = on;
}

int FakeClock::Blocked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return blocked_;
}

uint64_t FakeClock::Blocks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return blocks_;
}

bool FakeClock::WaitForNewBlock(uint64_t blocksBefore, int realTimeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                           [&] { return blocks_ > blocksBefore && blocked_ > 0; });
}

bool FakeClock::WaitForBlocked(int count, int realTimeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs),
                           [&] { return blocked_ >= count; });
}

void FakeClock::Sleep(uint32_t ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (autoAdvance_) {
    now_ += ms;
    changed_.notify_all();
    return;
  }
  const uint32_t start = now_;
  ++blocked_;
  while (Elapsed(start, now_) < ms) {
    ++blocks_;
    changed_.notify_all();
    advanced_.wait(lock);
  }
  --blocked_;
}

int FakeClock::Poll(pollfd* fds, size_t count, int timeoutMs) {
  const int ready = ::poll(fds, static_cast<nfds_t>(count), 0);
  if (ready != 0 || timeoutMs == 0) return ready;
  uint32_t start = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    start = now_;
    if (autoAdvance_ && timeoutMs > 0) {
      now_ += static_cast<uint32_t>(timeoutMs);
      changed_.notify_all();
      return 0;
    }
  }
  return BlockingPoll(fds, count, timeoutMs, start);
}

// Waits for the caller's fds for real, and for Advance through an eventfd of this call's own.
int FakeClock::BlockingPoll(pollfd* fds, size_t count, int timeoutMs, uint32_t start) {
  const int waker = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (waker < 0) return -1;
  std::vector<pollfd> all(fds, fds + count);
  all.push_back(pollfd{waker, POLLIN, 0});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pollWakers_.push_back(waker);
    ++blocked_;
  }
  int result = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (timeoutMs > 0 && Elapsed(start, now_) >= static_cast<uint32_t>(timeoutMs)) break;
      ++blocks_;  // (re)entering the wait: tests step time only once we are here
      changed_.notify_all();
    }
    const int n = ::poll(all.data(), static_cast<nfds_t>(all.size()), -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      result = -1;
      break;
    }
    if (all.back().revents != 0) {
      uint64_t value = 0;
      (void)!read(waker, &value, sizeof value);
    }
    result = CountReady(all.data(), count);
    if (result > 0) break;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pollWakers_.erase(std::find(pollWakers_.begin(), pollWakers_.end(), waker));
    --blocked_;
  }
  const int savedErrno = errno;
  close(waker);
  errno = savedErrno;
  if (result >= 0) std::copy(all.begin(), all.begin() + static_cast<long>(count), fds);
  return result;
}

}  // namespace platform
