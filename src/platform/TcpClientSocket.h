// A client TCP stream socket to an IPv4 address, with the few calls the port bridge makes. The
// connect is non-blocking so that the caller can wait for it together with its other events and
// give up on it; data calls block as usual once connected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class TcpClientSocket {
 public:
  enum class ConnectState { kConnected, kInProgress, kFailed };

  TcpClientSocket() = default;
  ~TcpClientSocket();
  TcpClientSocket(const TcpClientSocket&) = delete;
  TcpClientSocket& operator=(const TcpClientSocket&) = delete;

  // Creates the socket (closing any earlier one) and starts connecting to ipAddr (dotted text)
  // at port. kFailed leaves no socket open and the errno value in LastError().
  ConnectState StartConnect(const std::string& ipAddr, uint16_t port);
  // After the socket turned writable: 0 when connected, else the errno value of the failure
  // (the socket is then closed).
  int FinishConnect();

  // Switches Nagle's delay off, so that small writes leave at once.
  bool SetNoDelay();
  // Probes an idle connection: the first probe after idleS seconds without traffic, then every
  // intervalS seconds; after count unanswered probes (or data unacknowledged for as long) the
  // connection fails with ETIMEDOUT.
  struct KeepAlive {
    int idleS = 30;
    int intervalS = 10;
    int count = 3;
    unsigned UserTimeoutMs() const {
      return static_cast<unsigned>(idleS + intervalS * count) * 1000u;
    }
  };
  bool SetKeepAlive(const KeepAlive& keepAlive);
  // Blocking send of all len bytes (a partial send is continued). Returns len, or -1 with
  // LastError() set. With abortFd (an eventfd or pipe) the wait for room also ends when abortFd
  // turns readable: a peer that stops reading must not hold the caller for ever. That failure
  // is ECANCELED; abortFd is only watched, never read.
  long Send(const uint8_t* data, size_t len, int abortFd = -1);
  // Sends what the socket takes now, without waiting: the bytes taken (0 when it has no room),
  // or -1 with LastError() set. For callers that wait for room in their own loop.
  long SendNow(const uint8_t* data, size_t len);
  // One receive of at most capacity bytes: the count, 0 when the peer closed in order, -1 on
  // failure with the errno value in the result's error. With wait false it returns at once, and
  // wouldBlock says that nothing was there yet (count 0 then means nothing).
  struct Received {
    long count = 0;
    int error = 0;
    bool wouldBlock = false;
  };
  Received Receive(uint8_t* data, size_t capacity, bool wait = true);

  // Ends both directions without releasing the descriptor: a receive blocked in another thread
  // returns 0 at once.
  void Shutdown();
  // Ends our direction only (the peer reads its end of data after all we sent); receives go on.
  void ShutdownSend();
  // Exchanges the connections of two sockets: one connection can end while the next starts.
  void Swap(TcpClientSocket& other);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  int LastError() const { return lastError_; }

  // The port number of decimal text: 1 to 65535 with nothing else, or 0 when invalid.
  static uint16_t ParsePort(const std::string& text);

 private:
  int WaitForRoom(int abortFd) const;

  int fd_ = -1;
  int lastError_ = 0;
};

}  // namespace platform
