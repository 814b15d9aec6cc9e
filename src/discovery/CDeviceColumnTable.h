// The 29 columns of the device list: what each shows, how wide it starts, how the view filter
// offers its values, whether it sorts as addresses, and its class bit (per-port, wireless,
// firmware, location). One table per discovery engine; titles are loaded when it is made.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace discovery {

constexpr int kColumnCount = 29;
constexpr int kUnknownColumn = 255;

enum DeviceColumn : int {
  kColSystemName = 0,
  kColNwName = 1,
  kColIpAddress = 2,
  kColHwAddress = 3,
  kColSerialNumber = 4,
  kColSerialPort = 5,
  kColSubnetMask = 6,
  kColDefaultGateway = 7,
  kColProductType = 8,
  kColProductNumber = 9,
  kColDatecode = 10,
  kColNetworkNumber = 11,
  kColFileServer = 12,
  kColMode = 13,
  kColStatus = 14,
  kColPortName = 15,
  kColPortStatus = 16,
  kColPrinterId = 17,
  kColVirtualPort = 18,
  kColPortNumber = 19,
  kColSsid = 20,
  kColWirelessMode = 21,
  kColCurrentSsid = 22,
  kColSecurity = 23,
  kColSignalPercentage = 24,
  kColSignalDescription = 25,
  kColDataRate = 26,
  kColLocation = 27,
  kColFirmwareVersion = 28,
};

// How the view's filter page offers a column's values.
enum ColumnFilterKind : int {
  kFilterTyped = 0,   // a typed pattern
  kFilterListed = 1,  // chosen from the texts of the devices now listed
  kFilterChoice = 2,  // chosen from the column's fixed choices
};

// Class masks over the class bits.
constexpr uint32_t kPortColumnClasses = 0xF8000;
constexpr uint32_t kWirelessColumnClasses = 0x7F00000;
constexpr uint32_t kFirmwareColumnClass = 0x10000000;
constexpr uint32_t kLocationColumnClass = 0x8000000;

struct DeviceColumnInfo {
  const char* title;  // built-in text of stringId
  unsigned stringId;
  int width;  // pixels
  ColumnFilterKind kind;
  std::array<const char*, 3> choices;  // for kFilterChoice; unused slots are nullptr
  bool addressSort;
  uint32_t classBit;
};

class CDeviceColumnTable {
 public:
  // Looks a string id up; an empty answer keeps the built-in title.
  using TitleLookup = std::function<std::string(unsigned stringId)>;

  static constexpr int kInitialFittedWidth = 10;

  explicit CDeviceColumnTable(const TitleLookup& lookup = {});

  // The built-in definition of column i (i in 0...28).
  static const DeviceColumnInfo& Info(int i);
  static bool IsValidIndex(int i) { return i >= 0 && i < kColumnCount; }

  // Index of the column with exactly this title, or kUnknownColumn.
  int IndexOfTitle(std::string_view title) const;

  // Accessors give empty values for an index out of range.
  std::string Title(int i) const;
  unsigned StringId(int i) const;
  int Width(int i) const;
  int FittedWidth(int i) const;
  void SetFittedWidth(int i, int width);
  ColumnFilterKind Kind(int i) const;
  std::vector<std::string> Choices(int i) const;
  bool IsAddressSort(int i) const;
  uint32_t ClassBit(int i) const;

  bool IsPortColumn(int i) const { return (ClassBit(i) & kPortColumnClasses) != 0; }
  bool IsWirelessColumn(int i) const { return (ClassBit(i) & kWirelessColumnClasses) != 0; }
  bool IsFirmwareColumn(int i) const { return (ClassBit(i) & kFirmwareColumnClass) != 0; }
  bool IsLocationColumn(int i) const { return (ClassBit(i) & kLocationColumnClass) != 0; }
  // Columns whose values only an SNMP query of the device gives.
  bool NeedsExtendedQuery(int i) const {
    return IsPortColumn(i) || IsWirelessColumn(i) || IsFirmwareColumn(i) || IsLocationColumn(i);
  }

 private:
  std::array<std::string, kColumnCount> titles_;
  std::array<int, kColumnCount> fittedWidths_;
};

}  // namespace discovery
