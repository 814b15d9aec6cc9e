#include "vport/ServerLink.h"

#include <poll.h>

#include <cstring>

#include "vport/BridgeCodes.h"

namespace vport {

ServerLink::~ServerLink() {
  CancelConnect();
  if (socket_.IsOpen()) loop_.UnwatchFd(socket_.Fd());
  EndLinger();  // the loop ends with us: nothing would read it any more
}

ServerLink::Start ServerLink::Connect(const std::string& ipAddr, const std::string& tcpPort) {
  outgoing_.clear();
  outgoingDone_ = 0;
  heldFrames_.Clear();
  events_ = 0;
  const uint16_t port = platform::TcpClientSocket::ParsePort(tcpPort);
  switch (socket_.StartConnect(ipAddr, port)) {
    case platform::TcpClientSocket::ConnectState::kFailed:
      return Start::kFailed;
    case platform::TcpClientSocket::ConnectState::kConnected:
      return Start::kConnected;
    case platform::TcpClientSocket::ConnectState::kInProgress:
      break;
  }
  // The connect completes in the loop, so that the port's events (the application closing the
  // port, a removal) are still handled meanwhile.
  connecting_ = true;
  loop_.WatchFd(socket_.Fd(), POLLOUT, [this](int, short) { OnConnectReady(); });
  loop_.SetTimer(kConnectTimerId, connectTimeoutMs_);
  return Start::kInProgress;
}

void ServerLink::CancelConnect() {
  if (!connecting_) return;
  loop_.UnwatchFd(socket_.Fd());
  loop_.KillTimer(kConnectTimerId);
  socket_.Close();
  connecting_ = false;
}

void ServerLink::OnConnectReady() {
  if (!connecting_) return;
  loop_.UnwatchFd(socket_.Fd());
  loop_.KillTimer(kConnectTimerId);
  connecting_ = false;
  if (const int error = socket_.FinishConnect(); error != 0) {
    owner_.LinkConnectFailed(std::strerror(error));
    return;
  }
  owner_.LinkConnected();
}

void ServerLink::Opened() {
  // See docs/bridge.md: without it a small write following another waits for the server's
  // delayed acknowledgement.
  socket_.SetNoDelay();
  // A server that vanishes while the application only reads is noticed within a minute.
  if (keepAlive_) socket_.SetKeepAlive(*keepAlive_);
  events_ = 0;
  Watch(true);
}

void ServerLink::Watch(bool receive) {
  receive_ = receive;
  if (!socket_.IsOpen() || connecting_) return;
  const short events = static_cast<short>((receive ? POLLIN : 0) | (Holding() ? POLLOUT : 0));
  if (events == events_) return;
  events_ = events;
  if (events == 0) {
    loop_.UnwatchFd(socket_.Fd());
    return;
  }
  // Level-triggered, and the loop takes turns among ready descriptors: a steady stream from the
  // server leaves the port's own events (the application's data, its close) their turn.
  loop_.WatchFd(socket_.Fd(), events, [this](int, short revents) { OnReady(revents); });
}

void ServerLink::OnReady(short revents) {
  // An error or hang-up shows in both: the send or the receive reports it.
  if ((events_ & POLLOUT) != 0 && (revents & (POLLOUT | POLLERR | POLLHUP)) != 0) Flush();
  if (socket_.IsOpen() && receive_ && (revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
    owner_.LinkReadable();
  }
}

bool ServerLink::Send(const uint8_t* data, std::size_t len) {
  if (outgoing_.empty()) {
    const long n = socket_.SendNow(data, len);
    if (n < 0) return false;
    data += n;
    len -= static_cast<std::size_t>(n);
    if (len == 0) return true;
  }
  outgoing_.insert(outgoing_.end(), data, data + len);
  Watch(receive_);
  return true;
}

void ServerLink::SendFrame(const Bytes& frame) {
  if (frame.empty()) return;
  if (Holding()) {
    heldFrames_.Hold(frame);
    return;
  }
  Send(frame.data(), frame.size());
}

void ServerLink::Flush() {
  const long n =
      socket_.SendNow(outgoing_.data() + outgoingDone_, outgoing_.size() - outgoingDone_);
  if (n < 0) {
    owner_.LinkSendFailed();
    return;
  }
  outgoingDone_ += static_cast<std::size_t>(n);
  if (outgoingDone_ < outgoing_.size()) return;
  outgoing_.clear();
  outgoingDone_ = 0;
  for (const Bytes& frame : heldFrames_.Take()) {
    if (!Send(frame.data(), frame.size())) {
      owner_.LinkSendFailed();
      return;
    }
  }
  if (Holding()) return;  // a frame did not fit: they go on once the socket has room
  Watch(receive_);
  owner_.LinkDrained();
}

std::vector<uint8_t> ServerLink::TakeUnsent() {
  std::vector<uint8_t> unsent(outgoing_.begin() + static_cast<long>(outgoingDone_),
                              outgoing_.end());
  outgoing_.clear();
  outgoingDone_ = 0;
  return unsent;
}

void ServerLink::End() {
  CancelConnect();
  outgoing_.clear();
  outgoingDone_ = 0;
  heldFrames_.Clear();
  if (!socket_.IsOpen()) return;
  if (events_ != 0) loop_.UnwatchFd(socket_.Fd());
  events_ = 0;
  receive_ = false;
  EndLinger();  // one connection lingers at a time; an older one ends now
  lingering_.Swap(socket_);
  lingering_.ShutdownSend();
  loop_.WatchFd(lingering_.Fd(), POLLIN, [this](int, short) { OnLingerReadable(); });
  loop_.SetTimer(kLingerTimerId, kLingerMs);
}

void ServerLink::OnLingerReadable() {
  // The connection is over for the port: what still comes has no reader.
  uint8_t scrap[4096];
  for (int i = 0; i < 16; ++i) {
    const auto received = lingering_.Receive(scrap, sizeof scrap, false);
    if (received.wouldBlock) return;
    if (received.count <= 0) break;  // the server's end, or a failure: nothing more to wait for
  }
  EndLinger();
}

void ServerLink::EndLinger() {
  if (!lingering_.IsOpen()) return;
  loop_.UnwatchFd(lingering_.Fd());
  loop_.KillTimer(kLingerTimerId);
  lingering_.Close();
}

bool ServerLink::HandleTimer(uintptr_t timerId) {
  if (timerId == kLingerTimerId) {
    EndLinger();
    return true;
  }
  if (timerId != kConnectTimerId) return false;
  if (connecting_) {
    CancelConnect();
    owner_.LinkConnectFailed("no answer within " + std::to_string(connectTimeoutMs_) + " ms");
  }
  return true;
}

}  // namespace vport
