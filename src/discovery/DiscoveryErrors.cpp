#include "discovery/DiscoveryErrors.h"

#include <mutex>
#include <utility>

namespace discovery {
namespace {

std::mutex& ReporterMutex() {
  static std::mutex mutex;
  return mutex;
}

ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}

}  // namespace

void SetErrorReporter(ErrorReporter reporter) {
  std::lock_guard<std::mutex> lock(ReporterMutex());
  Reporter() = std::move(reporter);
}

int ReportDiscoveryError(unsigned codeA, int classA, unsigned codeB, int classB, int show) {
  ErrorReporter reporter;
  {
    // Copied out so that a reporter which shows a box does not hold the lock meanwhile.
    std::lock_guard<std::mutex> lock(ReporterMutex());
    reporter = Reporter();
  }
  return reporter ? reporter(codeA, classA, codeB, classB, show) : 0;
}

}  // namespace discovery
