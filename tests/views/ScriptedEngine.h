// A discovery engine for the store's tests: a search is a flag the test sets and clears, and the
// devices come from the test through CViewStore::AddDevice, as the main window hands them over.
// Records are built from discovery replies, as a real search builds them.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "discovery/CDiscoveryEngine.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/ReplyBuilder.h"

namespace views::test {

class ScriptedEngine : public discovery::CDiscoveryEngine {
 public:
  void StartSearch(const discovery::SearchPlan& plan) override {
    ++searches;
    startedWhileBusy = startedWhileBusy || IsBusy();
    lastPlan = plan;
    ClearDevices();
    busy_.store(true);
  }
  int FindOrQuery(const std::string& text) override { return FindText(text); }
  // Records carry the wait window of the engine that made them; the test's have none.
  bool MadeRecord(const discovery::CDeviceRecord& record) const override {
    return record.GetWaitWindow() == nullptr;
  }
  void Stop() override {
    if (IsBusy()) ++stops;
    busy_.store(false);
  }
  // The search thread ends.
  void Finish() { busy_.store(false); }
  void SetBusy(bool busy) { busy_.store(busy); }

  int searches = 0;
  int stops = 0;
  bool startedWhileBusy = false;
  discovery::SearchPlan lastPlan;
};

// A record whose query answers with the next reply the test gave it.
class ScriptedRecord : public discovery::CIpDeviceRecord {
 public:
  explicit ScriptedRecord(const discovery::test::ReplyFields& fields, int* deleted = nullptr)
      : CIpDeviceRecord(nullptr), deleted_(deleted) {
    const auto reply = discovery::test::BuildReply(fields);
    FillFromReply(reply.data(), reply.size());
  }
  ~ScriptedRecord() override {
    if (deleted_ != nullptr) ++*deleted_;
  }
  int Query(std::vector<uint8_t>* reply) override {
    (void)reply;
    ++queries;
    waitDuringQuery = GetWaitWindow();
    if (next.empty()) return discovery::kRecordFailed;
    FillFromReply(next.data(), next.size());
    return discovery::kRecordOk;
  }

  std::vector<uint8_t> next;
  int queries = 0;
  discovery::DeviceWait* waitDuringQuery = nullptr;

 private:
  int* deleted_;
};

// A device with the given last address byte, name and port count.
inline discovery::test::ReplyFields Device(uint8_t last, const std::string& name, int ports = 1) {
  discovery::test::ReplyFields fields;
  fields.ip = {10, 0, 0, last};
  fields.hardware = {0x00, 0x40, 0x9D, 0x00, 0x00, last};
  fields.systemName = name;
  fields.portCount = static_cast<uint8_t>(ports);
  fields.ports.clear();
  for (int p = 0; p < ports; ++p) {
    fields.ports.push_back({0, 1, "Port" + std::to_string(p + 1)});
  }
  return fields;
}

inline std::unique_ptr<discovery::CDeviceRecord> Record(const discovery::test::ReplyFields& fields,
                                                        int* deleted = nullptr) {
  return std::make_unique<ScriptedRecord>(fields, deleted);
}

}  // namespace views::test
