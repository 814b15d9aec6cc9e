// Extended queries of many devices side by side. A search hands each record that needs one to
// the pool and goes on listening; a bounded set of worker threads runs the queries (each device's
// three requests in order on one worker) and delivers every record once its query has ended. So a
// search of many devices whose agents do not answer costs about one query's time-out per
// kMaxWorkers devices, not one per device.
//
// Workers start when there is work and no idle worker, up to the bound, and stay until the pool
// goes. Each waits in a background wait window of its own; Cancel ends their waits and drops the
// queries not yet begun (their records are deleted), and holds until Reset.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace discovery {

class CDeviceRecord;
class ExtendedQuery;

class ExtendedQueryPool {
 public:
  // The SNMP engine's fixed handle table has 63 handles. A query holds 5 while it waits for a
  // reply (session, community, agent, varbind list, PDU) and 5 more while it reads one; with 10
  // workers 9 x 5 + 10 = 55 stay within it, with room for a window's own query.
  static constexpr size_t kMaxWorkers = 10;
  static constexpr int kRecancelMs = 50;
  // Called on a worker thread with a record whose query ended (in success or failure, not by
  // Cancel) and the message it was submitted with; takes the record over.
  using Deliver = std::function<void(CDeviceRecord* record, uint32_t message)>;

  explicit ExtendedQueryPool(Deliver deliver, size_t maxWorkers = kMaxWorkers);
  ~ExtendedQueryPool();
  ExtendedQueryPool(const ExtendedQueryPool&) = delete;
  ExtendedQueryPool& operator=(const ExtendedQueryPool&) = delete;

  // Takes record over and queues its query. After Cancel the record is deleted at once.
  void Submit(ExtendedQuery& query, CDeviceRecord* record, uint32_t message);
  // Returns once every query submitted has ended and its record was delivered or deleted.
  void Drain();
  // Callable from any thread: running queries end as cancelled (their records are deleted), the
  // queued ones are dropped, and Submit drops what comes until Reset.
  void Cancel();
  void Reset();
  bool Cancelled() const { return cancelled_.load(); }
  size_t Workers() const;
  // Queries that ended cancelled since the last Reset.
  size_t CancelledQueries() const { return cancelledQueries_.load(); }

 private:
  struct Job {
    ExtendedQuery* query;
    CDeviceRecord* record;
    uint32_t message;
  };
  class WorkerWait;

  void WorkerLoop(WorkerWait* wait);
  void CancelWaits();

  Deliver deliver_;
  const size_t maxWorkers_;
  mutable std::mutex mutex_;
  std::condition_variable work_;  // a job queued, or the pool closing
  std::condition_variable idle_;  // a job ended
  std::deque<Job> queue_;
  size_t running_ = 0;
  size_t idleWorkers_ = 0;
  bool closing_ = false;
  std::atomic<bool> cancelled_{false};
  std::atomic<size_t> cancelledQueries_{0};
  std::vector<std::unique_ptr<WorkerWait>> waits_;
  std::vector<std::thread> threads_;
};

}  // namespace discovery
