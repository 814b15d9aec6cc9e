// The SNMP query that fills a record's per-port, wireless, location and firmware values after a
// discovery reply. The SNMP request layer implements it; a record runs it when it is given one.
#pragma once

namespace snmp {
class SnmpWaitWindow;
}

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
  // The same, waiting in wait rather than in the record's own wait window: a query run beside
  // others on a thread of its own waits in that thread's window.
  virtual int RunIn(CDeviceRecord& record, snmp::SnmpWaitWindow& wait) {
    (void)wait;
    return Run(record);
  }
};

}  // namespace discovery
