// The application's own please-wait window: foreground, used by the configuration and maintenance
// commands and by records that commands create. Made at start-up; the desktop program gives it its
// view and the main window.
#pragma once

#include "discovery/CPleaseWaitDlg.h"

namespace discovery {

// The one instance, made on first use on the system clock.
CPleaseWaitDlg& PleaseWaitWindow();

}  // namespace discovery
