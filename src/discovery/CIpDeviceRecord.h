// A device record found over UDP discovery: the record's texts plus the device's IP address,
// subnet mask and default gateway, and the unicast query that refreshes it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/CDeviceRecord.h"

namespace discovery {

class CIpDeviceRecord : public CDeviceRecord {
 public:
  // Seconds on a monotonic clock; tests give their own.
  using SecondsClock = std::function<double()>;

  static constexpr int kAddressFamily = 2;  // for SNMP sessions to the device

  explicit CIpDeviceRecord(DeviceWait* wait, const DeviceRecordOptions& options = {});
  CIpDeviceRecord(const CIpDeviceRecord&) = default;
  CIpDeviceRecord& operator=(const CIpDeviceRecord&) = default;

  int Query(std::vector<uint8_t>* reply = nullptr) override;
  int GetStatusText(std::string* text, int port) override;
  int QueryWithTimeLimit(int seconds, const char* address) override;

  // Sets the IP Address text (at most 15 characters are kept).
  void SetIpAddress(std::string_view address) { CopyText(ipAddress_, address); }
  // Sets the address and queries the device there.
  int SetAddressAndQuery(std::string_view address);
  const char* IpAddress() const { return ipAddress_; }

  void SetClock(SecondsClock clock) { clock_ = std::move(clock); }

  // The status report of a reply (see GetStatusText).
  static std::string FormatStatusReport(const DiscoveryReply& reply, int port);

 protected:
  const char* OwnColumnText(int i) const override;
  void FillAddresses(const DiscoveryReply& reply) override;
  const char* AddressText() const override { return ipAddress_; }

 private:
  // One unicast query and its reply: kRecordOk with the datagram, kRecordFailed, kRecordCancelled.
  int Exchange(std::vector<uint8_t>* reply);

  char ipAddress_[record_size::kAddress] = {};
  char subnetMask_[record_size::kAddress] = {};
  char defaultGateway_[record_size::kAddress] = {};
  SecondsClock clock_;
};

}  // namespace discovery
