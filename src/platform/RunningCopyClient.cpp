#include "platform/RunningCopyClient.h"

#include <unistd.h>

#include <cerrno>

#include "platform/SystemClock.h"
#include "platform/UnixStream.h"

namespace platform {

namespace {

constexpr uint32_t kRetryMs = 10;

// The bytes that follow a kOk reply, as many as its result says, within the bound.
bool ReadReplyPayload(int fd, const RunningCopyProtocol::Reply& reply, int timeoutMs,
                      std::vector<uint8_t>* out) {
  out->clear();
  if (reply.status != RunningCopyProtocol::kOk) return true;
  if (reply.result < 0 ||
      reply.result > static_cast<int64_t>(RunningCopyProtocol::kMaxStatusPayload)) {
    return false;
  }
  out->resize(static_cast<size_t>(reply.result));
  return out->empty() || UnixStream::ReadExact(fd, out->data(), out->size(), timeoutMs);
}

}  // namespace

std::optional<RunningCopyProtocol::Reply> RunningCopyClient::Exchange(
    const RunningCopyProtocol::Request& request, int timeoutMs, const std::string& socketPath,
    const std::string& payload, std::vector<uint8_t>* replyPayload, int* connectError) {
  Clock& clock = SystemClock::Instance();
  const uint32_t start = clock.TickCount();
  int fd = UnixStream::Connect(socketPath);
  // A full backlog means a busy copy, not a missing one: try again while time is left.
  while (fd < 0 && errno == EAGAIN &&
         Clock::Elapsed(start, clock.TickCount()) + kRetryMs < static_cast<uint32_t>(timeoutMs)) {
    clock.Sleep(kRetryMs);
    fd = UnixStream::Connect(socketPath);
  }
  if (connectError != nullptr) *connectError = fd < 0 ? errno : 0;
  if (fd < 0) return std::nullopt;
  // A socket left or bound by another user is not our running copy: hand it nothing.
  if (!UnixStream::PeerIsOwnUser(fd)) {
    close(fd);
    return std::nullopt;
  }
  const auto out = RunningCopyProtocol::EncodeRequest(request);
  std::array<uint8_t, RunningCopyProtocol::kReplySize> in{};
  std::optional<RunningCopyProtocol::Reply> reply;
  const auto* extra = reinterpret_cast<const uint8_t*>(payload.data());
  if (UnixStream::WriteAll(fd, out.data(), out.size(), timeoutMs) &&
      (payload.empty() || UnixStream::WriteAll(fd, extra, payload.size(), timeoutMs)) &&
      UnixStream::ReadExact(fd, in.data(), in.size(), timeoutMs)) {
    RunningCopyProtocol::Reply decoded;
    if (RunningCopyProtocol::DecodeReply(in.data(), in.size(), &decoded) ==
        RunningCopyProtocol::DecodeError::None) {
      reply = decoded;
    }
    if (reply && replyPayload != nullptr &&
        !ReadReplyPayload(fd, *reply, timeoutMs, replyPayload)) {
      reply.reset();
    }
  }
  close(fd);
  return reply;
}

bool RunningCopyClient::QueryRunningCopy(int timeoutMs, const std::string& socketPath) {
  RunningCopyProtocol::Request request;
  request.op = RunningCopyProtocol::kSendMessage;
  request.id = RunningCopyProtocol::kQueryMessage;
  const auto reply = Exchange(request, timeoutMs, socketPath);
  return reply && reply->status == RunningCopyProtocol::kOk &&
         reply->result == RunningCopyProtocol::kRunningAnswer;
}

bool RunningCopyClient::RaiseRunningCopy(int timeoutMs, const std::string& socketPath) {
  RunningCopyProtocol::Request request;
  request.op = RunningCopyProtocol::kRestoreAndRaise;
  const auto reply = Exchange(request, timeoutMs, socketPath);
  return reply && reply->status == RunningCopyProtocol::kOk;
}

bool RunningCopyClient::OpenViewInRunningCopy(const std::string& viewName, int timeoutMs,
                                              const std::string& socketPath) {
  if (viewName.empty() || viewName.size() > RunningCopyProtocol::kMaxViewName) return false;
  RunningCopyProtocol::Request request;
  request.op = RunningCopyProtocol::kOpenView;
  request.wParam = static_cast<int64_t>(viewName.size());
  const auto reply = Exchange(request, timeoutMs, socketPath, viewName);
  return reply && reply->status == RunningCopyProtocol::kOk && reply->result == 1;
}

bool RunningCopyClient::HandOver(const std::vector<std::string>& args, int timeoutMs,
                                 const std::string& socketPath) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "/v" || args[i] == "-v" || args[i] == "/V" || args[i] == "-V") {
      return OpenViewInRunningCopy(args[i + 1], timeoutMs, socketPath);
    }
  }
  return RaiseRunningCopy(timeoutMs, socketPath);
}

RunningCopyClient::PortStatusResult RunningCopyClient::AskPortStatus(
    int64_t newestVersion, int timeoutMs, const std::string& socketPath) {
  RunningCopyProtocol::Request request;
  request.op = RunningCopyProtocol::kPortStatus;
  request.wParam = newestVersion;
  PortStatusResult result;
  int connectError = 0;
  const auto reply = Exchange(request, timeoutMs, socketPath, {}, &result.report, &connectError);
  if (reply) {
    result.outcome = reply->status == RunningCopyProtocol::kOk ? StatusOutcome::kReport
                                                               : StatusOutcome::kRefused;
  } else if (socketPath.empty() || connectError == ENOENT || connectError == ECONNREFUSED ||
             connectError == ENAMETOOLONG) {
    result.outcome = StatusOutcome::kNotRunning;
  }
  return result;
}

}  // namespace platform
