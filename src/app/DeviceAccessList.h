// The device access list: per protocol, the address patterns with the SNMP get and set community
// names to use for them. Entry 0 is always "<Default>". Stored in a section of its own
// ("Access\IP", "Access\NW", "Access\COM") as "All" (the addresses after the default, joined by
// ","), "<address>Get" and "<address>Set" for every entry, and "DiscoveryPort".
//
// The rules for new entries and community texts live here, so that the options page and
// portolanctl refuse the same things with the same words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace app {

class Settings;

struct DeviceAccessEntry {
  std::string address;
  std::string getCommunity;
  std::string setCommunity;
};

// Why an address or community text is refused (kAccessTextOk: it is not).
enum AccessTextCheck : int {
  kAccessTextOk = 0,
  kAccessAddressEmpty,
  kAccessAddressHasComma,   // "All" separates addresses with commas
  kAccessAddressIsDefault,  // "<Default>" is always entry 0
  kAccessAddressTooLong,    // over 32 characters
  kAccessAddressListed,     // already an entry (without regard to case, as the store names)
  kAccessCommunityTooLong,  // over 31 characters: what the SNMP layer sends
  kAccessTextHasControl,    // a control character (tab, line break...) in an address or community
};

class DeviceAccessList {
 public:
  static constexpr const char* kDefaultAddress = "<Default>";
  static constexpr const char* kDefaultCommunity = "quorum";
  static constexpr const char* kSectionIp = "Access\\IP";
  static constexpr const char* kSectionNw = "Access\\NW";
  static constexpr const char* kSectionCom = "Access\\COM";
  static constexpr int kDefaultDiscoveryPort = 4201;
  static constexpr size_t kMaxAddress = 32;
  static constexpr size_t kMaxCommunity = 31;
  // A hand-edited store cannot make the list grow without bound.
  static constexpr size_t kMaxEntries = 4096;

  // Only "<Default>" with both communities "quorum".
  DeviceAccessList();

  // Reads the section when it differs from the one loaded last, or when force is set. True when
  // it was read.
  bool Load(Settings& settings, const std::string& section, bool force);
  // Writes "All", every entry's Get and Set, and "DiscoveryPort". Values of removed addresses stay
  // in the store, unread. True when every write succeeded.
  bool Save(Settings& settings, const std::string& section) const;

  // The first entry with exactly this address ("<Default>" included) takes the communities;
  // with none, a new entry is appended.
  void Set(const std::string& address, const std::string& getCommunity,
           const std::string& setCommunity);
  // Removes the first entry after "<Default>" with exactly this address. False when none.
  bool Remove(const std::string& address);
  // Checks the address (CheckNewAddress) and appends it with both communities "quorum".
  AccessTextCheck Add(const std::string& address);

  // The address of entry index, or nullptr past the end.
  const std::string* Address(size_t index) const;
  // The entry with exactly this address ("<Default>" included), or nullptr.
  const DeviceAccessEntry* Find(const std::string& address) const;
  // The entry that applies to a device address: an exact entry after "<Default>", else the first
  // entry after it whose pattern matches, else "<Default>".
  const DeviceAccessEntry& EntryFor(const std::string& address) const;
  // (get, set) of EntryFor.
  std::pair<std::string, std::string> CommunitiesFor(const std::string& address) const;

  const std::vector<DeviceAccessEntry>& Entries() const { return entries_; }
  size_t Count() const { return entries_.size(); }
  const std::string& Section() const { return section_; }
  int DiscoveryPort() const { return discoveryPort_; }
  void SetDiscoveryPort(int port) { discoveryPort_ = port; }

  // Whether address may be added as a new entry.
  AccessTextCheck CheckNewAddress(const std::string& address) const;
  static AccessTextCheck CheckCommunity(const std::string& community);
  // The message that explains a refusal.
  static std::string CheckText(AccessTextCheck check);

  // The address matcher: "*" stands for any run of characters, letters compare in upper case.
  // After a star every mismatch restarts the text one position further from its start (not from
  // the star), and a pattern ending in "*" needs at least one character there.
  static bool PatternMatches(std::string_view pattern, std::string_view text);

 private:
  std::string section_;
  std::vector<DeviceAccessEntry> entries_;
  int discoveryPort_ = kDefaultDiscoveryPort;
};

// The application's own list, for "Access\IP". The Refresh command reloads it when another section
// was loaded last (force false); OK on the options sheet reloads it always (force true).
DeviceAccessList& TheDeviceAccessList();
DeviceAccessList& ReloadApplicationAccessList(Settings& settings, bool force);

}  // namespace app
