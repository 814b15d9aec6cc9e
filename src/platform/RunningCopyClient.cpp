#include "platform/RunningCopyClient.h"

#include <unistd.h>

#include <cerrno>

#include "platform/SystemClock.h"
#include "platform/UnixStream.h"

namespace platform {

namespace {
constexpr uint32_t kRetryMs = 10;
}  // namespace

std::optional<RunningCopyProtocol::Reply> RunningCopyClient::Exchange(
    const RunningCopyProtocol::Request& request, int timeoutMs, const std::string& socketPath) {
  Clock& clock = SystemClock::Instance();
  const uint32_t start = clock.TickCount();
  int fd = UnixStream::Connect(socketPath);
  // A full backlog means a busy copy, not a missing one: try again while time is left.
  while (fd < 0 && errno == EAGAIN &&
         Clock::Elapsed(start, clock.TickCount()) + kRetryMs < static_cast<uint32_t>(timeoutMs)) {
    clock.Sleep(kRetryMs);
    fd = UnixStream::Connect(socketPath);
  }
  if (fd < 0) return std::nullopt;
  const auto out = RunningCopyProtocol::EncodeRequest(request);
  std::array<uint8_t, RunningCopyProtocol::kReplySize> in{};
  std::optional<RunningCopyProtocol::Reply> reply;
  if (UnixStream::WriteAll(fd, out.data(), out.size(), timeoutMs) &&
      UnixStream::ReadExact(fd, in.data(), in.size(), timeoutMs)) {
    RunningCopyProtocol::Reply decoded;
    if (RunningCopyProtocol::DecodeReply(in.data(), in.size(), &decoded) ==
        RunningCopyProtocol::DecodeError::None) {
      reply = decoded;
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

}  // namespace platform
