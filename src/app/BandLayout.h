// The order, widths and styles of the three bars (main toolbar, view bar, animation), stored in
// General\ControlBars\Bar1..Bar3 as "ID", "Width" and "Style". The style keeps the rebar's band
// bits: 0x01 starts a new row, 0x02 fixed size, 0x08 hidden.
#pragma once

#include <cstddef>
#include <vector>

namespace app {

class Settings;

struct Band {
  int id = 0;     // 129, 154 or 155
  int width = 0;  // the band's width in pixels; 0 or above 32767: as wide as the row allows
  int style = 0;
  bool operator==(const Band&) const = default;
};

class BandLayout {
 public:
  static constexpr int kBandCount = 3;
  static constexpr int kBreak = 0x01;
  static constexpr int kFixedSize = 0x02;
  static constexpr int kHidden = 0x08;
  static constexpr int kToolBarStyle = 33;
  static constexpr int kAnimationStyle = 34;
  static constexpr int kDefaultWidth = 32767;
  static constexpr int kAnimationWidth = 57;
  static constexpr int kStoredWidthGrowth = 4;  // a stored width W gives a band of W + 4
  static constexpr int kSavedWidthGrowth = 9;   // a band is saved as its child's width + 9

  // The bands in the order they are inserted. Each bar comes once, at the first index naming
  // it (an "ID" of 0 takes the index's default: 155, 154, 129); any other ID inserts nothing;
  // a bar that no index named is appended with its default style.
  static std::vector<Band> Read(Settings& settings);
  // Writes the bands in display order as Bar1, Bar2, ...; widths are child widths (+9; the
  // animation's is saved as 9). Bands of other ids are skipped.
  static void Write(Settings& settings, const std::vector<Band>& bands);

  // True when any band was stored (the window was closed at least once).
  static bool IsStored(Settings& settings);
  // The bars of a first start, when nothing is stored: one row with the main toolbar, the view
  // bar and the animation, rather than the three rows the stored defaults would give.
  static std::vector<Band> FirstStart();

  // The width a toolbar takes from its stored band: the child's width (the band less what the
  // rebar adds, so a width saved and read again comes back as it was), or 0 to leave the bar at
  // its natural width: no width stored, the animation (fixed), or the last bar of its row (which
  // the row's rest belongs to anyway).
  static int ChildWidth(const std::vector<Band>& bands, size_t index);

  static bool IsKnown(int id);
  static int DefaultIdAt(int index);
  static int DefaultStyleOf(int id);
};

}  // namespace app
