// The starting side of the running-copy handshake: asks the copy that holds the instance lock,
// over its local socket, whether it runs, and to restore and raise its window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/RunningCopyProtocol.h"

namespace platform {

class RunningCopyClient {
 public:
  // True only when a copy answers 0x8013 (wParam 0, lParam 0) with 123456789 within timeoutMs.
  // No socket, a server of another user, nobody listening, silence, a malformed reply or another
  // answer: false.
  static bool QueryRunningCopy(int timeoutMs = 1000, const std::string& socketPath =
                                                         RunningCopyProtocol::DefaultSocketPath());
  // True when the running copy took the request.
  static bool RaiseRunningCopy(int timeoutMs = 1000, const std::string& socketPath =
                                                         RunningCopyProtocol::DefaultSocketPath());
  // True when the running copy took the request to open the view (and raise its window).
  static bool OpenViewInRunningCopy(
      const std::string& viewName, int timeoutMs = 1000,
      const std::string& socketPath = RunningCopyProtocol::DefaultSocketPath());
  // Hands a start's request to the running copy: "/v NAME" (or "-v") opens that view, anything
  // else raises the window. True when the running copy took it.
  static bool HandOver(const std::vector<std::string>& args, int timeoutMs = 1000,
                       const std::string& socketPath = RunningCopyProtocol::DefaultSocketPath());
  // One request and its reply; empty when there was no valid reply in time. payload follows the
  // request (the name of an open-view request). replyPayload, when given, receives the `result`
  // bytes that follow a kOk reply (at most kMaxStatusPayload; more, or fewer in time, is no valid
  // reply). connectError, when given, receives the errno of a connect that failed (else 0).
  static std::optional<RunningCopyProtocol::Reply> Exchange(
      const RunningCopyProtocol::Request& request, int timeoutMs, const std::string& socketPath,
      const std::string& payload = {}, std::vector<uint8_t>* replyPayload = nullptr,
      int* connectError = nullptr);

  enum class StatusOutcome {
    kReport,      // the running program sent its port report
    kNotRunning,  // no socket, or nobody accepts on it
    kNoAnswer,    // no valid reply in time
    kRefused,     // the running program does not report ports
  };
  struct PortStatusResult {
    StatusOutcome outcome = StatusOutcome::kNoAnswer;
    std::vector<uint8_t> report;
  };
  // Asks the running program for its port report, newestVersion being the newest report version
  // the caller reads.
  static PortStatusResult AskPortStatus(
      int64_t newestVersion, int timeoutMs = 2000,
      const std::string& socketPath = RunningCopyProtocol::DefaultSocketPath());
};

}  // namespace platform
