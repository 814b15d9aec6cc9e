#include "app/DeviceAccessPage.h"

#include <algorithm>
#include <cctype>

#include "app/Settings.h"

namespace app {

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

DeviceAccessPage::DeviceAccessPage(Settings& settings) : settings_(settings) {
  ChooseProtocol(DeviceAccessList::kSectionIp);
}

void DeviceAccessPage::ChooseProtocol(const std::string& section) {
  section_ = section;
  if (lists_.count(section) != 0) return;
  lists_[section].Load(settings_, section, true);
}

AccessTextCheck DeviceAccessPage::Add(const std::string& address, size_t* row) {
  DeviceAccessList& list = lists_.at(section_);
  const AccessTextCheck check = list.CheckNewAddress(address);
  if (check == kAccessAddressListed) {
    for (size_t i = 1; i < list.Count(); ++i) {
      if (SameNoCase(*list.Address(i), address) && row != nullptr) *row = i;
    }
    return check;
  }
  if (check != kAccessTextOk) return check;
  list.Add(address);
  if (row != nullptr) *row = list.Count() - 1;
  return kAccessTextOk;
}

bool DeviceAccessPage::Delete(size_t row) {
  DeviceAccessList& list = lists_.at(section_);
  if (row == 0 || row >= list.Count()) return false;
  return list.Remove(*list.Address(row));
}

AccessTextCheck DeviceAccessPage::SetCommunities(size_t row, const std::string& get,
                                                 const std::string& set) {
  DeviceAccessList& list = lists_.at(section_);
  if (row >= list.Count()) return kAccessAddressEmpty;
  for (const std::string* community : {&get, &set}) {
    const AccessTextCheck check = DeviceAccessList::CheckCommunity(*community);
    if (check != kAccessTextOk) return check;
  }
  list.Set(*list.Address(row), get, set);
  return kAccessTextOk;
}

bool DeviceAccessPage::Save(Settings& settings) const {
  bool ok = true;
  for (const auto& [section, list] : lists_) ok = list.Save(settings, section) && ok;
  return ok;
}

}  // namespace app
