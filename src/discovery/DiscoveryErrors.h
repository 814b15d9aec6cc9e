// How the discovery core reports coded failures. The application installs its error reporter at
// start; until then failures are dropped, so the core runs and is tested without the app layer.
#pragma once

#include <functional>

namespace discovery {

// Error classes of the reporter that discovery uses.
enum DiscoveryErrorClass : int {
  kErrorClassNone = 0,
  kErrorClassApp = 1,      // the code is a string-table id
  kErrorClassSockets = 3,  // the code is a sockets (errno) value
};

// (codeA, classA, codeB, classB, show) -> the message-box answer, or 0 when nothing was shown.
using ErrorReporter =
    std::function<int(unsigned codeA, int classA, unsigned codeB, int classB, int show)>;

// Installs the reporter (an empty function removes it). Safe to call from any thread; the
// reporter itself is called on whatever thread hit the failure.
void SetErrorReporter(ErrorReporter reporter);

// Calls the installed reporter; 0 when none is installed.
int ReportDiscoveryError(unsigned codeA, int classA, unsigned codeB, int classB, int show);

}  // namespace discovery
