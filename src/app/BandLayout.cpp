#include "app/BandLayout.h"

#include <algorithm>
#include <string>

#include "app/FrameIds.h"
#include "app/Settings.h"

namespace app {

namespace {

std::string BandSection(int index) {
  return "General\\ControlBars\\Bar" + std::to_string(index + 1);
}

}  // namespace

int BandLayout::ChildWidth(const std::vector<Band>& bands, size_t index) {
  if (index >= bands.size()) return 0;
  const Band& band = bands[index];
  if (band.id == bar::kAnimation || band.width <= 0 || band.width >= kDefaultWidth) return 0;
  const bool lastInRow = index + 1 == bands.size() || (bands[index + 1].style & kBreak) != 0;
  if (lastInRow) return 0;
  const int child = band.width - kStoredWidthGrowth - kSavedWidthGrowth;
  return child > 0 ? child : 0;
}

bool BandLayout::IsKnown(int id) {
  return id == bar::kMainToolBar || id == bar::kViewBar || id == bar::kAnimation;
}

int BandLayout::DefaultIdAt(int index) {
  static constexpr int kDefaults[kBandCount] = {bar::kAnimation, bar::kViewBar, bar::kMainToolBar};
  return kDefaults[index];
}

int BandLayout::DefaultStyleOf(int id) {
  return id == bar::kAnimation ? kAnimationStyle : kToolBarStyle;
}

bool BandLayout::IsStored(Settings& settings) {
  for (int i = 0; i < kBandCount; ++i) {
    if (settings.SectionExists(BandSection(i))) return true;
  }
  return false;
}

std::vector<Band> BandLayout::FirstStart() {
  constexpr int kFixedBitmap = 0x20;
  return {Band{bar::kMainToolBar, kDefaultWidth, kFixedBitmap},
          Band{bar::kViewBar, kDefaultWidth, kFixedBitmap},
          Band{bar::kAnimation, kAnimationWidth, kFixedBitmap | kFixedSize}};
}

std::vector<Band> BandLayout::Read(Settings& settings) {
  std::vector<Band> bands;
  auto placed = [&bands](int id) {
    return std::any_of(bands.begin(), bands.end(), [id](const Band& b) { return b.id == id; });
  };
  for (int i = 0; i < kBandCount; ++i) {
    const std::string section = BandSection(i);
    int id = settings.GetInt(section, "ID", 0);
    if (id == 0) id = DefaultIdAt(i);
    if (!IsKnown(id) || placed(id)) continue;
    Band band{id, settings.GetInt(section, "Width", kDefaultWidth),
              settings.GetInt(section, "Style", DefaultStyleOf(id))};
    if (band.width != 0) band.width += kStoredWidthGrowth;
    if (id == bar::kAnimation) band.width = kAnimationWidth;
    bands.push_back(band);
  }
  for (int id : {bar::kMainToolBar, bar::kViewBar, bar::kAnimation}) {
    if (placed(id)) continue;
    bands.push_back(
        Band{id, id == bar::kAnimation ? kAnimationWidth : kDefaultWidth, DefaultStyleOf(id)});
  }
  return bands;
}

void BandLayout::Write(Settings& settings, const std::vector<Band>& bands) {
  int index = 0;
  for (const Band& band : bands) {
    if (!IsKnown(band.id)) continue;
    const std::string section = BandSection(index++);
    int width = band.id == bar::kAnimation ? 0 : band.width;
    settings.WriteInt(section, "ID", band.id);
    settings.WriteInt(section, "Width", width + kSavedWidthGrowth);
    settings.WriteInt(section, "Style", band.style);
  }
}

}  // namespace app
