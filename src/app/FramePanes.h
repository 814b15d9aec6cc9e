// What the main window asks of its two panes: the device list (right) and the view tree (left).
// The views' windows implement them; the frame knows nothing else of them.
#pragma once

#include "app/FrameFlags.h"

class QWidget;

namespace app {

class FrameListPane {
 public:
  virtual ~FrameListPane() = default;
  virtual QWidget* Widget() = 0;
  virtual void SetMultiSelect(bool on) = 0;
  virtual void SetListMode(ListMode mode) = 0;
  virtual void ArrangeIcons() = 0;
  virtual void CheckAllRows(bool checked) = 0;
  virtual bool HasSelection() const = 0;
  virtual int RowCount() const = 0;
};

class FrameTreePane {
 public:
  virtual ~FrameTreePane() = default;
  virtual QWidget* Widget() = 0;
  // Selects the current view's item when another one is selected.
  virtual void SelectCurrentView() = 0;
  // Fills the tree again from the store, with view (a node, or 0 for the current view) selected.
  virtual void Rebuild(intptr_t view) = 0;
};

// The view selector of the view bar (1001).
class FrameViewSelector {
 public:
  virtual ~FrameViewSelector() = default;
  virtual QWidget* Widget() = 0;
  virtual void Fill() = 0;
  virtual void SelectCurrentView() = 0;
};

}  // namespace app
