// The TCP connection of a virtual port to its device server, driven from the port thread's loop:
// the connect (non-blocking, bounded), sends that never wait (what the socket does not take is
// held, and frames the application drives wait bounded, see HeldFrames), the watch for data and
// room, and the end (half-closed and read until the server's end, see kLingerMs). What the
// connection means for the port (status, log, messages, the pty) stays with the owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/TcpClientSocket.h"
#include "vport/HeldFrames.h"

namespace vport {

class ServerLink {
 public:
  // A connect gets this long before it counts as failed (the system's own limit is minutes).
  static constexpr uint32_t kDefaultConnectTimeoutMs = 15000;
  // An ended connection is half-closed and read until the server closes its end, at most this
  // long: closing with the server's bytes unread would reset it, and drop what we sent last.
  static constexpr uint32_t kLingerMs = 3000;

  // What the owner hears, on the loop's thread.
  class Owner {
   public:
    virtual ~Owner() = default;
    virtual void LinkConnected() = 0;  // a connect that was under way
    virtual void LinkConnectFailed(const std::string& reason) = 0;
    virtual void LinkReadable() = 0;  // data, the server's end or a failure: Receive says
    virtual void LinkDrained() = 0;   // everything held went out
    virtual void LinkSendFailed() = 0;
  };
  enum class Start { kConnected, kInProgress, kFailed };

  ServerLink(platform::MessageLoop& loop, Owner& owner) : loop_(loop), owner_(owner) {}
  ~ServerLink();
  ServerLink(const ServerLink&) = delete;
  ServerLink& operator=(const ServerLink&) = delete;

  void SetConnectTimeout(uint32_t ms) { connectTimeoutMs_ = ms; }
  uint32_t ConnectTimeoutMs() const { return connectTimeoutMs_; }
  void SetKeepAlive(const std::optional<platform::TcpClientSocket::KeepAlive>& keepAlive) {
    keepAlive_ = keepAlive;
  }

  // kFailed leaves the errno value in LastError; kInProgress ends in LinkConnected or
  // LinkConnectFailed.
  Start Connect(const std::string& ipAddr, const std::string& tcpPort);
  bool Connecting() const { return connecting_; }
  void CancelConnect();
  // The connection is up: its options, and the watch for data.
  void Opened();
  // Watches for the server's data (receive) and, while bytes are held, for room.
  void Watch(bool receive);

  // Sends what the socket takes now and holds the rest; false when the send failed.
  bool Send(const uint8_t* data, std::size_t len);
  // While bytes are held only the latest frame of each kind waits; they go out after what is
  // held. The result is not looked at: a dead connection shows on the data.
  void SendFrame(const Bytes& frame);
  bool Holding() const { return !outgoing_.empty(); }
  // The bytes held and not sent, which are no longer held afterwards.
  std::vector<uint8_t> TakeUnsent();
  platform::TcpClientSocket::Received Receive(uint8_t* data, std::size_t capacity) {
    return socket_.Receive(data, capacity, false);
  }

  // Ends the connection: unwatched, what is held dropped, half-closed and read until the
  // server's end. One connection lingers at a time; an older one is closed now.
  void End();
  // The loop's timers of the connect and the lingering end; false for another timer.
  bool HandleTimer(uintptr_t timerId);
  int LastError() const { return socket_.LastError(); }

 private:
  void OnConnectReady();
  void OnReady(short revents);
  void Flush();
  void OnLingerReadable();
  void EndLinger();

  platform::MessageLoop& loop_;
  Owner& owner_;
  uint32_t connectTimeoutMs_ = kDefaultConnectTimeoutMs;
  std::optional<platform::TcpClientSocket::KeepAlive> keepAlive_;
  platform::TcpClientSocket socket_;
  platform::TcpClientSocket lingering_;  // an ended connection read until the server's end
  bool connecting_ = false;
  bool receive_ = false;           // the owner wants the server's data
  short events_ = 0;               // what the loop watches the socket for
  std::vector<uint8_t> outgoing_;  // bytes for the server that the socket has not taken
  std::size_t outgoingDone_ = 0;   // of which sent
  HeldFrames heldFrames_;          // frames that came while outgoing_ was not empty
};

}  // namespace vport
