// The SNMP query that fills a record's per-port, wireless, location and firmware values after a
// discovery reply. The SNMP request layer implements it; a record runs it when it is given one.
#pragma once

namespace discovery {

class CDeviceRecord;

class ExtendedQuery {
 public:
  // Result of a query cancelled by the user.
  static constexpr int kCancelled = 3161;

  virtual ~ExtendedQuery() = default;
  // Reads the values into record through its setters. Returns 0, or the request layer's error
  // code of the failing request (kCancelled when cancelled); values not yet read stay empty.
  virtual int Run(CDeviceRecord& record) = 0;
};

}  // namespace discovery
