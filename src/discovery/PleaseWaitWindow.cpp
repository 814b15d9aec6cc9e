#include "discovery/PleaseWaitWindow.h"

namespace discovery {

CPleaseWaitDlg& PleaseWaitWindow() {
  static CPleaseWaitDlg window(false);
  return window;
}

}  // namespace discovery
