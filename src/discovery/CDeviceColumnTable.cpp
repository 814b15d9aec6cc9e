#include "discovery/CDeviceColumnTable.h"

namespace discovery {
namespace {

constexpr std::array<const char*, 3> kNoChoices = {nullptr, nullptr, nullptr};

const std::array<DeviceColumnInfo, kColumnCount> kColumns = {{
    {"System Name", 6010, 140, kFilterTyped, kNoChoices, false, 0x1},
    {"NW Name", 6029, 150, kFilterTyped, kNoChoices, false, 0x2},
    {"IP Address", 6011, 100, kFilterTyped, kNoChoices, true, 0x4},
    {"H/W Address", 6012, 100, kFilterTyped, kNoChoices, false, 0x8},
    {"Serial #", 6013, 70, kFilterTyped, kNoChoices, false, 0x10},
    {"Serial Port", 6028, 60, kFilterTyped, kNoChoices, false, 0x20},
    {"Subnet Mask", 6014, 100, kFilterTyped, kNoChoices, true, 0x40},
    {"Default Gateway", 6015, 100, kFilterTyped, kNoChoices, true, 0x80},
    {"Product Type", 6016, 120, kFilterListed, kNoChoices, false, 0x100},
    {"Product #", 6017, 60, kFilterListed, kNoChoices, false, 0x200},
    {"Datecode", 6018, 60, kFilterTyped, kNoChoices, false, 0x400},
    {"Network #", 6025, 140, kFilterTyped, kNoChoices, false, 0x800},
    {"File Server or Tree", 6026, 140, kFilterListed, kNoChoices, false, 0x1000},
    {"Mode", 6027, 140, kFilterChoice, {"RPrinter", "PServer", nullptr}, false, 0x2000},
    {"Status", 6019, 80, kFilterChoice, {"Good", "Warning", "Error"}, false, 0x4800},
    {"Port Name", 6020, 110, kFilterTyped, kNoChoices, false, 0x8000},
    {"Port Status", 6021, 180, kFilterListed, kNoChoices, false, 0x10000},
    {"Printer ID", 6022, 150, kFilterListed, kNoChoices, false, 0x20000},
    {"Virtual Port", 6023, 140, kFilterListed, kNoChoices, false, 0x40000},
    {"Port #", 6030, 40, kFilterTyped, kNoChoices, false, 0x80000},
    {"SSID", 6031, 140, kFilterListed, kNoChoices, false, 0x100000},
    {"Wireless Mode", 6033, 140, kFilterListed, kNoChoices, false, 0x200000},
    {"Current SSID", 6034, 140, kFilterListed, kNoChoices, false, 0x400000},
    {"Security", 6035, 140, kFilterListed, kNoChoices, false, 0x800000},
    {"Signal Percentage", 6036, 40, kFilterListed, kNoChoices, false, 0x1000000},
    {"Signal Description", 6037, 140, kFilterListed, kNoChoices, false, 0x2000000},
    {"Data Rate", 6038, 40, kFilterListed, kNoChoices, false, 0x4000000},
    {"Location", 6039, 40, kFilterListed, kNoChoices, false, 0x8000000},
    {"Firmware Version", 61211, 40, kFilterTyped, kNoChoices, false, 0x10000000},
}};

}  // namespace

CDeviceColumnTable::CDeviceColumnTable(const TitleLookup& lookup) {
  for (int i = 0; i < kColumnCount; ++i) {
    std::string title = lookup ? lookup(kColumns[i].stringId) : std::string();
    titles_[i] = title.empty() ? kColumns[i].title : std::move(title);
  }
  fittedWidths_.fill(kInitialFittedWidth);
}

const DeviceColumnInfo& CDeviceColumnTable::Info(int i) {
  return kColumns.at(i);
}

int CDeviceColumnTable::IndexOfTitle(std::string_view title) const {
  for (int i = 0; i < kColumnCount; ++i) {
    if (titles_[i] == title) return i;
  }
  return kUnknownColumn;
}

std::string CDeviceColumnTable::Title(int i) const {
  return IsValidIndex(i) ? titles_[i] : "";
}

unsigned CDeviceColumnTable::StringId(int i) const {
  return IsValidIndex(i) ? kColumns[i].stringId : 0;
}

int CDeviceColumnTable::Width(int i) const {
  return IsValidIndex(i) ? kColumns[i].width : 0;
}

int CDeviceColumnTable::FittedWidth(int i) const {
  return IsValidIndex(i) ? fittedWidths_[i] : 0;
}

void CDeviceColumnTable::SetFittedWidth(int i, int width) {
  if (IsValidIndex(i)) fittedWidths_[i] = width;
}

ColumnFilterKind CDeviceColumnTable::Kind(int i) const {
  return IsValidIndex(i) ? kColumns[i].kind : kFilterTyped;
}

std::vector<std::string> CDeviceColumnTable::Choices(int i) const {
  std::vector<std::string> choices;
  if (!IsValidIndex(i)) return choices;
  for (const char* choice : kColumns[i].choices) {
    if (choice != nullptr) choices.emplace_back(choice);
  }
  return choices;
}

bool CDeviceColumnTable::IsAddressSort(int i) const {
  return IsValidIndex(i) && kColumns[i].addressSort;
}

uint32_t CDeviceColumnTable::ClassBit(int i) const {
  return IsValidIndex(i) ? kColumns[i].classBit : 0;
}

}  // namespace discovery
