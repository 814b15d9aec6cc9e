#include "discovery/CIpDiscoveryEngine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "discovery/BackgroundSearchWait.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/DatagramBatch.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/DiscoveryRequest.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/DiscoveryTransport.h"
#include "discovery/ExtendedQuery.h"
#include "discovery/ExtendedQueryPool.h"
#include "discovery/MakerTag.h"
#include "discovery/SearchEntry.h"
#include "platform/SmallFile.h"
#include "platform/SystemClock.h"
#include "res/StringTable.h"

namespace discovery {

// Replies taken off the socket before any is handled; a full batch is handled and the socket
// emptied again.
constexpr size_t kPendingReplies = 4096;

// The ID list of one broadcast exchange: the IDs the next request names, and every ID heard.
struct ExchangeState {
  std::vector<uint32_t> list;
  std::unordered_set<uint32_t> inList;
  std::unordered_set<uint32_t> heard;
  bool resend = true;
  DatagramBatch pending{kPendingReplies};
};

namespace {

constexpr size_t kMakerOffset = 49;
// Far more addresses than a search would ever walk (it stops at the first silent one).
constexpr size_t kMaxAddressListBytes = 8u << 20;
// Between zero-length waits during a long run of datagrams, so that a cancel lands.
constexpr int kDatagramsPerCancelCheck = 64;
constexpr int kSweepGroup = 5;
constexpr int kSweepLastHost = 255;

std::string MulticastAddress(unsigned id) {
  std::string text = res::LoadString(id);
  return text.empty() ? "224.0.1.55" : text;
}

// The maker text of a reply, up to the 5 bytes of its field and its first zero.
std::string ReplyMakerText(const uint8_t* data, size_t size) {
  std::string text;
  for (size_t i = kMakerOffset; i < kMakerOffset + kMakerFieldSize && i < size; ++i) {
    if (data[i] == 0) break;
    text.push_back(static_cast<char>(data[i]));
  }
  return text;
}

bool IsCancel(int waited) {
  return waited == DeviceWait::kWaitCancelled;
}
bool IsSocketMessage(int waited) {
  return waited == static_cast<int>(DeviceWait::kSocketMessage);
}

}  // namespace

CIpDiscoveryEngine::CIpDiscoveryEngine(platform::MessagePoster* mainWindow, EngineOptions options,
                                       std::unique_ptr<SearchWait> wait,
                                       DiscoveryTransport* transport)
    : mainWindow_(mainWindow),
      options_(std::move(options)),
      wait_(wait ? std::move(wait) : std::make_unique<BackgroundSearchWait>(mainWindow)),
      transport_(transport != nullptr ? transport : &SystemDiscoveryTransport()),
      pool_(std::make_unique<ExtendedQueryPool>(
          [this](CDeviceRecord* record, uint32_t message) { PostRecord(message, record); })) {}

CIpDiscoveryEngine::~CIpDiscoveryEngine() {
  Stop();
}

void CIpDiscoveryEngine::StartSearch(const SearchPlan& plan) {
  // A search still running would hand its devices to whoever asks next: end it first.
  Stop();
  ClearDevices();
  NewSearchId();
  busy_.store(true);
  thread_ = std::thread([this, plan] { RunSearch(plan); });
}

void CIpDiscoveryEngine::RunSearch(const SearchPlan& plan) {
  busy_.store(true);
  wait_->Begin();
  // A search of the list alone does not claim to search the local network.
  if (plan.searchLocal || !plan.searchList) wait_->SetText(kTextSearchingLocal);
  stats_ = ExchangeStats{};  // what a caller reads afterwards is of this search only
  extendedQuery_ = plan.extendedQuery;
  searchDevices_.clear();
  searchRows_ = 0;
  boundReached_.store(false);
  bool cancelled = false;
  if (plan.searchLocal) {
    cancelled = BroadcastExchange(options_.localBroadcastAddress.c_str(), 0) == kExchangeCancelled;
  }
  if (!cancelled && !boundReached_.load() && plan.searchList) RunSearchList(plan);
  // The devices still being queried over SNMP belong to this search: it ends with them.
  pool_->Drain();
  wait_->End();
  {
    std::lock_guard<std::mutex> lock(doneMutex_);
    busy_.store(false);
  }
  doneSignal_.notify_all();
  if (mainWindow_ != nullptr) {
    mainWindow_->PostMessage(WM_SEARCH_DONE, SearchId(),
                             boundReached_.load() ? kSearchStoppedAtBound : 0);
  }
}

void CIpDiscoveryEngine::RunSearchList(const SearchPlan& plan) {
  wait_->SetText(kTextSearchingSpecific);
  int stop = 0;
  for (size_t i = 0; i < plan.entries.size() && stop == 0 && !boundReached_.load(); ++i) {
    const SearchEntry entry = ParseSearchEntry(plan.entries[i]);
    switch (entry.kind) {
      case SearchEntry::Kind::kSubnet:
        stop = SubnetSweep(entry.text);
        break;
      case SearchEntry::Kind::kDirectedBroadcast:
        stop = BroadcastExchange(entry.text.c_str(), 0);
        break;
      case SearchEntry::Kind::kMulticast:
        stop = BroadcastExchange(nullptr, entry.hops);
        break;
      case SearchEntry::Kind::kFile:
        AddressListFile(entry.text);
        break;
      case SearchEntry::Kind::kSingle:
        if (SingleAddressQuery(entry.text, true) == kExchangeCancelled) stop = kExchangeCancelled;
        break;
    }
  }
}

void CIpDiscoveryEngine::Stop() {
  stopping_.store(true);
  pool_->Cancel();
  wait_->Cancel();
  {
    std::unique_lock<std::mutex> lock(doneMutex_);
    int checks = 0;
    // A Wait that starts after the cancel clears it: repeat it until the thread has ended.
    while (busy_.load() && thread_.joinable()) {
      doneSignal_.wait_for(lock, std::chrono::milliseconds(kStopCheckMs));
      if (++checks == kStopChecksPerCancel) {
        pool_->Cancel();
        wait_->Cancel();
        checks = 0;
      }
    }
  }
  JoinThread();
  // The search drained the pool before it ended: the next one queries afresh.
  if (!busy_.load()) pool_->Reset();
  stopping_.store(false);
}

bool CIpDiscoveryEngine::StopRequested() {
  return stopping_.load() || boundReached_.load() ||
         IsCancel(wait_->Wait(DeviceWait::kSocketMessage, 0));
}

bool CIpDiscoveryEngine::CountDevice(std::optional<uint32_t> id) {
  if (boundReached_.load()) return false;
  if (id && searchDevices_.count(*id) != 0) return true;
  if (static_cast<int>(searchDevices_.size()) + searchRows_ >= options_.maxDevices) {
    boundReached_.store(true);
    // In the status bar while the search ends (its end keeps it there), and in the error log.
    wait_->SetText(kMsgDeviceBound);
    ReportDiscoveryError(kMsgDeviceBound, kErrorClassApp, 0, kErrorClassNone, 0);
    return false;
  }
  if (id) {
    searchDevices_.insert(*id);
  } else {
    ++searchRows_;
  }
  return true;
}

void CIpDiscoveryEngine::JoinThread() {
  if (thread_.joinable()) thread_.join();
}

CIpDeviceRecord* CIpDiscoveryEngine::NewRecord(bool withQuery) const {
  DeviceRecordOptions recordOptions = options_.recordOptions;
  recordOptions.broadcastTimeoutMs = options_.broadcastTimeoutMs;
  if (!extendedQuery_ || !withQuery) recordOptions.extendedQuery = nullptr;
  return new CIpDeviceRecord(wait_.get(), recordOptions);
}

void CIpDiscoveryEngine::DeliverRecord(uint32_t message, CIpDeviceRecord* record) {
  ExtendedQuery* query = extendedQuery_ ? options_.recordOptions.extendedQuery : nullptr;
  if (query == nullptr || !record->IsValid()) {
    PostRecord(message, record);
    return;
  }
  // Later refreshes of the row query it as this search would have.
  DeviceRecordOptions recordOptions = record->Options();
  recordOptions.extendedQuery = query;
  record->SetOptions(recordOptions);
  pool_->Submit(*query, record, message);
}

void CIpDiscoveryEngine::PostRecord(uint32_t message, CDeviceRecord* record) {
  if (mainWindow_ == nullptr ||
      !mainWindow_->PostMessage(message, reinterpret_cast<intptr_t>(record), SearchId())) {
    delete record;
  }
}

int CIpDiscoveryEngine::PostReply(const uint8_t* data, size_t size, bool own) {
  std::vector<CIpDeviceRecord*> records;
  if (own) records.push_back(NewRecord(false));
  const std::string maker = ReplyMakerText(data, size);
  for (const std::string& tag : options_.brandTags) {
    if (MakerTagMatches(maker, tag)) records.push_back(NewRecord(false));
  }
  if (!records.empty() && !CountDevice(ReplyDeviceId(data, size))) {
    for (CIpDeviceRecord* record : records) delete record;
    return kExchangeCancelled;
  }
  for (CIpDeviceRecord* record : records) {
    record->FillFromReply(data, size);
    DeliverRecord(WM_DEVICE_FOUND, record);
  }
  return pool_->Cancelled() ? kExchangeCancelled : kExchangeOk;
}

bool CIpDiscoveryEngine::SendWithRetries(int socket, const std::vector<std::string>& addresses,
                                         const void* data, int length) {
  int retries = 0;  // shared by all the addresses
  for (const std::string& address : addresses) {
    while (transport_->Send(socket, address.c_str(), data, length) != 0) {
      if (++retries > options_.sendRetries) return false;
    }
  }
  return true;
}

int CIpDiscoveryEngine::BroadcastExchange(const char* destination, int hops) {
  stats_ = ExchangeStats{};
  int socket = kInvalidSocket;
  if (transport_->Create(&socket, wait_.get()) != 0) {
    transport_->Close(socket, wait_.get());
    return kExchangeFailed;
  }
  if (hops != 0) transport_->SetMulticastTtl(socket, hops);
  const std::vector<std::string> addresses =
      destination != nullptr ? std::vector<std::string>{destination}
                             : std::vector<std::string>{MulticastAddress(kStringMulticastAddress),
                                                        MulticastAddress(kStringMulticastAddress2)};
  ExchangeState state;
  int result = kExchangeOk;
  stats_.receiveBuffer = transport_->ReceiveBufferSize(socket);
  long long dropsBefore = transport_->Dropped(socket);
  if (dropsBefore < 0) stats_.lost = -1;
  int lossResends = 0;
  while (state.resend && result == kExchangeOk) {
    state.resend = false;
    const std::vector<uint8_t> request = BuildDiscoveryRequest(state.list);
    if (!SendWithRetries(socket, addresses, request.data(), static_cast<int>(request.size()))) {
      ReportDiscoveryError(kMsgDiscoverySendFailed, kErrorClassApp, 0, kErrorClassNone, 1);
      break;
    }
    ++stats_.rounds;
    stats_.lastRequestIds = static_cast<int>(state.list.size());
    if (state.list.size() >= kMaxRequestIds) {
      // That request carried a full list; the next one starts from none.
      state.list.clear();
      state.inList.clear();
    }
    result = ReceiveRound(socket, state);
    // The round is over once the wait ran out in silence, so every reply of it has either been
    // received or been counted as dropped by now.
    const long long drops = transport_->Dropped(socket);
    const long long lost = drops >= 0 && dropsBefore >= 0 ? drops - dropsBefore : 0;
    dropsBefore = drops;
    if (lost > 0) {
      stats_.lost += lost;
      ++stats_.lossyRounds;
    }
    if (state.resend) {
      lossResends = 0;
    } else if (lost > 0 && lossResends < options_.lossRetries) {
      // Nothing new was heard, but what was dropped may have been.
      ++lossResends;
      state.resend = true;
    }
  }
  transport_->Close(socket, wait_.get());
  return result == kExchangeCancelled ? kExchangeCancelled : kExchangeOk;
}

// Takes replies until a whole time-out passes without one. kExchangeOk or kExchangeCancelled.
int CIpDiscoveryEngine::ReceiveRound(int socket, ExchangeState& state) {
  DatagramBatch& pending = state.pending;
  int sinceCheck = 0;  // counted across batches: a stream may come in small ones
  platform::Clock& clock =
      options_.clock != nullptr ? *options_.clock : platform::SystemClock::Instance();
  const uint32_t start = clock.TickCount();
  for (;;) {
    if (options_.roundLimitMs > 0 && platform::Clock::Elapsed(start, clock.TickCount()) >=
                                         static_cast<uint32_t>(options_.roundLimitMs)) {
      // Replies still come, but the round has had its time; the next request names those heard.
      ++stats_.cutRounds;
      return kExchangeOk;
    }
    // Empty the socket first: while the replies are handled its queue has room for more.
    pending.Clear();
    while (pending.Room() > 0 && transport_->ReceiveBatch(socket, pending, pending.Room()) > 0) {
    }
    if (pending.Size() == 0) {
      const int waited = wait_->Wait(DeviceWait::kSocketMessage, options_.broadcastTimeoutMs);
      if (IsCancel(waited)) return kExchangeCancelled;
      if (!IsSocketMessage(waited)) return kExchangeOk;
      continue;
    }
    for (size_t i = 0; i < pending.Size(); ++i) {
      if (++sinceCheck >= kDatagramsPerCancelCheck) {
        sinceCheck = 0;
        if (StopRequested()) return kExchangeCancelled;
      }
      if (HandleExchangeReply(pending.Data(i), pending.Length(i), state) == kExchangeCancelled) {
        return kExchangeCancelled;
      }
    }
  }
}

int CIpDiscoveryEngine::HandleExchangeReply(const uint8_t* data, size_t length,
                                            ExchangeState& state) {
  if (!HasReplyMagic(data, length)) return kExchangeOk;
  const std::optional<uint32_t> id = ReplyDeviceId(data, length);
  if (!id) return kExchangeOk;  // too short to name its device
  if (state.inList.count(*id) != 0) {
    ++stats_.skipped;
    return kExchangeOk;
  }
  if (state.heard.insert(*id).second) {
    ++stats_.devices;
    if (PostReply(data, length, true) == kExchangeCancelled) return kExchangeCancelled;
    state.resend = true;
  } else {
    ++stats_.skipped;
  }
  if (state.list.size() < kMaxRequestIds) {
    state.list.push_back(*id);
    state.inList.insert(*id);
  }
  return kExchangeOk;
}

int CIpDiscoveryEngine::SubnetSweep(const std::string& prefix) {
  int socket = kInvalidSocket;
  if (transport_->Create(&socket, wait_.get()) != 0) {
    transport_->Close(socket, wait_.get());
    return kExchangeCancelled;
  }
  int result = kExchangeOk;
  int host = 1;
  // What the sweep does and how far it has come, in steps of a tenth.
  const std::string range =
      "Searching " + prefix + "1 - " + prefix + std::to_string(kSweepLastHost);
  wait_->SetProgressText(range + "...");
  int shownTenths = 0;
  while (host < kSweepLastHost && result == kExchangeOk) {
    if (IsCancel(wait_->Wait(DeviceWait::kSocketMessage, options_.sweepGroupWaitMs))) {
      result = kExchangeCancelled;
      break;
    }
    for (int k = 0; k < kSweepGroup; ++k, ++host) {
      const std::string address = prefix + std::to_string(host);
      transport_->Send(socket, address.c_str(), kUnicastQuery.data(),
                       static_cast<int>(kUnicastQuery.size()));
    }
    const int tenths = (host - 1) * 10 / kSweepLastHost;
    if (tenths > shownTenths) {
      shownTenths = tenths;
      wait_->SetProgressText(range + ": " + std::to_string(tenths * 10) + "%");
    }
    result = DrainSweepReplies(socket);
  }
  // Late answers: keep taking them until a whole wait passes in silence.
  while (result == kExchangeOk) {
    const int waited = wait_->Wait(DeviceWait::kSocketMessage, options_.sweepLastWaitMs);
    if (IsCancel(waited)) {
      result = kExchangeCancelled;
    } else if (!IsSocketMessage(waited)) {
      break;
    } else {
      result = DrainSweepReplies(socket);
    }
  }
  transport_->Close(socket, wait_.get());
  return result;
}

int CIpDiscoveryEngine::DrainSweepReplies(int socket) {
  uint8_t buffer[kReplyBufferSize];
  char sender[record_size::kAddress];
  int sinceCheck = 0;
  for (;;) {
    const int size = transport_->Receive(socket, sender, sizeof sender, buffer, sizeof buffer);
    if (size < 0) return kExchangeOk;
    if (++sinceCheck >= kDatagramsPerCancelCheck) {
      sinceCheck = 0;
      if (StopRequested()) return kExchangeCancelled;
    }
    const size_t length = static_cast<size_t>(size);
    if (!HasReplyMagic(buffer, length)) continue;
    const bool own = MakerTagMatches(ReplyMakerText(buffer, length), options_.ownMakerTag);
    if (PostReply(buffer, length, own) == kExchangeCancelled) return kExchangeCancelled;
  }
}

int CIpDiscoveryEngine::AddressListFile(const std::string& path) {
  // Regular files only (read with a bound): a FIFO named here would block the search thread in
  // open until some writer came, and a device such as /dev/zero would feed it one endless line;
  // Stop could end neither. Such a path counts as a file that cannot be opened.
  std::string text;
  if (platform::ReadSmallFile(path, kMaxAddressListBytes, &text) != platform::SmallFileResult::Ok) {
    return kExchangeOk;
  }
  int result = kExchangeOk;
  size_t pos = 0;
  std::string_view address;
  while (result == kExchangeOk && NextListedAddress(text, &pos, &address)) {
    result = SingleAddressQuery(std::string(address), true);
  }
  return result;
}

int CIpDiscoveryEngine::SingleAddressQuery(const std::string& address, bool reportAlways) {
  if (boundReached_.load()) return kExchangeCancelled;
  CIpDeviceRecord* record = NewRecord(false);
  record->SetIpAddress(address);
  std::vector<uint8_t> reply;
  const int result = record->Query(&reply);
  if (result == kRecordOk || reportAlways) {
    const std::optional<uint32_t> id =
        result == kRecordOk ? ReplyDeviceId(reply.data(), reply.size()) : std::nullopt;
    if (!CountDevice(id)) {
      delete record;
      return kExchangeCancelled;
    }
    DeliverRecord(WM_DEVICE_QUERIED, record);
  } else {
    delete record;
  }
  return result;
}

int CIpDiscoveryEngine::FindOrQuery(const std::string& text) {
  const int found = FindText(text);
  if (found >= 0) return found;
  if (!ParseStrictAddress(text)) return -1;
  Stop();
  extendedQuery_ = false;
  std::unique_ptr<CIpDeviceRecord> record(NewRecord());
  record->SetIpAddress(text);
  int result = kRecordFailed;
  if (options_.queryWait != nullptr) {
    CPleaseWaitDlg& wait = *options_.queryWait;
    wait.Begin();
    wait.SetText(kTextSearchingLocal);
    record->SetWaitWindow(&wait);
    result = record->Query();
    record->SetWaitWindow(wait_.get());  // the engine's record from here on
    wait.End();
  } else {
    wait_->Begin();
    wait_->SetText(kTextSearchingLocal);
    result = record->Query();
    wait_->End();
  }
  if (result != kRecordOk) return -1;
  // Added here rather than posted, so the caller learns the index at once.
  const std::string hw = record->GetColumnText(kColHwAddress);
  const int index = AddDevice(record.release());
  return index >= 0 ? index : FindText(hw);
}

int CIpDiscoveryEngine::SetAddressByHardware(const std::string& hwAddress, const std::string& ip,
                                             const std::string& sendTo) {
  const std::optional<uint32_t> id = DeviceIdFromHwAddress(hwAddress);
  if (!id) return kMsgBadHwAddress;
  const auto octets = ParseStrictAddress(ip);
  if (!octets) return kMsgBadIpAddress;
  int socket = kInvalidSocket;
  if (transport_->Create(&socket, wait_.get()) != 0) {
    transport_->Close(socket, wait_.get());
    return kSetAddressSocketFailed;
  }
  const auto request = BuildSetAddressRequest(*id, *octets);
  const bool sent =
      SendWithRetries(socket, {sendTo}, request.data(), static_cast<int>(request.size()));
  transport_->Close(socket, wait_.get());
  return sent ? static_cast<int>(kSetAddressOk) : static_cast<int>(kMsgSetAddressSendFailed);
}

int CIpDiscoveryEngine::SetAddressBySerial(const std::string& serial, const std::string& ip,
                                           const std::string& sendTo, bool multicast) {
  if (serial.empty() || serial.size() > 8 ||
      serial.find_first_not_of("0123456789") != std::string::npos) {
    return kSetAddressBadSerial;
  }
  const auto octets = ParseStrictAddress(ip);
  if (!octets || (!multicast && !ParseStrictAddress(sendTo))) return kMsgBadIpAddress;
  int socket = kInvalidSocket;
  if (transport_->Create(&socket, wait_.get()) != 0) {
    transport_->Close(socket, wait_.get());
    return kSetAddressSocketFailed;
  }
  if (multicast) transport_->SetMulticastTtl(socket, kSetAddressTtl);
  const uint32_t id = static_cast<uint32_t>(std::stoul(serial)) & 0xFFFFFF;
  const auto request = BuildSetAddressRequest(id, *octets);
  const std::vector<std::string> addresses =
      multicast ? std::vector<std::string>{MulticastAddress(kStringMulticastAddress),
                                           MulticastAddress(kStringMulticastAddress2)}
                : std::vector<std::string>{sendTo};
  const bool sent =
      SendWithRetries(socket, addresses, request.data(), static_cast<int>(request.size()));
  transport_->Close(socket, wait_.get());
  return sent ? static_cast<int>(kSetAddressOk) : static_cast<int>(kMsgSetAddressSendFailed);
}

int CIpDiscoveryEngine::ConfirmNewAddress(CIpDeviceRecord& record, const std::string& ip,
                                          int seconds) {
  const std::string old = record.IpAddress();
  const int result = record.QueryWithTimeLimit(seconds, ip.c_str());
  if (result == kRecordOk) return kSetAddressOk;
  record.SetIpAddress(old);
  return result == kRecordCancelled ? static_cast<int>(kRecordCancelled)
                                    : static_cast<int>(kMsgCannotCommunicate);
}

}  // namespace discovery
