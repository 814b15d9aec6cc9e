// The running side of the handshake: serves "portolan.sock" beside the instance lock on a thread
// of its own. It answers the query 0x8013 with 123456789 (any other message with 0), and passes
// a restore-and-raise request to the callback, which runs on the server thread (post from it to
// the GUI thread). Only connections from our own user are served; each gets one request, read
// with a deadline, and one reply.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/RunningCopyProtocol.h"

namespace platform {

class RunningCopyServer {
 public:
  using RaiseCallback = std::function<void()>;
  // Runs on the server thread too, with the view's name.
  using OpenViewCallback = std::function<void(const std::string& viewName)>;
  // Runs on the server thread too: the port report in the newest version the client reads (at
  // most RunningCopyProtocol::kMaxStatusPayload bytes), or nothing to refuse the request.
  using PortStatusCallback =
      std::function<std::optional<std::vector<uint8_t>>(int64_t newestVersion)>;
  static constexpr int kRequestTimeoutMs = 1000;
  // The pause after an accept that failed for want of descriptors or memory.
  static constexpr int kAcceptRetryMs = 100;
  // After the answer: how long, and how much, the client may still send before the socket closes.
  static constexpr int kDrainWaitMs = 200;
  static constexpr std::size_t kDrainMaxBytes = 64 * 1024;

  explicit RunningCopyServer(RaiseCallback onRaise,
                             std::string socketPath = RunningCopyProtocol::DefaultSocketPath());
  ~RunningCopyServer();
  RunningCopyServer(const RunningCopyServer&) = delete;
  RunningCopyServer& operator=(const RunningCopyServer&) = delete;

  // Before Start: the handler of open-view requests. Without one they are refused.
  void SetOpenViewCallback(OpenViewCallback onOpenView) { onOpenView_ = std::move(onOpenView); }
  // Before Start: the source of port-status replies. Without one they are refused.
  void SetPortStatusCallback(PortStatusCallback onPortStatus) {
    onPortStatus_ = std::move(onPortStatus);
  }
  // Binds the socket, replacing a stale socket file that nobody serves, and starts the thread.
  // False when the path is unusable or another server answers on it.
  bool Start();
  // Ends the thread and removes the socket file, if it is still ours.
  void Stop();
  bool Running() const { return thread_.joinable(); }
  const std::string& SocketPath() const { return path_; }
  // Requests served so far (for tests and logs).
  unsigned Served() const { return served_.load(); }

 private:
  bool RemoveStaleSocket();
  void Serve();
  void HandleConnection(int fd);
  void DrainBeforeClose(int fd);

  bool ReadViewName(int fd, int64_t length, std::string* name);
  // The report for a port-status request; nothing when it is refused.
  std::optional<std::vector<uint8_t>> PortStatus(int64_t newestVersion) const;

  RaiseCallback onRaise_;
  OpenViewCallback onOpenView_;
  PortStatusCallback onPortStatus_;
  std::string path_;
  int listenFd_ = -1;
  int stopFd_ = -1;
  dev_t boundDev_ = 0;
  ino_t boundIno_ = 0;
  std::thread thread_;
  std::atomic<unsigned> served_{0};
};

}  // namespace platform
