#include "discovery/ExtendedQueryPool.h"

#include <chrono>

#include "discovery/CDeviceRecord.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/ExtendedQuery.h"

namespace discovery {

// A worker's wait: its own background window, and the pool's Cancel, which holds (a window's own
// cancel is cleared by the next wait that starts).
class ExtendedQueryPool::WorkerWait : public snmp::SnmpWaitWindow {
 public:
  explicit WorkerWait(const std::atomic<bool>& cancelled) : dialog_(true), cancelled_(cancelled) {}

  platform::MessagePoster* Poster() override { return dialog_.Poster(); }
  int WatchFd(int fd, uint32_t message) override { return dialog_.WatchFd(fd, message); }
  void ForgetFd(int fd) override { dialog_.ForgetFd(fd); }
  int Wait(unsigned message, int timeoutMs) override {
    if (cancelled_.load()) return kWaitCancelled;
    const int waited = dialog_.Wait(message, timeoutMs);
    return cancelled_.load() ? kWaitCancelled : waited;
  }
  void SetText(unsigned stringId) override { (void)stringId; }  // workers show nothing
  void Cancel() { dialog_.Cancel(); }

 private:
  CPleaseWaitDlg dialog_;
  const std::atomic<bool>& cancelled_;
};

ExtendedQueryPool::ExtendedQueryPool(Deliver deliver, size_t maxWorkers)
    : deliver_(std::move(deliver)), maxWorkers_(maxWorkers > 0 ? maxWorkers : 1) {}

ExtendedQueryPool::~ExtendedQueryPool() {
  Cancel();
  Drain();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
  for (const Job& job : queue_) delete job.record;
}

size_t ExtendedQueryPool::Workers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return threads_.size();
}

void ExtendedQueryPool::Submit(ExtendedQuery& query, CDeviceRecord* record, uint32_t message) {
  if (cancelled_.load()) {
    delete record;
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(Job{&query, record, message});
  if (idleWorkers_ < queue_.size() && threads_.size() < maxWorkers_) {
    waits_.push_back(std::make_unique<WorkerWait>(cancelled_));
    WorkerWait* wait = waits_.back().get();
    threads_.emplace_back([this, wait] { WorkerLoop(wait); });
  }
  work_.notify_one();
}

void ExtendedQueryPool::WorkerLoop(WorkerWait* wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    ++idleWorkers_;
    work_.wait(lock, [this] { return closing_ || !queue_.empty(); });
    --idleWorkers_;
    if (closing_) return;
    const Job job = queue_.front();
    queue_.pop_front();
    ++running_;
    lock.unlock();
    const bool cancelled =
        cancelled_.load() || job.query->RunIn(*job.record, *wait) == ExtendedQuery::kCancelled;
    if (cancelled) {
      ++cancelledQueries_;
      delete job.record;
    } else {
      deliver_(job.record, job.message);
    }
    lock.lock();
    --running_;
    idle_.notify_all();
  }
}

void ExtendedQueryPool::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_ > 0 || !queue_.empty()) {
    if (cancelled_.load()) {
      for (const Job& job : queue_) delete job.record;
      queue_.clear();
      // A worker whose wait began just after the cancel cleared it: cancel again until it ends.
      lock.unlock();
      CancelWaits();
      lock.lock();
    }
    idle_.wait_for(lock, std::chrono::milliseconds(kRecancelMs));
  }
}

void ExtendedQueryPool::Cancel() {
  cancelled_.store(true);
  CancelWaits();
}

void ExtendedQueryPool::CancelWaits() {
  std::vector<WorkerWait*> waits;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& wait : waits_) waits.push_back(wait.get());
  }
  for (WorkerWait* wait : waits) wait->Cancel();
}

void ExtendedQueryPool::Reset() {
  cancelled_.store(false);
  cancelledQueries_.store(0);
}

}  // namespace discovery
