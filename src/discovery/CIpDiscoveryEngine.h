// The discovery engine over UDP. A search runs on its own thread: a broadcast exchange on the
// local network, then the view's search list (single addresses, directed broadcasts, subnet
// sweeps, multicast, address-list files). Each device found travels to the main window as a
// posted record (WM_DEVICE_FOUND, WM_DEVICE_QUERIED), progress as WM_SEARCH_STATUS, and the end
// as WM_SEARCH_DONE.
//
// A broadcast exchange names the devices already heard (up to 179 per request) so that only new
// ones answer, and resends while a round brings a device not heard before in this exchange. Once
// a request has carried 179 IDs the list starts afresh; devices heard earlier in the exchange are
// then skipped by their IDs, so the exchange still ends however many devices answer.
//
// When the search's view shows values of the SNMP extended query, each record goes through a pool
// of query threads before it is posted (ExtendedQueryPool), so the exchange keeps listening while
// the devices are queried side by side; the search ends once the last query has.
//
// Many devices answering at the same instant can overflow the socket's receive queue. The socket
// asks for a large one, each round empties the queue in batches before it handles any reply, and
// a round in which the kernel dropped datagrams is followed by another even when it brought
// nothing new (the lost replies may have been new devices), at most lossRetries such rounds in a
// row so that a queue too small for the network still lets the exchange end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "discovery/CDiscoveryEngine.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/SearchWait.h"
#include "platform/MessagePoster.h"

namespace platform {
class Clock;
}

namespace discovery {

class CPleaseWaitDlg;
class DiscoveryTransport;
class ExtendedQueryPool;

struct EngineOptions {
  int broadcastTimeoutMs = 3000;  // Timeouts\Broadcast: a round ends after this long in silence
  int sweepGroupWaitMs = 500;     // the most a sweep waits between groups of queries
  int sweepLastWaitMs = 2000;     // a sweep ends after this long in silence
  int sendRetries = 20;
  // Timeouts\MaxBroadcast: rounds in a row resent only because the last one lost replies to a
  // full receive queue. Rounds that bring new devices are not counted.
  int lossRetries = 10;
  std::string ownMakerTag = "Vantor";  // string 8000: the devices a sweep lists
  std::vector<std::string> brandTags;  // OemBrandTable tags: a reply is posted once more for each
  DeviceRecordOptions recordOptions;   // masks; its extended query runs when a plan asks for it
  std::string localBroadcastAddress = "255.255.255.255";
  // A search lists at most this many devices: it then stops, and its end says so.
  int maxDevices = 4096;
  // A round of an exchange ends after this long even while replies keep coming (a host that
  // answers without end would otherwise hold it); 0: only silence ends it.
  int roundLimitMs = 30000;
  platform::Clock* clock = nullptr;  // times the rounds; null: the system clock
  // The wait a query that the user waits for (FindOrQuery, on the window's thread) runs under:
  // in the desktop program the application's please-wait window, which keeps the window's events
  // flowing, shows itself after 300 ms and has Cancel. Null: the engine's own (background) wait.
  CPleaseWaitDlg* queryWait = nullptr;
};

// What the last broadcast exchange saw (for logs and benchmarks).
struct ExchangeStats {
  int rounds = 0;   // requests sent
  int devices = 0;  // distinct devices heard
  int skipped = 0;  // replies of devices already heard
  int lastRequestIds = 0;
  long long lost = 0;      // datagrams the socket dropped (full receive queue); -1 unknown
  int lossyRounds = 0;     // rounds in which the socket dropped datagrams
  int cutRounds = 0;       // rounds ended by the wall-clock limit while replies still came
  int receiveBuffer = -1;  // the socket's receive queue in bytes as the kernel counts it
};

// Results of the set-address requests: 0, a failure of the socket, an unusable serial number, or
// the id of the message to show (5000, 5003, 5004).
enum SetAddressResult : int {
  kSetAddressOk = 0,
  kSetAddressSocketFailed = 1,
  kSetAddressBadSerial = 2,  // "Please enter a positive integer."
};

class CIpDiscoveryEngine : public CDiscoveryEngine {
 public:
  // Exchange results.
  static constexpr int kExchangeOk = 0;
  static constexpr int kExchangeFailed = -1;
  static constexpr int kExchangeCancelled = 2;
  static constexpr int kSetAddressTtl = 64;
  static constexpr int kStopCheckMs = 50;
  static constexpr int kStopChecksPerCancel = 6;

  // mainWindow receives the messages (not owned). wait: the engine's wait window (a background
  // one on mainWindow when null). transport: the datagram calls (the system's when null).
  CIpDiscoveryEngine(platform::MessagePoster* mainWindow, EngineOptions options,
                     std::unique_ptr<SearchWait> wait = nullptr,
                     DiscoveryTransport* transport = nullptr);
  ~CIpDiscoveryEngine() override;

  void StartSearch(const SearchPlan& plan) override;
  int FindOrQuery(const std::string& text) override;
  void Stop() override;
  // Every record this engine makes queries under its wait window.
  bool MadeRecord(const CDeviceRecord& record) const override {
    return record.GetWaitWindow() == wait_.get();
  }

  // The body of the search thread, run on the calling thread: busy until it ends, then
  // WM_SEARCH_DONE.
  void RunSearch(const SearchPlan& plan);

  // One exchange each; results as the constants above. destination null: the multicast address
  // (strings 8017 and 8020). hops non-zero sets the multicast time-to-live.
  int BroadcastExchange(const char* destination, int hops);
  int SubnetSweep(const std::string& prefix);
  // The addresses of a text file, one a line, each queried until one does not answer. A path
  // that is not a regular file, or a file over 8 MiB, counts as one that cannot be opened.
  int AddressListFile(const std::string& path);
  int SingleAddressQuery(const std::string& address, bool reportAlways);

  // "Enter IP address": the set-address request for the device of hwAddress, to sendTo.
  int SetAddressByHardware(const std::string& hwAddress, const std::string& ip,
                           const std::string& sendTo = "255.255.255.255");
  // "Setup Unlisted IP Server": the request for the device with that serial number, to sendTo
  // or, with multicast, to 224.0.1.55 with a time-to-live of 64.
  int SetAddressBySerial(const std::string& serial, const std::string& ip,
                         const std::string& sendTo, bool multicast);
  // After a set-address request: queries the device at ip for up to seconds. On failure the
  // record keeps its old address and the result is 5018 (2 when cancelled).
  static int ConfirmNewAddress(CIpDeviceRecord& record, const std::string& ip, int seconds);

  const ExchangeStats& LastExchange() const { return stats_; }
  // Whether the last search stopped at the device bound.
  bool StoppedAtBound() const { return boundReached_.load(); }
  SearchWait& Wait() { return *wait_; }
  const EngineOptions& Options() const { return options_; }
  void SetOptions(const EngineOptions& options) { options_ = options; }

 private:
  // A new record on the engine's wait window with this search's options. withQuery false: its
  // fills leave the extended query out (the pool runs it).
  CIpDeviceRecord* NewRecord(bool withQuery = true) const;
  // Posts record, or deletes it when the main window does not take it.
  void PostRecord(uint32_t message, CDeviceRecord* record);
  // Posts a filled record; when the search queries devices over SNMP, the pool does so first.
  void DeliverRecord(uint32_t message, CIpDeviceRecord* record);
  // Fills records from one reply and posts them (through the pool when the search queries over
  // SNMP); kExchangeCancelled once the search was stopped. own: post the record itself (then the
  // brand copies).
  int PostReply(const uint8_t* data, size_t size, bool own);
  bool SendWithRetries(int socket, const std::vector<std::string>& addresses, const void* data,
                       int length);
  int ReceiveRound(int socket, struct ExchangeState& state);
  int HandleExchangeReply(const uint8_t* data, size_t length, struct ExchangeState& state);
  int DrainSweepReplies(int socket);
  // The check made between datagrams of a long run: true once Stop has begun, or when a Cancel
  // comes during a zero-length wait. A Cancel made while the thread was busy is cleared by the
  // next wait, so under a steady stream of datagrams only the flag lets Stop end the search.
  bool StopRequested();
  // Counts a device of the search (id: its device ID when the reply gave one; each device is
  // counted once). False once the search holds maxDevices: the device is not listed and the
  // search stops.
  bool CountDevice(std::optional<uint32_t> id);
  void RunSearchList(const SearchPlan& plan);
  void JoinThread();

  platform::MessagePoster* mainWindow_;
  EngineOptions options_;
  std::unique_ptr<SearchWait> wait_;
  DiscoveryTransport* transport_;
  bool extendedQuery_ = false;  // of the running search
  // The devices of the running search, by device ID; with the unanswered addresses counted.
  std::unordered_set<uint32_t> searchDevices_;
  int searchRows_ = 0;
  std::atomic<bool> boundReached_{false};
  ExchangeStats stats_;

  // Declared after what its workers' deliveries use, so that it goes first.
  std::unique_ptr<ExtendedQueryPool> pool_;

  std::thread thread_;
  std::atomic<bool> stopping_{false};  // set while Stop waits for the search thread
  std::mutex doneMutex_;
  std::condition_variable doneSignal_;
};

}  // namespace discovery
