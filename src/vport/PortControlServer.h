// A port's control socket: the preload library in a serial application asks the port's bridge
// here for what a pty cannot carry (data size, parity, modem lines, break). A SOCK_SEQPACKET Unix
// socket in the port folder, named after the port's pty (".pts7.ctl" for /dev/pts/7, so that the
// library finds it from the descriptor the application holds), mode 0600 in a 0700 folder.
//
// Runs in the port thread's loop. Only connections of the allowed user (the program's own; the
// peer's credentials are checked) are served, at most kMaxClients at a time. Each packet is one
// request; one that does not decode is refused, logged through the notice callback, and its
// connection closed. Nothing in a request is trusted beyond what the codec checked.
//
// A wait (control::Op::kWaitModem) whose reply says `waiting` stays with its connection: the
// owner answers it later through AnswerWaits or AnswerAllWaits, from the loop's thread. The
// connection's next request, or its close, ends it unanswered.
//
// A connection that sends no request for kIdleMs (after it is made, or after its last answer) and
// has no wait pending is dropped: a client that stopped half-way (a thread cancelled in its call)
// would otherwise hold one of the kMaxClients places for good.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/MessageLoop.h"
#include "platform/OneShotTimer.h"
#include "platform/SeqpacketSockets.h"
#include "platform/SystemSeqpacketSockets.h"
#include "vport/PortControlMessage.h"

namespace vport {

class PortControlServer {
 public:
  using Handler = std::function<control::Reply(const control::Request&)>;
  using Notice = std::function<void(const std::string&)>;
  static constexpr std::size_t kMaxClients = 8;
  static constexpr std::uint32_t kIdleMs = 1000;

  // The socket path of the pty slavePath ("/dev/pts/7") in folder; empty when slavePath is not a
  // /dev/pts node.
  static std::string SocketPath(const std::string& folder, const std::string& slavePath);

  explicit PortControlServer(
      platform::MessageLoop& loop, uid_t allowedUid = geteuid(),
      platform::SeqpacketSockets& sockets = platform::SystemSeqpacketSockets::Instance());
  ~PortControlServer();
  PortControlServer(const PortControlServer&) = delete;
  PortControlServer& operator=(const PortControlServer&) = delete;

  // Listens at path. A socket left there by an earlier run is replaced; anything else there is
  // not ours (EEXIST). Returns 0 or an errno value.
  int Start(const std::string& path, Handler handler, Notice notice);
  // Closes every connection and removes the socket (while it is still ours).
  void Stop();
  bool Running() const { return listener_.fd >= 0; }
  std::size_t Clients() const { return clients_.size(); }
  const std::string& Path() const { return path_; }
  // Sends reply to every pending wait on any of lines (control::kCts ...) and ends those waits.
  void AnswerWaits(std::uint8_t lines, const control::Reply& reply);
  // Sends reply to every pending wait, whatever its lines, and ends them all.
  void AnswerAllWaits(const control::Reply& reply);
  std::size_t Waits() const { return waits_.size(); }
  // Replaces kIdleMs (for tests that must not race the drop). Before Start.
  void SetIdleLimit(std::uint32_t ms) { idleMs_ = ms; }

 private:
  void OnAccept();
  void OnClient(int fd, short revents);
  void Drop(int fd);
  // Drops the connections idle for idleMs_, then sets the timer for the next one to come due.
  void DropIdle();
  void ArmIdleTimer();
  void Tell(const std::string& text) const;
  // Sends reply to the waits that match, and ends them; a connection whose send fails is left to
  // its own hang-up, so that this is safe inside the handler.
  void Answer(bool all, std::uint8_t lines, const control::Reply& reply);

  platform::MessageLoop& loop_;
  const uid_t allowedUid_;
  platform::SeqpacketSockets& sockets_;
  platform::SeqpacketSockets::Listener listener_;
  std::string path_;
  std::map<int, std::uint32_t> clients_;  // connection -> tick of its making or last answer
  std::map<int, std::uint8_t> waits_;     // connection -> the lines its pending wait names
  platform::OneShotTimer idleTimer_;
  std::uint32_t idleMs_ = kIdleMs;
  Handler handler_;
  Notice notice_;
};

}  // namespace vport
