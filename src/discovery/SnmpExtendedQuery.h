// The extended query over SNMP: after a discovery reply it reads the device's firmware version,
// per-port printer values, location and wireless values into the record, in three requests
// through the request layer, waiting in the record's wait window.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "discovery/ExtendedQuery.h"

namespace platform {
class Clock;
}

namespace snmp {
class SnmpWaitWindow;
}

namespace discovery {

struct SnmpExtendedQueryConfig {
  std::string vendorRoot;   // the maker's enterprise root (string 8002)
  std::string ownMakerTag;  // the maker's own tag (string 8000)
  // The brand table's (tag, enterprise root) pairs, in table order.
  std::vector<std::pair<std::string, std::string>> brands;
  int getTimeout = 500;  // hundredths of a second (Timeouts\GetTimeout)
  // Used when the record's wait window cannot carry SNMP waits; null: such records fail with
  // 3075 (no session) and send nothing.
  snmp::SnmpWaitWindow* wait = nullptr;
  platform::Clock* clock = nullptr;  // times the request waits; null: the system clock

  // The string table's root and tag, no brands, the default timeout.
  static SnmpExtendedQueryConfig Defaults();
};

class SnmpExtendedQuery : public ExtendedQuery {
 public:
  explicit SnmpExtendedQuery(SnmpExtendedQueryConfig config) : config_(std::move(config)) {}

  // In the record's wait window (the configured one when the record's cannot carry SNMP).
  int Run(CDeviceRecord& record) override;
  int RunIn(CDeviceRecord& record, snmp::SnmpWaitWindow& wait) override;

  // The enterprise root for a device's maker tag.
  std::string RootFor(const char* makerTag) const;
  // Hundredths of a second; set while no query runs (the options changed it).
  void SetGetTimeout(int getTimeout) { config_.getTimeout = getTimeout; }

 private:
  SnmpExtendedQueryConfig config_;
};

}  // namespace discovery
