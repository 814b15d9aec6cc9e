// The pool that runs extended queries side by side: queries of different devices at the same
// time, no more workers than its bound, every record delivered once, and Cancel that ends the
// running queries' waits, drops the queued ones and deletes their records.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <vector>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/ExtendedQuery.h"
#include "discovery/ExtendedQueryPool.h"
#include "snmp/SnmpWaitWindow.h"

namespace discovery {
namespace {

constexpr uint32_t kFound = 0x800F;
constexpr unsigned kReply = 2561;
// Only a safety net against a hang: every test ends long before it on success.
constexpr auto kNoHang = std::chrono::seconds(20);

// A record that counts its deletion.
class CountedRecord : public CIpDeviceRecord {
 public:
  CountedRecord(int id, std::atomic<int>* deleted) : CIpDeviceRecord(nullptr), deleted_(deleted) {
    SetIpAddress("127.0.0." + std::to_string(id));
  }
  ~CountedRecord() override { ++*deleted_; }

 private:
  std::atomic<int>* deleted_;
};

// Holds each query until `together` of them run at once, or (silent) waits for a reply that
// never comes, so only Cancel ends it.
class GateQuery : public ExtendedQuery {
 public:
  explicit GateQuery(int together, bool silent = false) : together_(together), silent_(silent) {}

  int Run(CDeviceRecord& record) override {
    (void)record;
    return 0;
  }
  int RunIn(CDeviceRecord& record, snmp::SnmpWaitWindow& wait) override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ++started_;
      maxRunning_ = std::max(maxRunning_, ++running_);
      gate_.notify_all();
      gate_.wait_for(lock, kNoHang, [this] { return started_ >= together_; });
    }
    int result = 0;
    if (silent_) {
      result = wait.Wait(kReply, 600000) == snmp::SnmpWaitWindow::kWaitCancelled ? kCancelled : 0;
    }
    record.SetLocation("asked");
    std::lock_guard<std::mutex> lock(mutex_);
    --running_;
    return result;
  }
  int MaxRunning() {
    std::lock_guard<std::mutex> lock(mutex_);
    return maxRunning_;
  }
  // Waits until n queries have started.
  bool AwaitStarted(int n) {
    std::unique_lock<std::mutex> lock(mutex_);
    return gate_.wait_for(lock, kNoHang, [&] { return started_ >= n; });
  }

 private:
  const int together_;
  const bool silent_;
  std::mutex mutex_;
  std::condition_variable gate_;
  int started_ = 0;
  int running_ = 0;
  int maxRunning_ = 0;
};

struct Delivered {
  std::mutex mutex;
  std::vector<std::string> addresses;
  std::set<uint32_t> messages;
  void Take(CDeviceRecord* record, uint32_t message) {
    std::lock_guard<std::mutex> lock(mutex);
    auto* ip = dynamic_cast<CIpDeviceRecord*>(record);
    EXPECT_STREQ(record->GetColumnText(kColLocation), "asked");
    addresses.push_back(ip->IpAddress());
    messages.insert(message);
    delete record;
  }
};

TEST(ExtendedQueryPool, DevicesAreQueriedSideBySideUpToTheBound) {
  struct Case {
    size_t bound;
    int devices;
    int together;  // queries that must run at once before any may end
  };
  for (const Case& c : {Case{8, 8, 8}, Case{3, 7, 3}, Case{1, 3, 1}}) {
    Delivered delivered;
    std::atomic<int> deleted{0};
    GateQuery query(c.together);
    {
      ExtendedQueryPool pool([&](CDeviceRecord* r, uint32_t m) { delivered.Take(r, m); }, c.bound);
      for (int i = 1; i <= c.devices; ++i)
        pool.Submit(query, new CountedRecord(i, &deleted), kFound);
      pool.Drain();
      EXPECT_EQ(pool.Workers(), c.bound);
    }
    EXPECT_EQ(query.MaxRunning(), c.together) << c.bound;
    EXPECT_EQ(static_cast<int>(delivered.addresses.size()), c.devices);
    EXPECT_EQ(deleted.load(), c.devices);  // each record once, by the receiver
    EXPECT_EQ(std::set<std::string>(delivered.addresses.begin(), delivered.addresses.end()).size(),
              static_cast<size_t>(c.devices));
  }
}

TEST(ExtendedQueryPool, CancelEndsSilentQueriesAndDropsTheQueuedOnes) {
  Delivered delivered;
  std::atomic<int> deleted{0};
  GateQuery query(1, true);
  ExtendedQueryPool pool([&](CDeviceRecord* r, uint32_t m) { delivered.Take(r, m); }, 4);
  for (int i = 1; i <= 10; ++i) pool.Submit(query, new CountedRecord(i, &deleted), kFound);
  ASSERT_TRUE(query.AwaitStarted(4));  // four wait for replies, six are queued
  pool.Cancel();
  pool.Drain();
  EXPECT_TRUE(delivered.addresses.empty());
  EXPECT_EQ(deleted.load(), 10);
  EXPECT_GE(pool.CancelledQueries(), 4u);
  // Until Reset, what comes is dropped at once.
  pool.Submit(query, new CountedRecord(11, &deleted), kFound);
  EXPECT_EQ(deleted.load(), 11);
  pool.Reset();
  EXPECT_FALSE(pool.Cancelled());
}

TEST(ExtendedQueryPool, GoingAwayCancelsWhatRuns) {
  std::atomic<int> deleted{0};
  GateQuery query(1, true);
  {
    ExtendedQueryPool pool([](CDeviceRecord* r, uint32_t) { delete r; }, 2);
    for (int i = 1; i <= 3; ++i) pool.Submit(query, new CountedRecord(i, &deleted), kFound);
    ASSERT_TRUE(query.AwaitStarted(2));
  }
  EXPECT_EQ(deleted.load(), 3);
}

}  // namespace
}  // namespace discovery
