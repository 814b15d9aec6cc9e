// A discovery engine: the devices found by the searches of one view, and the column table they are
// shown with. The array is touched only by the thread that owns the engine (the main window's);
// a search reports its devices by posted messages and never touches it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/CDeviceRecord.h"
#include "discovery/SearchPlan.h"

namespace discovery {

class CDiscoveryEngine {
 public:
  CDiscoveryEngine();
  virtual ~CDiscoveryEngine();
  CDiscoveryEngine(const CDiscoveryEngine&) = delete;
  CDiscoveryEngine& operator=(const CDiscoveryEngine&) = delete;

  // Deletes the records and starts a search of plan; returns at once.
  virtual void StartSearch(const SearchPlan& plan) = 0;
  // Index of the device one of whose column texts equals text; else, for a valid address, the
  // index of that device after querying it; -1 when not found.
  virtual int FindOrQuery(const std::string& text) = 0;
  // Cancels the running search and waits until its thread has ended.
  virtual void Stop() = 0;

  // Takes record over. A duplicate of a held valid record (same H/W Address) is deleted and gives
  // -1; otherwise the record is appended and its index returned. Duplicates are found through an
  // index of the H/W Addresses as the records were added, each hit checked against the record as
  // it is now (a row refreshed since to another device's address is not found by its new one).
  int AddDevice(CDeviceRecord* record);
  // The record at index, or nullptr when there is none.
  CDeviceRecord* GetDevice(int index) const;
  int DeviceCount() const { return static_cast<int>(devices_.size()); }
  // Index of the first record with a column text equal to text, or -1.
  int FindText(const std::string& text) const;

  bool IsBusy() const { return busy_.load(); }
  // The id of the search this engine started last (0 before its first), unique in the program.
  // Everything a search posts carries it (0x800F and 0x8016 as lParam, 0x8012 as wParam), so the
  // main window can tell a late message of a stopped search from one of the search that runs.
  uint32_t SearchId() const { return searchId_.load(); }
  // True when record comes from this engine's searches and queries. A record of another view's
  // engine can still be on its way to the main window after that view was left.
  virtual bool MadeRecord(const CDeviceRecord& record) const {
    (void)record;
    return true;
  }
  CDeviceColumnTable& Columns() { return columns_; }
  const CDeviceColumnTable& Columns() const { return columns_; }

 protected:
  void ClearDevices() {
    devices_.clear();
    byHwAddress_.clear();
  }
  // Gives the search about to start its id.
  void NewSearchId();
  std::atomic<bool> busy_{false};
  std::atomic<uint32_t> searchId_{0};

 private:
  std::vector<std::unique_ptr<CDeviceRecord>> devices_;
  std::unordered_multimap<std::string, size_t> byHwAddress_;
  CDeviceColumnTable columns_;
};

}  // namespace discovery
