// What the view store needs of the main window: messages handled at once (sent), messages queued
// for later (posted), and the store's refresh timer. CMainFrame implements it; tests record the
// calls and call CViewStore::OnTimer themselves, so no test waits for a timer.
#pragma once

#include <cstdint>

namespace views {

class ViewStoreHost {
 public:
  virtual ~ViewStoreHost() = default;
  // Handled before the call returns, on the calling (GUI) thread.
  virtual intptr_t SendMessage(uint32_t id, intptr_t wParam, intptr_t lParam) = 0;
  // Queued for the GUI thread's loop; false when not taken.
  virtual bool PostMessage(uint32_t id, intptr_t wParam, intptr_t lParam) = 0;
  // Starts (or restarts) timer id with period ms; false when it cannot be made. Each period the
  // host calls CViewStore::OnTimer (when no modal window is open and no error is pending).
  virtual bool SetTimer(uint32_t id, uint32_t ms) = 0;
  virtual void KillTimer(uint32_t id) = 0;
};

}  // namespace views
