// Where the main window goes: the restored rectangle stored in General\Left/Top/Right/Bottom and
// the tree pane's width in General\Splitter. A rectangle stored on a screen that is no longer
// there (a monitor unplugged, a smaller resolution) is brought back onto today's screens, and a
// splitter width that would leave no room for the list is brought back too.
#pragma once

#include <vector>

#include "app/CKestrelApp.h"

namespace app {

class Settings;

class WindowPlacement {
 public:
  static constexpr int kDefaultWidth = 620;
  static constexpr int kDefaultHeight = 440;
  static constexpr int kDefaultSplitter = 150;
  static constexpr int kShownTreeMinimum = 140;  // the tree pane shown again is at least this wide
  // Of a window on a screen at least this much must show: enough of its title bar to grab it.
  static constexpr int kMinVisibleWidth = 100;
  static constexpr int kTitleBarHeight = 24;
  static constexpr int kMinListWidth = 100;  // what the splitter leaves to the list at least
  static constexpr int kMinWidth = 200;
  static constexpr int kMinHeight = 150;

  // The 620 x 440 rectangle centred on a desktop of width x height.
  static Rect DefaultRect(int width, int height);
  static Rect Read(Settings& settings, int desktopWidth, int desktopHeight);
  static void Write(Settings& settings, const Rect& rect);

  // rect itself when its title bar shows on one of screens (available areas, the primary
  // first); otherwise rect moved (and shrunk when larger) onto the screen it overlaps most, or
  // the primary one. A rectangle with no area takes the default size there.
  static Rect BringOnScreen(const Rect& rect, const std::vector<Rect>& screens);

  // The stored width when it leaves the list room in a window of windowWidth; negative widths
  // give the default, and a width that leaves too little gives a third of the window. 0 stays 0
  // (the tree pane starts hidden).
  static int ClampSplitter(int stored, int windowWidth);
};

}  // namespace app
