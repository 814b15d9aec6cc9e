// The visible side of a please-wait window: the desktop program implements it with a dialog
// (a text with a progress bar behind it and a Cancel button); without one nothing is shown.
#pragma once

#include <string>

namespace discovery {

class PleaseWaitView {
 public:
  virtual ~PleaseWaitView() = default;
  // Disables owner (when given), centres over centre (or the owner), shows the window and puts the
  // focus on Cancel. Window pointers are the toolkit's own widgets, opaque here.
  virtual void Show(void* owner, void* centre) = 0;
  // Hides the window, re-enables owner and gives it the focus back.
  virtual void Hide(void* owner) = 0;
  virtual void ShowText(const std::string& text) = 0;
  virtual void ShowPercent(int percent) = 0;
};

}  // namespace discovery
