#include "app/OemBrandTable.h"

#include "app/Settings.h"
#include "res/StringTable.h"

namespace app {

namespace {

std::string BuiltInOid() {
  return std::string(kOemEnterpriseRoot) + ".2.3.5";
}

}  // namespace

std::string VendorEnterpriseRoot() {
  return res::LoadString(8002);
}

std::string MakerTag() {
  return res::LoadString(8000);
}

bool OemBrandTable::Add(const std::string& tag, const std::string& oid) {
  if (entries_.size() >= kCapacity) return false;
  entries_.push_back({tag, oid});
  return true;
}

void OemBrandTable::Fill(Settings& settings, const std::string& secondBuiltInTag) {
  entries_.clear();
  Add("Corvane", BuiltInOid());
  for (const auto& value : settings.EnumValues("OEM")) {
    if (value.type != platform::RegType::String) continue;
    if (!Add(value.name.substr(0, kTagLimit), value.text.substr(0, kOidLimit))) break;
  }
  if (secondBuiltInTag != "*") Add(secondBuiltInTag, BuiltInOid());
}

const std::string* OemBrandTable::FindFirst(const std::string& tag) const {
  for (const auto& entry : entries_) {
    if (entry.tag == tag) return &entry.oid;
  }
  return nullptr;
}

const std::string* OemBrandTable::FindLast(const std::string& tag) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->tag == tag) return &it->oid;
  }
  return nullptr;
}

OemBrandTable& TheOemBrandTable() {
  static OemBrandTable table;
  return table;
}

}  // namespace app
