// The starting side of the running-copy handshake: asks the copy that holds the instance lock,
// over its local socket, whether it runs, and to restore and raise its window.
#pragma once

#include <optional>
#include <string>

#include "platform/RunningCopyProtocol.h"

namespace platform {

class RunningCopyClient {
 public:
  // True only when a copy answers 0x8013 (wParam 0, lParam 0) with 123456789 within timeoutMs.
  // No socket, nobody listening, silence, a malformed reply or another answer: false.
  static bool QueryRunningCopy(int timeoutMs = 1000, const std::string& socketPath =
                                                         RunningCopyProtocol::DefaultSocketPath());
  // True when the running copy took the request.
  static bool RaiseRunningCopy(int timeoutMs = 1000, const std::string& socketPath =
                                                         RunningCopyProtocol::DefaultSocketPath());
  // One request and its reply; empty when there was no valid reply in time.
  static std::optional<RunningCopyProtocol::Reply> Exchange(
      const RunningCopyProtocol::Request& request, int timeoutMs, const std::string& socketPath);
};

}  // namespace platform
