// Where the main window goes: the restored rectangle stored in General\Left/Top/Right/Bottom and
// the tree pane's width in General\Splitter. A rectangle stored on a screen that is no longer
// there (a monitor unplugged, a smaller resolution) is brought back onto today's screens, and a
// splitter width that would leave no room for the list is brought back too.
#pragma once

#include <string>
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
  // Whether a placement was stored (after the first close); until then the first-start size.
  static bool IsStored(Settings& settings);
  // Room the window needs besides its list's columns: the frame, the splitter bar, the list's
  // borders and scroll bar.
  static constexpr int kFrameAllowance = 48;
  static constexpr int kFirstStartHeight = 520;
  static constexpr int kScreenMargin = 32;
  // At first start: wide enough for the tree pane and columnsWidth pixels of list columns, at
  // least the default size, at most the available area less a margin, centred on it.
  static Rect FirstStartRect(int columnsWidth, const Rect& available);
  // The widths of the columns a view's "Columns" text names, added up (unknown titles end it,
  // as they end a view's column list).
  static int ColumnsWidth(const std::string& titles);
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
