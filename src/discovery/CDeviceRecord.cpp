#include "discovery/CDeviceRecord.h"

#include <cstdio>
#include <cstring>

#include "discovery/CDeviceColumnTable.h"
#include "discovery/DiscoveryErrors.h"
#include "discovery/ExtendedQuery.h"

namespace discovery {
namespace {

// Addresses that a device has before anyone gave it one.
constexpr const char* kFactoryAddresses[] = {"198.102.102.254", "192.0.0.192", "0.0.0.0"};

template <size_t N>
void ClearText(char (&text)[N]) {
  text[0] = '\0';
}

template <size_t P, size_t N>
void ClearTexts(char (&texts)[P][N]) {
  for (auto& text : texts) text[0] = '\0';
}

}  // namespace

CDeviceRecord::CDeviceRecord(DeviceWait* wait, const DeviceRecordOptions& options)
    : wait_(wait), options_(options) {}

void CDeviceRecord::Clear() {
  ClearText(hwAddress_);
  ClearText(systemName_);
  ClearText(serial_);
  ClearText(productType_);
  ClearText(productNumber_);
  ClearText(datecode_);
  ClearText(makerTag_);
  ClearText(status_);
  ClearText(ssid_);
  ClearText(wirelessMode_);
  ClearText(currentSsid_);
  ClearText(security_);
  ClearText(signalDescription_);
  ClearText(signalPercentage_);
  ClearText(dataRate_);
  ClearText(location_);
  ClearText(firmware_);
  ClearTexts(portLevel_);
  ClearTexts(portName_);
  ClearTexts(portStatus_);
  ClearTexts(printerId_);
  ClearTexts(printerDescription_);
  ClearTexts(portNumber_);
  // The virtual port texts stay: they tell which local ports are bound to the device, which a
  // refresh does not change.
  for (auto& flags : portFlags_) flags = 0;
  deviceFlags_ = kCondNoResponse;
}

void CDeviceRecord::SetBadFormat(const char* statusText) {
  MarkNotValid();
  Clear();
  CopyText(status_, statusText);
}

int CDeviceRecord::FillFromReply(const uint8_t* data, size_t size) {
  const ReplyParseResult parsed = ParseDiscoveryReply(data, size);
  if (parsed.error != ReplyError::kNone) {
    format_ = parsed.reply.format;
    SetBadFormat("Bad Format");
    // Only a format this program does not know asks the user to update; a reply cut short or
    // without the magic is a damaged datagram, not newer firmware.
    if (parsed.error == ReplyError::kBadFormat) {
      ReportDiscoveryError(kMsgNeedsUpdate, kErrorClassApp, 0, kErrorClassNone, 1);
    }
    return kRecordFailed;
  }

  const DiscoveryReply& reply = parsed.reply;
  Clear();
  format_ = reply.format;
  valid_ = true;
  CopyText(hwAddress_, HardwareAddressText(reply.hardwareAddress));
  FillAddresses(reply);
  CopyText(serial_, reply.serialNumber);
  CopyText(systemName_, reply.systemName);
  CopyText(productType_, reply.productType);
  CopyText(productNumber_, reply.productNumber);
  CopyText(datecode_, reply.datecode);
  CopyText(makerTag_, reply.makerTag);
  CopyText(getCommunity_, reply.getCommunity);
  CopyText(setCommunity_, reply.setCommunity);
  portCount_ = static_cast<int>(reply.ports.size());
  for (size_t i = 0; i < reply.ports.size(); ++i) {
    const ReplyPort& port = reply.ports[i];
    CopyText(portName_[i], port.name);
    CopyText(portStatus_[i], PortStatusText(port.state, port.condition));
    CopyText(portNumber_[i], std::to_string(i + 1));
  }

  int result = kRecordOk;
  if (options_.extendedQuery != nullptr) result = options_.extendedQuery->Run(*this);

  deviceFlags_ = ConditionsOfGeneralStatus(reply.generalStatus);
  // A port's state and condition count in its level and so in the device's: a device with a port
  // off-line is not "Good".
  for (auto& flags : portFlags_) flags = 0;
  for (size_t i = 0; i < reply.ports.size(); ++i) {
    portFlags_[i] = ConditionsOfPort(reply.ports[i].state, reply.ports[i].condition);
  }
  UpdateLevelTexts();

  const char* address = AddressText();
  configured_ = true;
  for (const char* factory : kFactoryAddresses) {
    if (std::strcmp(address, factory) == 0) configured_ = false;
  }
  return result;
}

void CDeviceRecord::ShowDeviceLevel() {
  CopyText(status_, LevelText(GetLevel(0)));
}

void CDeviceRecord::UpdateLevelTexts() {
  CopyText(status_, LevelText(GetLevel(0)));
  for (int i = 0; i < portCount_; ++i) CopyText(portLevel_[i], LevelText(GetLevel(i + 1)));
}

int CDeviceRecord::GetLevel(int port) const {
  uint32_t bits = deviceFlags_;
  if (port == 0) {
    for (uint32_t flags : portFlags_) bits |= flags;
  } else if (port >= 1 && port <= static_cast<int>(kMaxDevicePorts)) {
    bits |= portFlags_[port - 1];
  }
  return LevelOfConditions(bits, options_.masks);
}

void CDeviceRecord::SelectPort(int p) {
  if (p == -1) {
    statusOfDevice_ = true;
    currentPort_ = 0;
  } else if (p >= 0 && p < static_cast<int>(kMaxDevicePorts)) {
    statusOfDevice_ = false;
    currentPort_ = p;
  }
}

const char* CDeviceRecord::PortText(int column) const {
  switch (column) {
    case kColStatus:
      return statusOfDevice_ ? status_ : portLevel_[currentPort_];
    case kColPortName:
      return portName_[currentPort_];
    case kColPortStatus:
      return portStatus_[currentPort_];
    case kColPrinterId:
      return printerId_[currentPort_];
    case kColVirtualPort:
      return virtualPort_[currentPort_];
    case kColPortNumber:
      return portNumber_[currentPort_];
    default:
      return nullptr;
  }
}

const char* CDeviceRecord::GetColumnText(int i) const {
  switch (i) {
    case kColSystemName:
      return systemName_;
    case kColHwAddress:
      return hwAddress_;
    case kColSerialNumber:
      return serial_;
    case kColProductType:
      return productType_;
    case kColProductNumber:
      return productNumber_;
    case kColDatecode:
      return datecode_;
    case kColStatus:
    case kColPortName:
    case kColPortStatus:
    case kColPrinterId:
    case kColVirtualPort:
    case kColPortNumber:
      return PortText(i);
    case kColSsid:
      return ssid_;
    case kColWirelessMode:
      return wirelessMode_;
    case kColCurrentSsid:
      return currentSsid_;
    case kColSecurity:
      return security_;
    case kColSignalPercentage:
      return signalPercentage_;
    case kColSignalDescription:
      return signalDescription_;
    case kColDataRate:
      return dataRate_;
    case kColLocation:
      return location_;
    case kColFirmwareVersion:
      return firmware_;
    default:
      return CDeviceColumnTable::IsValidIndex(i) ? OwnColumnText(i) : nullptr;
  }
}

void CDeviceRecord::SetVirtualPort(int port, std::string_view text) {
  if (port < 0 || port >= static_cast<int>(kMaxDevicePorts)) return;
  CopyText(virtualPort_[port], text);
}

const char* CDeviceRecord::PrinterDescription(int port) const {
  if (port < 0 || port >= static_cast<int>(kMaxDevicePorts)) return nullptr;
  return printerDescription_[port];
}

void CDeviceRecord::SetFirmwareVersion(std::string_view text) {
  CopyText(firmware_, text);
}

void CDeviceRecord::SetPrinterValues(int port, std::string_view description,
                                     std::string_view printerId) {
  if (port < 0 || port >= static_cast<int>(kMaxDevicePorts)) return;
  std::string shown(description.substr(0, description.find('\0')));
  for (char& c : shown) {
    if (c == '\t') c = ' ';
  }
  CopyText(printerDescription_[port], shown);
  CopyText(printerId_[port], printerId);
}

void CDeviceRecord::SetLocation(std::string_view text) {
  CopyText(location_, text);
}

void CDeviceRecord::SetWirelessValues(const WirelessValues& values) {
  if (values.linkType != 2) return;
  CopyText(signalDescription_, values.signalDescription);
  CopyText(ssid_, values.ssid);
  CopyText(currentSsid_, values.currentSsid);
  CopyText(security_, values.security);
  CopyText(dataRate_, DataRateText(values.dataRate));
  char percentage[16];
  std::snprintf(percentage, sizeof percentage, "%d", values.signalPercentage);
  CopyText(signalPercentage_, percentage);
  CopyText(wirelessMode_, WirelessModeText(values.mode, values.signalPercentage));
}

const char* CDeviceRecord::DataRateText(int code) {
  static constexpr const char* kRates[] = {"1",  "2",  "5.5", "11", "6",  "9",  "12",
                                           "18", "24", "36",  "48", "54", "108"};
  if (code < 0 || code >= static_cast<int>(std::size(kRates))) return "";
  return kRates[code];
}

const char* CDeviceRecord::WirelessModeText(int mode, int signalPercentage) {
  if (signalPercentage == 0) return "Wired";
  switch (mode) {
    case 0:
      return "Auto";
    case 1:
      return "Ad Hoc(802.11)";
    case 2:
      return "Pseudo Ad Hoc";
    case 3:
      return "Infrastructure";
    default:
      return "";
  }
}

}  // namespace discovery
