#include "app/StatusIconsPage.h"

#include "app/AppSettings.h"
#include "app/Settings.h"
#include "res/StringTable.h"

namespace app {

namespace {

constexpr const char* kSection = "General\\Icons";
constexpr unsigned kStrError = 6165;
constexpr unsigned kStrGood = 6166;
constexpr unsigned kStrWarning = 6167;

struct StatusBit {
  uint32_t bit;
  const char* name;
};

constexpr StatusBit kBits[] = {
    {1, "Printer Off-line"}, {16, "No Printer Attached"}, {32, "Toner Low*"},
    {64, "Paper Out"},       {128, "Paper Jam*"},         {256, "Printer Open*"},
    {512, "Printer Error"},  {4096, "TCP/IP Error"},      {8192, "NetWare Error"},
    {131072, "No Response"},
};

}  // namespace

StatusIconsPage::StatusIconsPage(const AppSettings& stored)
    : storedWarning_(stored.warningMask), storedError_(stored.errorMask) {
  const auto warning = static_cast<uint32_t>(stored.warningMask);
  const auto error = static_cast<uint32_t>(stored.errorMask);
  for (const StatusBit& bit : kBits) {
    const Level level = (error & bit.bit) != 0     ? kError
                        : (warning & bit.bit) != 0 ? kWarning
                                                   : kGood;
    rows_.push_back({bit.bit, bit.name, level});
  }
}

std::string StatusIconsPage::LevelText(Level level) {
  return res::LoadString(level == kError ? kStrError : level == kWarning ? kStrWarning : kStrGood);
}

void StatusIconsPage::SetLevel(size_t row, Level level) {
  if (row < rows_.size()) rows_[row].level = level;
}

void StatusIconsPage::Cycle(size_t row) {
  if (row < rows_.size()) rows_[row].level = static_cast<Level>((rows_[row].level + 1) % 3);
}

uint32_t StatusIconsPage::RowBits() const {
  uint32_t bits = 0;
  for (const Row& row : rows_) bits |= row.bit;
  return bits;
}

int StatusIconsPage::Mask(Level level, int stored) const {
  // Bits no row shows stay as stored.
  uint32_t mask = static_cast<uint32_t>(stored) & ~RowBits();
  for (const Row& row : rows_) {
    if (row.level == level) mask |= row.bit;
  }
  return static_cast<int>(mask);
}

int StatusIconsPage::WarningMask() const {
  return Mask(kWarning, storedWarning_);
}

int StatusIconsPage::ErrorMask() const {
  return Mask(kError, storedError_);
}

bool StatusIconsPage::Save(AppSettings& stored, Settings& settings, bool setAppIcon) const {
  stored.setAppIcon = setAppIcon ? 1 : 0;
  settings.WriteInt(kSection, "SetAppIcon", stored.setAppIcon);
  const int warning = WarningMask();
  const int error = ErrorMask();
  if (warning == stored.warningMask && error == stored.errorMask) return false;
  stored.warningMask = warning;
  stored.errorMask = error;
  settings.WriteInt(kSection, "Warning", warning);
  settings.WriteInt(kSection, "Error", error);
  return true;
}

}  // namespace app
