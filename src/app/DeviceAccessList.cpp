#include "app/DeviceAccessList.h"

#include <strings.h>

#include <cctype>

#include "app/Settings.h"

namespace app {

namespace {

constexpr const char* kAllEntry = "All";
constexpr const char* kPortEntry = "DiscoveryPort";

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Lists show one entry per line with tab-separated fields; a person never types these.
bool HasControl(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The addresses of "All", in order, without empty pieces, repeats or the default's name.
std::vector<std::string> SplitAll(const std::string& all) {
  std::vector<std::string> addresses;
  size_t start = 0;
  while (start <= all.size() && addresses.size() + 1 < DeviceAccessList::kMaxEntries) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    std::string address = all.substr(start, comma - start);
    bool keep = !address.empty() && address != DeviceAccessList::kDefaultAddress;
    for (const std::string& seen : addresses) keep = keep && seen != address;
    if (keep) addresses.push_back(std::move(address));
    start = comma + 1;
  }
  return addresses;
}

}  // namespace

DeviceAccessList::DeviceAccessList() {
  entries_.push_back({kDefaultAddress, kDefaultCommunity, kDefaultCommunity});
}

bool DeviceAccessList::Load(Settings& settings, const std::string& section, bool force) {
  if (section == section_ && !force) return false;
  section_ = section;
  entries_.clear();
  const auto read = [&](const std::string& address) {
    entries_.push_back({address, settings.GetString(section, address + "Get", kDefaultCommunity),
                        settings.GetString(section, address + "Set", kDefaultCommunity)});
  };
  read(kDefaultAddress);
  for (const std::string& address : SplitAll(settings.GetString(section, kAllEntry, ""))) {
    read(address);
  }
  discoveryPort_ = settings.GetInt(section, kPortEntry, kDefaultDiscoveryPort);
  return true;
}

bool DeviceAccessList::Save(Settings& settings, const std::string& section) const {
  std::string all;
  for (size_t i = 1; i < entries_.size(); ++i) {
    if (i > 1) all += ",";
    all += entries_[i].address;
  }
  bool written = settings.WriteString(section, kAllEntry, all);
  for (const DeviceAccessEntry& entry : entries_) {
    written = settings.WriteString(section, entry.address + "Get", entry.getCommunity) && written;
    written = settings.WriteString(section, entry.address + "Set", entry.setCommunity) && written;
  }
  return settings.WriteInt(section, kPortEntry, discoveryPort_) && written;
}

void DeviceAccessList::Set(const std::string& address, const std::string& getCommunity,
                           const std::string& setCommunity) {
  for (DeviceAccessEntry& entry : entries_) {
    if (entry.address == address) {
      entry.getCommunity = getCommunity;
      entry.setCommunity = setCommunity;
      return;
    }
  }
  entries_.push_back({address, getCommunity, setCommunity});
}

bool DeviceAccessList::Remove(const std::string& address) {
  for (size_t i = 1; i < entries_.size(); ++i) {
    if (entries_[i].address == address) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

AccessTextCheck DeviceAccessList::Add(const std::string& address) {
  const AccessTextCheck check = CheckNewAddress(address);
  if (check == kAccessTextOk) entries_.push_back({address, kDefaultCommunity, kDefaultCommunity});
  return check;
}

const std::string* DeviceAccessList::Address(size_t index) const {
  return index < entries_.size() ? &entries_[index].address : nullptr;
}

const DeviceAccessEntry* DeviceAccessList::Find(const std::string& address) const {
  for (const DeviceAccessEntry& entry : entries_) {
    if (entry.address == address) return &entry;
  }
  return nullptr;
}

const DeviceAccessEntry& DeviceAccessList::EntryFor(const std::string& address) const {
  for (size_t i = 1; i < entries_.size(); ++i) {
    if (entries_[i].address == address) return entries_[i];
  }
  for (size_t i = 1; i < entries_.size(); ++i) {
    if (PatternMatches(entries_[i].address, address)) return entries_[i];
  }
  return entries_.front();
}

std::pair<std::string, std::string> DeviceAccessList::CommunitiesFor(
    const std::string& address) const {
  const DeviceAccessEntry& entry = EntryFor(address);
  return {entry.getCommunity, entry.setCommunity};
}

AccessTextCheck DeviceAccessList::CheckNewAddress(const std::string& address) const {
  if (address.empty()) return kAccessAddressEmpty;
  if (address.find(',') != std::string::npos) return kAccessAddressHasComma;
  if (address == kDefaultAddress) return kAccessAddressIsDefault;
  if (address.size() > kMaxAddress) return kAccessAddressTooLong;
  if (HasControl(address)) return kAccessTextHasControl;
  // The store names values without regard to case: "a" and "A" would share their communities.
  for (const DeviceAccessEntry& entry : entries_) {
    if (SameIgnoringCase(entry.address, address)) return kAccessAddressListed;
  }
  return kAccessTextOk;
}

AccessTextCheck DeviceAccessList::CheckCommunity(const std::string& community) {
  if (community.size() > kMaxCommunity) return kAccessCommunityTooLong;
  return HasControl(community) ? kAccessTextHasControl : kAccessTextOk;
}

std::string DeviceAccessList::CheckText(AccessTextCheck check) {
  switch (check) {
    case kAccessTextOk:
      return "";
    case kAccessAddressEmpty:
      return "Enter an address.";
    case kAccessAddressHasComma:
      return "An address cannot contain a comma.";
    case kAccessAddressIsDefault:
      return "\"<Default>\" is always in the list; select it to change its community names.";
    case kAccessAddressTooLong:
      return "An address can have at most 32 characters.";
    case kAccessAddressListed:
      return "This address is already in the list.";
    case kAccessCommunityTooLong:
      return "A community name can have at most 31 characters.";
    case kAccessTextHasControl:
      return "An address or community name cannot contain tabs, line breaks or other control "
             "characters.";
  }
  return "";
}

bool DeviceAccessList::PatternMatches(std::string_view pattern, std::string_view text) {
  size_t t = 0, p = 0, restart = 0, afterStar = 0;
  bool star = false;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = true;
      afterStar = ++p;
      continue;
    }
    const bool differ = p >= pattern.size() || Upper(pattern[p]) != Upper(text[t]);
    if (differ && star) {
      t = ++restart;
      p = afterStar;
      continue;
    }
    if (differ) return false;
    ++t;
    ++p;
  }
  return p == pattern.size();
}

DeviceAccessList& TheDeviceAccessList() {
  static DeviceAccessList list;
  return list;
}

DeviceAccessList& ReloadApplicationAccessList(Settings& settings, bool force) {
  TheDeviceAccessList().Load(settings, DeviceAccessList::kSectionIp, force);
  return TheDeviceAccessList();
}

}  // namespace app
