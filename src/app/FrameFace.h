// What the main window's rules ask of the window itself. The Qt frame implements it; the rules'
// tests record the calls.
#pragma once

#include <cstdint>
#include <string>

#include "app/FrameFlags.h"

namespace app {

class FrameFace {
 public:
  virtual ~FrameFace() = default;
  virtual void SetAppIcon(int iconId) = 0;
  // The busy cursor over the frame and the animation, from 0x8011 to 0x8012.
  virtual void SetBusy(bool busy) = 0;
  virtual bool HasStatusBar() const = 0;
  virtual void SetMessagePane(const std::string& text) = 0;
  // 0x800A: the current view selected in the tree and the selector, the focus on the list.
  virtual void ShowCurrentView(bool focusList) = 0;
  // 0x800D: the tree and the view selector rebuilt, with view (a tree node) selected.
  virtual void RebuildViews(intptr_t view) = 0;
  virtual void SetTreeButtonChecked(bool checked) = 0;
  // Shows or hides the tree pane; a pane shown again is made at least minWidth wide.
  virtual void ShowTreePane(bool show, int minWidth) = 0;
  // The tree pane's width as stored (General\Splitter), brought back into the window.
  virtual void SetTreeWidth(int stored) = 0;
  virtual void SetMultiSelect(bool on) = 0;
  virtual void SetListMode(ListMode mode) = 0;
  virtual void ArrangeIcons() = 0;
  virtual void SetBarVisible(int barId, bool visible) = 0;
  virtual void CheckAllRows(bool checked) = 0;
  virtual void FocusNextPane() = 0;
  virtual void ShowNormalAndRaise() = 0;
  virtual void CloseWindow() = 0;
  // For the enabling table.
  virtual bool ListHasFocus() const = 0;
  virtual bool ListHasSelection() const = 0;
};

}  // namespace app
