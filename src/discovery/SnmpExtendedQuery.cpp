#include "discovery/SnmpExtendedQuery.h"

#include <string>
#include <vector>

#include "discovery/CDeviceRecord.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DeviceWait.h"
#include "discovery/MakerTag.h"
#include "discovery/SnmpEngineTurn.h"
#include "platform/SystemClock.h"
#include "res/StringTable.h"
#include "snmp/CSnmpManager.h"
#include "snmp/SnmpWaitWindow.h"

namespace discovery {

namespace {

constexpr int kWirelessLink = 2;
constexpr size_t kFirmwareChars = 14;
constexpr size_t kPrinterChars = 30;
constexpr size_t kLocationChars = 64;
constexpr size_t kSignalChars = 10;
constexpr size_t kSsidChars = 32;
constexpr const char* kLocationOid = "1.3.6.1.2.1.1.6.0";

std::string TextOf(const snmp::CSnmpVarBind& vb, size_t maxChars) {
  std::string text;
  if (vb.GetText(&text) != snmp::CSnmpVarBind::kOk) return std::string();
  return text.substr(0, maxChars);
}

int IntegerOf(const snmp::CSnmpVarBind& vb, int otherwise) {
  int32_t n = 0;
  return vb.GetInteger(&n) == snmp::CSnmpVarBind::kOk ? n : otherwise;
}

}  // namespace

SnmpExtendedQueryConfig SnmpExtendedQueryConfig::Defaults() {
  SnmpExtendedQueryConfig config;
  config.vendorRoot = res::LoadString(8002);
  config.ownMakerTag = res::LoadString(8000);
  return config;
}

std::string SnmpExtendedQuery::RootFor(const char* makerTag) const {
  const std::string tag = makerTag != nullptr ? makerTag : "";
  std::string root = config_.vendorRoot;
  if (MakerTagMatches(tag, config_.ownMakerTag)) return root;
  for (const auto& [brand, oid] : config_.brands) {
    if (MakerTagMatches(tag, brand)) root = oid;  // the last matching entry wins
  }
  return root;
}

int SnmpExtendedQuery::Run(CDeviceRecord& record) {
  DeviceWait* own = record.GetWaitWindow();
  snmp::SnmpWaitWindow* wait = own != nullptr ? own->SnmpWait() : nullptr;
  if (wait == nullptr) wait = config_.wait;
  if (wait == nullptr) return snmp::kSnmpSessionFailed;
  return RunIn(record, *wait);
}

int SnmpExtendedQuery::RunIn(CDeviceRecord& record, snmp::SnmpWaitWindow& wait) {
  // Held for the whole query but its waits; made first, so that every engine object below is
  // gone before the turn is given back.
  SnmpEngineTurn turn(wait);
  auto* ip = dynamic_cast<CIpDeviceRecord*>(&record);
  snmp::SnmpOperationContext context;
  context.family = CIpDeviceRecord::kAddressFamily;
  context.address = ip != nullptr ? ip->IpAddress() : "";
  context.getCommunity = record.GetCommunity();
  context.wait = &turn;
  int status = snmp::kSnmpOk;
  snmp::CSnmpManager manager(
      context, &status,
      config_.clock != nullptr ? *config_.clock : platform::SystemClock::Instance());
  if (status != snmp::kSnmpOk) return status;
  manager.SetTimeout(config_.getTimeout);
  const std::string root = RootFor(record.MakerTag());

  snmp::CSnmpVarBind firmware(root + ".1.9.0");
  int result = manager.Get(&firmware, 1, nullptr, nullptr);
  if (result != snmp::kSnmpOk) return result;
  record.SetFirmwareVersion(TextOf(firmware, kFirmwareChars));

  const int ports = record.GetPortCount() < 0 ? 0 : record.GetPortCount();
  std::vector<snmp::CSnmpVarBind> printer;
  for (int n = 1; n <= ports; ++n) {
    printer.emplace_back(root + ".6.2.3.2.1.16." + std::to_string(n));
    printer.emplace_back(root + ".6.2.3.2.1.15." + std::to_string(n));
  }
  printer.emplace_back(kLocationOid);
  result = manager.Get(printer.data(), static_cast<int>(printer.size()), nullptr, nullptr);
  if (result != snmp::kSnmpOk) return result;
  for (int port = 0; port < ports; ++port) {
    std::string description = TextOf(printer[static_cast<size_t>(port) * 2], kPrinterChars);
    for (char& c : description) {
      if (c == '\t') c = ' ';
    }
    record.SetPrinterValues(port, description,
                            TextOf(printer[static_cast<size_t>(port) * 2 + 1], kPrinterChars));
  }
  record.SetLocation(TextOf(printer.back(), kLocationChars));

  std::vector<snmp::CSnmpVarBind> wireless;
  for (const char* suffix : {".8.3.18.0", ".8.3.16.0", ".8.3.4.0", ".8.3.10.0", ".8.3.3.0",
                             ".8.3.1.0", ".8.3.12.0", ".8.3.17.0"}) {
    wireless.emplace_back(root + suffix);
  }
  result = manager.Get(wireless.data(), static_cast<int>(wireless.size()), nullptr, nullptr);
  if (result != snmp::kSnmpOk) return result;
  WirelessValues values;
  values.linkType = IntegerOf(wireless[0], 0);
  if (values.linkType == kWirelessLink) {
    values.signalDescription = TextOf(wireless[1], kSignalChars);
    values.ssid = TextOf(wireless[2], kSsidChars);
    values.currentSsid = TextOf(wireless[3], kSsidChars);
    values.dataRate = IntegerOf(wireless[4], -1);
    values.mode = IntegerOf(wireless[5], -1);
    values.signalPercentage = IntegerOf(wireless[6], 0);
    values.security = TextOf(wireless[7], kSsidChars);
    record.SetWirelessValues(values);
  }
  return snmp::kSnmpOk;
}

}  // namespace discovery
