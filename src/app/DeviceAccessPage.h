// The options sheet's Device Access page without its widgets. Every protocol's list shown is kept
// in memory while the sheet is open, so switching protocols loses no edit and Cancel writes
// nothing; OK saves each list that was shown.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "app/DeviceAccessList.h"

namespace app {

class Settings;

class DeviceAccessPage {
 public:
  static constexpr const char* kDeleteQuestion = "Do you want to delete this access entry?";
  static constexpr const char* kDeleteCaption = "Verify Delete";

  explicit DeviceAccessPage(Settings& settings);

  // Shows the list of section (DeviceAccessList::kSectionIp, ...), read the first time only.
  void ChooseProtocol(const std::string& section);
  const DeviceAccessList& List() const { return lists_.at(section_); }
  // Add and Delete are offered for TCP/IP and NetWare, not for serial ports.
  bool CanAddOrDelete() const { return section_ != DeviceAccessList::kSectionCom; }

  // A new entry with both communities "quorum". An address listed already (without regard to
  // case) is not added again: *row gets the existing entry, whose communities stay. Other
  // refusals leave *row alone.
  AccessTextCheck Add(const std::string& address, size_t* row);
  // Removes the entry at row (never "<Default>"); the caller asked kDeleteQuestion first.
  bool Delete(size_t row);
  // The edited communities of the entry at row; refused texts change nothing.
  AccessTextCheck SetCommunities(size_t row, const std::string& get, const std::string& set);

  // OK: writes every list that was shown. True when every write succeeded.
  bool Save(Settings& settings) const;

 private:
  Settings& settings_;
  std::map<std::string, DeviceAccessList> lists_;
  std::string section_;
};

}  // namespace app
