// A scripted network for engine tests: simulated devices that answer discovery requests (leaving
// out the IDs a request names) and unicast queries, a transport over it, and a wait loop on
// virtual time. Nothing here touches a real socket or sleeps.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "discovery/CDeviceRecord.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/DiscoveryTransport.h"
#include "discovery/ReplyBuilder.h"
#include "discovery/SearchWait.h"
#include "platform/MessagePoster.h"

namespace discovery::test {

struct SimDevice {
  ReplyFields shape;
  int firstRound = 1;             // the device answers requests from this round on
  std::set<int> lostInRounds;     // rounds whose reply is lost on the way
  std::set<int> droppedInRounds;  // rounds whose reply finds the receive queue full
  int delayMs = 0;                // how long a reply takes to arrive
  bool answersTwice = false;
  uint32_t Id() const {
    return (uint32_t{shape.hardware[3]} << 16) | (uint32_t{shape.hardware[4]} << 8) |
           shape.hardware[5];
  }
  std::string Ip() const { return DottedAddress(shape.ip); }
};

// Devices numbered from 1: address 10.0.0.n (n < 255) or 10.0.x.y beyond, hardware 00409D0000nn.
inline SimDevice MakeDevice(uint32_t n) {
  SimDevice d;
  d.shape.hardware = {0x00,
                      0x40,
                      0x9D,
                      static_cast<uint8_t>(n >> 16),
                      static_cast<uint8_t>(n >> 8),
                      static_cast<uint8_t>(n)};
  d.shape.ip = {10, static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8),
                static_cast<uint8_t>(n)};
  d.shape.systemName = "DEV-" + std::to_string(n);
  return d;
}

struct SentDatagram {
  std::string address;
  std::vector<uint8_t> data;
};

class ScriptedNetwork : public DiscoveryTransport {
 public:
  struct Arrival {
    uint32_t atMs;
    std::vector<uint8_t> data;
    std::string from;
  };

  std::vector<SimDevice> devices;
  std::vector<SentDatagram> sent;
  std::vector<int> ttls;
  int failCreate = 0;  // non-zero: Create fails
  int failSends = 0;   // the next failSends sends fail
  int creates = 0, closes = 0;
  uint32_t nowMs = 0;
  int rounds = 0;  // discovery requests seen
  std::deque<Arrival> inbox;
  // The receive queue: replies beyond queueLimit waiting ones are dropped and counted (0: no
  // limit). dropsUnknown: the socket does not tell its drops.
  size_t queueLimit = 0;
  long long dropped = 0;
  bool dropsUnknown = false;
  // Broadcast round r is answered from device (r - 1) * rotateBy onward, wrapping around, as
  // devices whose answers race each other differently every time.
  size_t rotateBy = 0;

  int Create(int* socket, SocketWatcher*) override {
    ++creates;
    *socket = 100 + creates;
    return failCreate;
  }
  int SetMulticastTtl(int, int hops) override {
    ttls.push_back(hops);
    return 0;
  }
  int Send(int, const char* address, const void* data, int length) override {
    if (failSends > 0) {
      --failSends;
      return 1;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    sent.push_back({address, std::vector<uint8_t>(bytes, bytes + length)});
    Answer(address, sent.back().data);
    return 0;
  }
  int Receive(int, char* sender, size_t senderSize, void* buffer, int size) override {
    if (inbox.empty() || inbox.front().atMs > nowMs) return -1;
    Arrival a = std::move(inbox.front());
    inbox.pop_front();
    const size_t n = std::min(a.data.size(), static_cast<size_t>(size));
    std::memcpy(buffer, a.data.data(), n);
    std::snprintf(sender, senderSize, "%s", a.from.c_str());
    return static_cast<int>(n);
  }
  long long Dropped(int) override { return dropsUnknown ? -1 : dropped; }
  void Close(int, SocketWatcher*) override {
    ++closes;
    inbox.clear();
  }

  // Queues a datagram arriving after delayMs.
  void Arrive(std::vector<uint8_t> data, const std::string& from, uint32_t delayMs) {
    if (queueLimit != 0 && inbox.size() >= queueLimit) {
      ++dropped;
      return;
    }
    Arrival a{nowMs + delayMs, std::move(data), from};
    auto at = std::upper_bound(inbox.begin(), inbox.end(), a.atMs,
                               [](uint32_t t, const Arrival& x) { return t < x.atMs; });
    inbox.insert(at, std::move(a));
  }
  bool Ready() const { return !inbox.empty() && inbox.front().atMs <= nowMs; }
  // Milliseconds until the next arrival, or -1.
  int NextArrivalIn() const {
    if (inbox.empty()) return -1;
    return inbox.front().atMs <= nowMs ? 0 : static_cast<int>(inbox.front().atMs - nowMs);
  }
  std::vector<SentDatagram> SentTo(const std::string& address) const {
    std::vector<SentDatagram> out;
    for (const auto& s : sent) {
      if (s.address == address) out.push_back(s);
    }
    return out;
  }

 private:
  bool IsBroadcastLike(const std::string& address) const {
    return address == "255.255.255.255" || address == "224.0.1.55" ||
           (address.size() > 4 && address.compare(address.size() - 4, 4, ".255") == 0);
  }
  void Answer(const std::string& address, const std::vector<uint8_t>& request) {
    if (request.size() < 6 || request[3] != 0x01) return;
    const size_t count = request[4] | (request[5] << 8);
    std::set<uint32_t> named;
    for (size_t i = 0; i < count && 6 + 3 * i + 2 < request.size(); ++i) {
      const uint8_t* p = &request[6 + 3 * i];
      named.insert((uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]);
    }
    const bool broadcast = IsBroadcastLike(address) && count + 6 <= request.size();
    if (broadcast) ++rounds;
    const size_t start = broadcast && !devices.empty()
                             ? static_cast<size_t>(rounds - 1) * rotateBy % devices.size()
                             : 0;
    for (size_t k = 0; k < devices.size(); ++k) {
      const SimDevice& d = devices[(start + k) % devices.size()];
      const bool addressed = broadcast || d.Ip() == address;
      if (!addressed || named.count(d.Id()) != 0) continue;
      if (broadcast && rounds < d.firstRound) continue;
      if (broadcast && d.lostInRounds.count(rounds) != 0) continue;
      if (broadcast && d.droppedInRounds.count(rounds) != 0) {
        ++dropped;
        continue;
      }
      Arrive(BuildReply(d.shape), d.Ip(), static_cast<uint32_t>(d.delayMs));
      if (d.answersTwice) Arrive(BuildReply(d.shape), d.Ip(), static_cast<uint32_t>(d.delayMs));
    }
  }
};

// The wait loop on the network's virtual time.
class ScriptedWait : public SearchWait {
 public:
  explicit ScriptedWait(ScriptedNetwork& net) : net_(net) {}

  std::vector<int> waits;             // time-outs asked for
  std::vector<unsigned> texts;        // progress texts
  std::vector<std::string> progress;  // progress texts made at run time
  int begins = 0, ends = 0, cancels = 0;
  // Called before each wait; returning true cancels it.
  std::function<bool()> cancelWhen;

  int Watch(int) override { return 0; }
  void Forget(int) override {}
  int Wait(unsigned message, int timeoutMs) override {
    waits.push_back(timeoutMs);
    if (cancelWhen && cancelWhen()) return kWaitCancelled;
    const int next = net_.NextArrivalIn();
    if (next >= 0 && next <= timeoutMs) {
      net_.nowMs += static_cast<uint32_t>(next);
      return static_cast<int>(message);
    }
    net_.nowMs += static_cast<uint32_t>(timeoutMs);
    return kWaitTimedOut;
  }
  void SetText(unsigned stringId) override { texts.push_back(stringId); }
  void SetProgressText(const std::string& text) override { progress.push_back(text); }
  void Begin() override { ++begins; }
  void End() override { ++ends; }
  void Cancel() override { ++cancels; }

 private:
  ScriptedNetwork& net_;
};

// The main window: keeps what is posted and owns the records.
class CollectingWindow : public platform::MessagePoster {
 public:
  struct Posted {
    uint32_t id;
    intptr_t wParam;
    intptr_t lParam = 0;
  };
  ~CollectingWindow() override {
    for (auto* r : records) delete r;
  }
  bool PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) override {
    if (refuse) return false;
    posted.push_back({id, wParam, lParam});
    if (id == 0x800F || id == 0x8016) records.push_back(reinterpret_cast<CDeviceRecord*>(wParam));
    return true;
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> out;
    for (auto* r : records) out.push_back(r->GetColumnText(column));
    return out;
  }
  size_t Count(uint32_t id) const {
    return static_cast<size_t>(
        std::count_if(posted.begin(), posted.end(), [id](const Posted& p) { return p.id == id; }));
  }
  bool refuse = false;
  std::vector<Posted> posted;
  std::vector<CDeviceRecord*> records;
};

}  // namespace discovery::test
