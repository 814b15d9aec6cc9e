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
  if (hw != nullptr && hw[0] != '\0') {
    for (const auto& held : devices_) {
      const char* heldHw = held->GetColumnText(kColHwAddress);
      if (held->IsValid() && heldHw != nullptr && std::strcmp(heldHw, hw) == 0) return -1;
    }
  }
  devices_.push_back(std::move(owned));
  return static_cast<int>(devices_.size()) - 1;
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
