// The port window's state and handlers: one virtual port's local side (the control), its TCP
// connection to the device server and the receive thread, all driven from the port thread's
// message loop. The Qt status window only shows what Model() holds.
//
// Threads: everything here runs on the port thread except ReceiveThreadProc. The two share the
// socket, stopReceive and two receive slots, each a buffer with its own pending count. The receive
// thread fills a slot only while its count is 0, then sets the count and posts WM_VPORT_DATA; the
// port thread uses the bytes and sets the count back to 0. The slots are used in turn by both
// sides, so while the port thread writes one chunk into the port the receive thread is already
// receiving the next. Counts and flags are atomic. The receive thread blocks in recv; the port
// thread wakes it through a wake descriptor only when it waits for a free slot, and stops it by
// shutting the socket down.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/TcpClientSocket.h"
#include "vport/BridgeCodes.h"
#include "vport/CVSPortAx.h"
#include "vport/LineSettings.h"
#include "vport/PortControlServer.h"
#include "vport/PortLineControl.h"
#include "vport/PortObserver.h"
#include "vport/PortStatusModel.h"
#include "vport/TelnetDecoder.h"
#include "vport/VSPortEvents.h"

namespace vport {

class CVirtualPortDlg : public VSPortEvents {
 public:
  static constexpr std::size_t kBufferSize = 1024;  // the send buffer
  static constexpr long kSendChunk = 1022;          // most bytes taken from the control at once
  // Most bytes per hand-over: big enough that a busy stream needs few thread switches, small
  // enough that one chunk fits the pty's buffer in one write.
  static constexpr std::size_t kReceiveChunk = 16384;
  static constexpr int kReceiveSlots = 2;
  // Safety net of the receive thread's wait for a free slot; the port thread's wake ends it first.
  static constexpr int kSlotWaitMs = 30;
  static constexpr int kDeliveryAttempts = 100;
  static constexpr uint32_t kDeliveryWaitMs = 100;
  // A connect gets this long before it counts as failed (the system's own limit is minutes).
  static constexpr uint32_t kDefaultConnectTimeoutMs = 15000;
  static constexpr uint32_t kPrimeSettleMs = 150;
  static constexpr uint32_t kPrimeRetryMs = 250;

  // loop: the port thread's loop (timers, fd watches and the receive thread's posts go there).
  // clock: what the delivery and priming waits sleep on.
  CVirtualPortDlg(platform::MessageLoop& loop, platform::Clock& clock);
  // Ends the connection and the receive thread; the control removes the port when it goes.
  ~CVirtualPortDlg() override;
  CVirtualPortDlg(const CVirtualPortDlg&) = delete;
  CVirtualPortDlg& operator=(const CVirtualPortDlg&) = delete;

  void SetObserver(PortObserver* observer) { observer_ = observer; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  const std::string& Caption() const { return caption_; }
  void SetConnectTimeout(uint32_t ms) { connectTimeoutMs_ = ms; }
  // Before the port is made: fixed line settings an RFC 2217 server gets in place of the pty's.
  void SetLineSettings(const std::optional<LineSettings>& line) { line_ = line; }

  // The bridge's operations; results are BridgeCode values.
  int CreateLocalPort(const std::string& ipAddr, const std::string& tcpPort,
                      const std::string& comName, uint32_t flags);
  int OpenConnection();
  int CloseConnection();
  int RemoveLocalPort();
  int ConnectToServer();
  int OnServerData(intptr_t wParam, intptr_t lParam);
  int DeliverToPort();
  void ReportCommError(int errorCode);
  void PrimePort();

  // Messages of the port thread that belong to the window (WM_VPORT_DATA, WM_TIMER, the status
  // and logging requests). True when handled.
  bool HandleMessage(const platform::Message& message);
  // Any thread: ends a send that waits for a server that stopped reading, and fails every later
  // one, until ClearAbort. The connection is then closed without a message. For removal and
  // shutdown, which would otherwise wait on that server for ever.
  void AbortSends();
  // Port thread: sends wait for the server again.
  void ClearAbort();
  void ShowStatus();
  void HideStatus();
  void SetLogging(bool on);

  // The control's events.
  void PortDataAvailable(long count) override;
  void PortOpenedClosed(bool open) override;
  void BaudRateChanged(long baud) override;
  void LineControlChanged(long stopBits, std::optional<long> parity,
                          std::optional<long> wordLength) override;
  void HandFlowChanged(const HandFlow& flow) override;
  void SpecialCharsChanged(const SpecialChars& chars) override;
  void TimeoutsChanged(const CommTimeouts& timeouts) override;
  void DtrChanged(bool on) override { model_.DtrChanged(on); }
  void RtsChanged(bool on) override { model_.RtsChanged(on); }
  void RingSignalled() override { model_.RingSignalled(); }
  void EventMaskChanged(long mask) override {
    model_.EventMaskChanged(static_cast<uint32_t>(mask));
  }
  void BreakChanged(bool on) override { model_.BreakChanged(on); }

  bool created() const { return created_; }
  // The errno value of the last failed CreateLocalPort (ECANCELED: the thread was ending).
  int CreateError() const { return createError_; }
  // Tells the observer why the port could not be made.
  void ReportCreationFailure();
  bool connected() const { return connected_; }
  bool connecting() const { return connecting_; }
  const PortStatusModel& Model() const { return model_; }
  const CVSPortAx& Control() const { return control_; }
  const std::string& comName() const { return comName_; }
  // The port's control socket (empty while it has none).
  std::string ControlSocketPath() const {
    return controlServer_.Running() ? controlServer_.Path() : std::string();
  }

  // Receive thread: selects, receives and posts until stopReceive. Exit code 16 when stopped,
  // 0 after reporting a failed or closed connection.
  static int ReceiveThreadProc(CVirtualPortDlg* window);

 private:
  void SetStatus(PortState state);
  void OnConnectReady(short revents);
  void OnConnectTimeout();
  void CancelConnect();
  void FinishOpen();
  void AfterConnected();
  void SendFromPort(long count);
  bool SendChunk(long n);  // sends sendBuffer's first n bytes; false after a failure
  void SendFrames(const std::vector<std::vector<uint8_t>>& frames);
  void SendFixedLine();  // the fixed line control frames (line_ set)
  void StartControlServer();
  control::Reply OnControlRequest(const control::Request& request);
  void SendFrame(const std::vector<uint8_t>& frame);
  int DeliverBytes(const uint8_t* data, long count);
  void WakeReceiver();
  void StopReceiver();
  void ReleaseSlot();
  void ShowMessage(const std::string& text);
  // Logs why the server could not be reached, and hands the log on at once (not at the next
  // tick), so that the reason comes before the message that follows.
  void LogConnectFailure(const std::string& reason);
  void FlushLog();
  void ResetBuffers();
  // Hands the status window a snapshot; newLog is what the tick moved into the box.
  void NotifyStatus(bool show, bool fresh, bool removed, std::string newLog = {});

  struct ReceiveSlot {
    std::array<uint8_t, kReceiveChunk> bytes{};
    std::atomic<int> count{0};  // bytes not yet handled by the port thread; 0 = slot free
  };

  platform::MessageLoop& loop_;
  platform::Clock& clock_;
  CVSPortAx control_;
  PortStatusModel model_;
  PortObserver* observer_ = nullptr;
  std::string caption_ = "Portolan";
  uint32_t connectTimeoutMs_ = kDefaultConnectTimeoutMs;

  std::thread receiveThread_;
  std::atomic<bool> stopReceive_{true};
  std::atomic<bool> receiverWaiting_{false};  // the receive thread waits for a free slot
  std::atomic<int> receiveError_{0};          // errno of a failed receive, set before its post
  // Numbers the connections; WM_VPORT_DATA carries it in lParam, so that a post of an earlier
  // connection still queued when a new one opens is recognised and ignored.
  std::atomic<intptr_t> connection_{0};
  int wakeFd_ = -1;   // eventfd: the port thread tells the receive thread to look again
  int abortFd_ = -1;  // eventfd: readable while sends are to give up (AbortSends)
  std::atomic<bool> abortSends_{false};
  platform::TcpClientSocket socket_;
  std::array<uint8_t, kBufferSize> sendBuffer_{};
  std::array<ReceiveSlot, kReceiveSlots> slots_{};
  int readSlot_ = 0;              // port thread: the slot the next WM_VPORT_DATA refers to
  std::vector<uint8_t> decoded_;  // data bytes of one decoded chunk (capacity kept)

  std::string ipAddr_, tcpPort_, comName_;
  uint32_t flags_ = 0;
  std::optional<LineSettings> line_;
  bool priming_ = false;
  bool rfc2217_ = false;
  bool strictBaud_ = false;
  bool connected_ = false;
  bool connecting_ = false;
  bool created_ = false;
  int createError_ = 0;
  TelnetDecoder telnet_;
  PortLineControl lineControl_;
  PortControlServer controlServer_;  // after everything its handler uses
};

}  // namespace vport
