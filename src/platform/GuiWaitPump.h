// A thread that blocks until another thread has done something must keep the GUI responsive if it
// is the GUI thread itself: the other thread may be showing a message box, which only the GUI
// thread can show. The desktop program installs a pump that handles pending GUI events when called
// on the GUI thread; elsewhere (portolanctl, tests, other threads) there is nothing to pump.
#pragma once

#include <functional>

namespace platform {

// pump returns true when it ran (the caller is the GUI thread), false otherwise.
void InstallGuiWaitPump(std::function<bool()> pump);
// Runs the installed pump; false when none is installed or the caller is not the GUI thread.
bool RunGuiWaitPump();

}  // namespace platform
