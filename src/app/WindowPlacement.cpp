#include "app/WindowPlacement.h"

#include <algorithm>

#include "app/Settings.h"
#include "discovery/CDeviceColumnTable.h"

namespace app {

namespace {

int Width(const Rect& r) {
  return r.right - r.left;
}
int Height(const Rect& r) {
  return r.bottom - r.top;
}

// The area two rectangles share (0 when they do not meet).
long long Overlap(const Rect& a, const Rect& b) {
  long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

bool TitleBarShows(const Rect& rect, const Rect& screen) {
  Rect title{rect.left, rect.top, rect.right, rect.top + WindowPlacement::kTitleBarHeight};
  int w = std::min(title.right, screen.right) - std::max(title.left, screen.left);
  int h = std::min(title.bottom, screen.bottom) - std::max(title.top, screen.top);
  return w >= std::min(WindowPlacement::kMinVisibleWidth, Width(rect)) && h > 0;
}

int Clamp(int value, int low, int high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

Rect WindowPlacement::DefaultRect(int width, int height) {
  return Rect{width / 2 - kDefaultWidth / 2, height / 2 - kDefaultHeight / 2,
              width / 2 + kDefaultWidth / 2, height / 2 + kDefaultHeight / 2};
}

Rect WindowPlacement::Read(Settings& settings, int desktopWidth, int desktopHeight) {
  Rect fallback = DefaultRect(desktopWidth, desktopHeight);
  return Rect{settings.GetInt("General", "Left", fallback.left),
              settings.GetInt("General", "Top", fallback.top),
              settings.GetInt("General", "Right", fallback.right),
              settings.GetInt("General", "Bottom", fallback.bottom)};
}

bool WindowPlacement::IsStored(Settings& settings) {
  return settings.GetInt("General", "Right", 0) != settings.GetInt("General", "Left", 0);
}

Rect WindowPlacement::FirstStartRect(int columnsWidth, const Rect& available) {
  const int roomWidth = std::max(kMinWidth, Width(available) - 2 * kScreenMargin);
  const int roomHeight = std::max(kMinHeight, Height(available) - 2 * kScreenMargin);
  const int wanted = kDefaultSplitter + std::max(0, columnsWidth) + kFrameAllowance;
  const int width = std::min(std::max(wanted, kDefaultWidth), roomWidth);
  const int height = std::min(kFirstStartHeight, roomHeight);
  const int left = available.left + (Width(available) - width) / 2;
  const int top = available.top + (Height(available) - height) / 2;
  return Rect{left, top, left + width, top + height};
}

int WindowPlacement::ColumnsWidth(const std::string& titles) {
  const discovery::CDeviceColumnTable table;
  int width = 0;
  size_t start = 0;
  while (start <= titles.size()) {
    const size_t comma = std::min(titles.find(',', start), titles.size());
    const int column = table.IndexOfTitle(std::string_view(titles).substr(start, comma - start));
    if (!discovery::CDeviceColumnTable::IsValidIndex(column)) break;
    width += table.Width(column);
    start = comma + 1;
  }
  return width;
}

void WindowPlacement::Write(Settings& settings, const Rect& rect) {
  settings.WriteInt("General", "Left", rect.left);
  settings.WriteInt("General", "Top", rect.top);
  settings.WriteInt("General", "Right", rect.right);
  settings.WriteInt("General", "Bottom", rect.bottom);
}

Rect WindowPlacement::BringOnScreen(const Rect& stored, const std::vector<Rect>& screens) {
  if (screens.empty()) return stored;
  Rect rect = stored;
  const bool sized = Width(rect) >= kMinWidth && Height(rect) >= kMinHeight;
  if (sized) {
    for (const Rect& screen : screens) {
      if (TitleBarShows(rect, screen)) return rect;
    }
  }
  const Rect* target = &screens.front();
  long long best = 0;
  for (const Rect& screen : screens) {
    long long shared = Overlap(rect, screen);
    if (shared > best) {
      best = shared;
      target = &screen;
    }
  }
  if (!sized) {
    Rect centred = DefaultRect(Width(*target), Height(*target));
    rect = Rect{target->left + centred.left, target->top + centred.top,
                target->left + centred.right, target->top + centred.bottom};
  }
  int width = std::min(Width(rect), Width(*target));
  int height = std::min(Height(rect), Height(*target));
  int left = Clamp(rect.left, target->left, target->right - width);
  int top = Clamp(rect.top, target->top, target->bottom - height);
  return Rect{left, top, left + width, top + height};
}

int WindowPlacement::ClampSplitter(int stored, int windowWidth) {
  if (stored < 0) stored = kDefaultSplitter;
  if (stored == 0) return 0;
  if (windowWidth > 0 && stored > windowWidth - kMinListWidth) {
    return std::max(1, windowWidth / 3);
  }
  return stored;
}

}  // namespace app
