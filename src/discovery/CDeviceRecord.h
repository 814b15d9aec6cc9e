// What the program knows about one device server: the texts of its discovery reply, the status
// levels derived from them, the values of the SNMP extended query, and the device's community
// names. Every list column is one text of the record. Texts are fixed-size and always
// terminated; each is large enough for the whole reply field it comes from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/DeviceStatus.h"
#include "discovery/DiscoveryReply.h"

namespace discovery {

class DeviceWait;
class ExtendedQuery;

// What the creator of a record decides for it.
struct DeviceRecordOptions {
  StatusMasks masks;
  int broadcastTimeoutMs = 3000;           // Timeouts\Broadcast: wait for a reply
  ExtendedQuery* extendedQuery = nullptr;  // run after each reply when set (not owned)
};

// Values of the wireless group of the extended query, as the device reports them.
struct WirelessValues {
  int linkType = 0;  // only 2 (wireless) makes the rest count
  std::string signalDescription;
  std::string ssid;
  std::string currentSsid;
  std::string security;
  int dataRate = -1;  // code 0...12; others leave the text empty
  int signalPercentage = 0;
  int mode = -1;  // 0...3; others leave the text empty
};

// Result codes of queries and fills.
enum RecordResult : int {
  kRecordOk = 0,
  kRecordFailed = -1,    // no answer, socket failure, or a reply that cannot be read
  kRecordCancelled = 2,  // the user cancelled; stops the whole operation
};

// Message ids a record reports or shows.
enum RecordMessage : unsigned {
  kMsgNeedsUpdate =
      9042,  // "This utility needs updating, it does not support the newest firmware."
  kMsgCannotCommunicate = 5018,  // "Cannot communicate with the server."
  kMsgReadingStatus = 6103,      // "Reading Status Information"
};

// Sizes of the record's texts, terminator included. A text of the reply keeps its whole field
// (System Name 128, Serial # 12, Product Type 20, Datecode 17, Port Name 16 characters): a cut
// made devices look alike ("SN-100002" and "SN-100004" as "SN-10000").
namespace record_size {
constexpr size_t kSystemName = 129, kHwAddress = 13, kSerial = 13, kProductType = 21,
                 kProductNumber = 10, kDatecode = 18, kStatus = 15, kPortName = 17,
                 kPortStatus = 30, kPrinterId = 30, kPrinterDescription = 30, kPortNumber = 3,
                 kCommunity = 33 /* the whole 32-byte field */, kMakerTag = 6 /* 5-byte field */,
                 kSsid = 32, kWirelessMode = 15, kSecurity = 32, kSignalDescription = 10,
                 kSignalPercentage = 4, kDataRate = 4, kLocation = 64, kFirmware = 15,
                 kVirtualPort = 16, kAddress = 16;
}  // namespace record_size

class CDeviceRecord {
 public:
  static constexpr int kAllPorts = 255;

  explicit CDeviceRecord(DeviceWait* wait, const DeviceRecordOptions& options = {});
  virtual ~CDeviceRecord() = default;

  // Queries the device at the record's address and refills the record. When reply is given it
  // receives the datagram that answered. kRecordOk, kRecordFailed or kRecordCancelled.
  virtual int Query(std::vector<uint8_t>* reply = nullptr) = 0;
  // Empties the texts of the reply and of the SNMP query (the address, the community names and
  // the virtual ports stay); the device shows "No Response" until it answers.
  virtual void Clear();
  // The address an SNMP target names (and the wait window its session uses) for QueryAt.
  struct QueryTarget {
    std::string address;
    DeviceWait* wait = nullptr;
  };
  // Queries the device at the target's address with a time limit; a target without a wait window
  // is given the record's.
  virtual int QueryAt(int seconds, QueryTarget& target) {
    if (target.wait == nullptr) target.wait = wait_;
    return QueryWithTimeLimit(seconds, target.address.c_str());
  }
  // The device's status report: "Printer %i: " lines (port kAllPorts) or the "Printer: " line of
  // one port (0-based), then "General Status: " and the device's general status text.
  virtual int GetStatusText(std::string* text, int port) = 0;
  virtual int Reserved() { return 0; }
  // Sets the address when one is given and queries; repeats a query that got no answer until
  // seconds have passed (on a monotonic clock). The last query's result.
  virtual int QueryWithTimeLimit(int seconds, const char* address) = 0;

  // Fills the record from a reply datagram of size bytes: kRecordOk, kRecordFailed (a reply of an
  // unknown format, or one cut short), or the extended query's result.
  int FillFromReply(const uint8_t* data, size_t size);

  // Points the per-port columns (and Status) at port p (0...5); -1 shows the device's own
  // status with port 1's texts. Other values change nothing.
  void SelectPort(int p);
  // The text of column i (0...28), or nullptr when the record has no such column.
  const char* GetColumnText(int i) const;

  bool IsValid() const { return valid_; }
  bool IsConfigured() const { return configured_; }
  int GetPortCount() const { return portCount_; }
  int GetFormat() const { return format_; }
  // 1 good, 2 warning, 3 error, 4 firmware update; port 0 = the whole device, 1...6 one port.
  int GetLevel(int port) const;
  uint32_t GetDeviceConditions() const { return deviceFlags_; }
  // Ports 0...5 only; keeps at most 15 characters.
  void SetVirtualPort(int port, std::string_view text);

  bool MatchesGetCommunity(std::string_view text) const { return text == getCommunity_; }
  bool MatchesSetCommunity(std::string_view text) const { return text == setCommunity_; }
  const char* GetCommunity() const { return getCommunity_; }
  const char* MakerTag() const { return makerTag_; }
  const char* PrinterDescription(int port) const;
  DeviceWait* GetWaitWindow() const { return wait_; }
  void SetWaitWindow(DeviceWait* wait) { wait_ = wait; }
  const DeviceRecordOptions& Options() const { return options_; }
  void SetOptions(const DeviceRecordOptions& options) { options_ = options; }

  // Setters of the extended query; texts are cut at the record's sizes.
  void SetFirmwareVersion(std::string_view text);
  void SetPrinterValues(int port, std::string_view description, std::string_view printerId);
  void SetLocation(std::string_view text);
  void SetWirelessValues(const WirelessValues& values);

  static const char* DataRateText(int code);
  static const char* WirelessModeText(int mode, int signalPercentage);

 protected:
  CDeviceRecord(const CDeviceRecord&) = default;
  CDeviceRecord& operator=(const CDeviceRecord&) = default;

  // The columns that only some kinds of record have (addresses); nullptr when none.
  virtual const char* OwnColumnText(int i) const = 0;
  // Takes the reply's own address fields.
  virtual void FillAddresses(const DiscoveryReply& reply) = 0;
  // The address text that decides whether the device has been given an address.
  virtual const char* AddressText() const = 0;

  void MarkNotValid() {
    valid_ = false;
    configured_ = false;
  }
  // Shows the level of the present conditions in the device's Status text.
  void ShowDeviceLevel();
  void SetBadFormat(const char* statusText);

  template <size_t N>
  static void CopyText(char (&to)[N], std::string_view from) {
    const size_t zero = from.find('\0');
    if (zero != std::string_view::npos) from = from.substr(0, zero);
    const size_t n = from.size() < N - 1 ? from.size() : N - 1;
    from.copy(to, n);
    to[n] = '\0';
  }

 private:
  const char* PortText(int column) const;
  void UpdateLevelTexts();

  char systemName_[record_size::kSystemName] = {};
  char hwAddress_[record_size::kHwAddress] = {};
  char serial_[record_size::kSerial] = {};
  char productType_[record_size::kProductType] = {};
  char productNumber_[record_size::kProductNumber] = {};
  char datecode_[record_size::kDatecode] = {};
  char status_[record_size::kStatus] = {};
  char portLevel_[kMaxDevicePorts][record_size::kStatus] = {};
  char portName_[kMaxDevicePorts][record_size::kPortName] = {};
  char portStatus_[kMaxDevicePorts][record_size::kPortStatus] = {};
  char printerId_[kMaxDevicePorts][record_size::kPrinterId] = {};
  char printerDescription_[kMaxDevicePorts][record_size::kPrinterDescription] = {};
  char portNumber_[kMaxDevicePorts][record_size::kPortNumber] = {};
  char getCommunity_[record_size::kCommunity] = {};
  char setCommunity_[record_size::kCommunity] = {};
  char makerTag_[record_size::kMakerTag] = {};
  char ssid_[record_size::kSsid] = {};
  char wirelessMode_[record_size::kWirelessMode] = {};
  char currentSsid_[record_size::kSsid] = {};
  char security_[record_size::kSecurity] = {};
  char signalDescription_[record_size::kSignalDescription] = {};
  char signalPercentage_[record_size::kSignalPercentage] = {};
  char dataRate_[record_size::kDataRate] = {};
  char location_[record_size::kLocation] = {};
  char firmware_[record_size::kFirmware] = {};
  char virtualPort_[kMaxDevicePorts][record_size::kVirtualPort] = {};
  uint32_t portFlags_[kMaxDevicePorts] = {};
  uint32_t deviceFlags_ = kCondNoResponse;
  bool configured_ = false;
  bool valid_ = false;
  int format_ = 0;
  int portCount_ = 1;
  int currentPort_ = 0;         // slot the per-port columns show
  bool statusOfDevice_ = true;  // Status shows the device's level, not the port's
  DeviceWait* wait_;
  DeviceRecordOptions options_;
};

}  // namespace discovery
