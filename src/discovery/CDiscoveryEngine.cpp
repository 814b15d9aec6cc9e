#include "discovery/CDiscoveryEngine.h"

#include <cstring>

#include "res/StringTable.h"

namespace discovery {

CDiscoveryEngine::CDiscoveryEngine() : columns_([](unsigned id) { return res::LoadString(id); }) {}

CDiscoveryEngine::~CDiscoveryEngine() = default;

int CDiscoveryEngine::AddDevice(CDeviceRecord* record) {
  std::unique_ptr<CDeviceRecord> owned(record);
  if (!owned) return -1;
  const char* hw = owned->GetColumnText(kColHwAddress);
  const bool hasHw = hw != nullptr && hw[0] != '\0';
  if (hasHw) {
    auto [first, last] = byHwAddress_.equal_range(hw);
    for (auto it = first; it != last; ++it) {
      const CDeviceRecord& held = *devices_[it->second];
      const char* heldHw = held.GetColumnText(kColHwAddress);
      if (held.IsValid() && heldHw != nullptr && std::strcmp(heldHw, hw) == 0) return -1;
    }
  }
  devices_.push_back(std::move(owned));
  const size_t index = devices_.size() - 1;
  if (hasHw) byHwAddress_.emplace(hw, index);
  return static_cast<int>(index);
}

void CDiscoveryEngine::NewSearchId() {
  static std::atomic<uint32_t> last{0};
  uint32_t id = ++last;
  if (id == 0) id = ++last;  // 0 stays "no search"
  searchId_.store(id);
}

CDeviceRecord* CDiscoveryEngine::GetDevice(int index) const {
  if (index < 0 || index >= static_cast<int>(devices_.size())) return nullptr;
  return devices_[static_cast<size_t>(index)].get();
}

int CDiscoveryEngine::FindText(const std::string& text) const {
  if (text.empty()) return -1;  // every record has empty columns; they name no device
  for (size_t i = 0; i < devices_.size(); ++i) {
    for (int column = 0; column < kColumnCount; ++column) {
      const char* value = devices_[i]->GetColumnText(column);
      if (value != nullptr && text == value) return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace discovery
