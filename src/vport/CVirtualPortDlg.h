// The port window's state and handlers: one virtual port's local side (the control) and its TCP
// connection to the device server, all driven from the port thread's message loop. The Qt status
// window only shows what Model() holds.
//
// Threads: everything here runs on the port thread. Its loop watches the connection's socket as
// it watches the control, and a received chunk goes into the port on the thread that saw it
// arrive: no hand-over to another thread, so no cross-CPU wake-up, on either leg of a round trip.
// Nothing waits: what the socket does not take is held (ServerLink) and the port is not read
// meanwhile; what the port does not take is held (ServerDelivery) and the socket is not read
// meanwhile. A side that stops reading holds up neither the other direction nor a close or a
// removal. Only AbortSends comes from other threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Message.h"
#include "platform/MessageLoop.h"
#include "platform/TcpClientSocket.h"
#include "vport/BridgeCodes.h"
#include "vport/CVSPortAx.h"
#include "vport/LineSettings.h"
#include "vport/PortControlRequests.h"
#include "vport/PortControlServer.h"
#include "vport/PortLineControl.h"
#include "vport/PortObserver.h"
#include "vport/PortStatusModel.h"
#include "vport/PortThreadPolicy.h"
#include "vport/ServerDelivery.h"
#include "vport/ServerLink.h"
#include "vport/TelnetDecoder.h"
#include "vport/VSPortEvents.h"

namespace vport {

class CVirtualPortDlg : public VSPortEvents,
                        private ServerLink::Owner,
                        private PortControlRequests::Bridge {
 public:
  static constexpr long kSendChunk = 1022;  // most bytes taken from the control at once
  // Most bytes gathered from the control for one send: the reads of one data event go out
  // together, rather than one send per read.
  static constexpr std::size_t kSendBatch = 16384;
  // Most bytes one data event of the port, or one readable socket, takes before the loop's other
  // events get their turn.
  static constexpr long kReadOnBound = 65536;
  // A data event of at most this many bytes is one message of a request-and-reply protocol: it
  // is read and sent with no further look at the port, so a round trip costs no extra calls.
  static constexpr long kSmallWrite = 256;
  // Most bytes per receive: big enough that a busy stream needs few turns of the loop, small
  // enough that one chunk fits the pty's buffer in one write.
  static constexpr std::size_t kReceiveChunk = 16384;
  // While received bytes wait for the application: how often the bridge looks again under strict
  // pacing (the pacer, not the pty, decides the room), and else how often it checks for a stall.
  static constexpr uint32_t kPacedRetryMs = 10;
  static constexpr uint32_t kStallCheckMs = 100;
  static constexpr uint32_t kDefaultConnectTimeoutMs = ServerLink::kDefaultConnectTimeoutMs;

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
  void SetConnectTimeout(uint32_t ms) { link_.SetConnectTimeout(ms); }
  // Keepalive figures of the connections, or none (PORTOLAN_TCP_KEEPALIVE=off sets none).
  void SetKeepAlive(const std::optional<platform::TcpClientSocket::KeepAlive>& keepAlive) {
    link_.SetKeepAlive(keepAlive);
  }
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
  // and logging requests). True when handled. WM_VPORT_DATA reaches OnServerData as the socket's
  // own watch calls it, so a post of it from elsewhere is ignored unless it names the current
  // connection.
  bool HandleMessage(const platform::Message& message);
  // Any thread: until ClearAbort, a send that fails closes the connection without a message and
  // an application that does not read is not told so. For removal and shutdown.
  void AbortSends() { abortSends_.store(true); }
  // Port thread: failures are reported again.
  void ClearAbort() { abortSends_.store(false); }
  void ShowStatus();
  void HideStatus();
  void SetLogging(bool on) { model_.SetLogging(on); }

  // The control's events.
  void PortDataAvailable(long count) override;
  bool PortDataReadable() override;
  void PortOpenedClosed(bool open) override;
  void BaudRateChanged(long baud) override { model_.BaudRateChanged(baud); }
  void LineControlChanged(long stopBits, std::optional<long> parity,
                          std::optional<long> wordLength) override;
  void HandFlowChanged(const HandFlow& flow) override {
    model_.HandFlowChanged(flow.controlHandShake, flow.flowReplace, flow.xonLimit, flow.xoffLimit);
  }
  void SpecialCharsChanged(const SpecialChars& c) override {
    model_.SpecialCharsChanged(c.eofChar, c.errorChar, c.breakChar, c.eventChar, c.xonChar,
                               c.xoffChar);
  }
  void TimeoutsChanged(const CommTimeouts& t) override {
    model_.TimeoutsChanged(t.readInterval, t.readMultiplier, t.readConstant, t.writeMultiplier,
                           t.writeConstant);
  }
  void SettingsWritten(const PortSettings& settings) override;
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
  bool connecting() const { return link_.Connecting(); }
  const PortStatusModel& Model() const { return model_; }
  const CVSPortAx& Control() const { return control_; }
  const std::string& comName() const { return comName_; }

 private:
  void SetStatus(PortState state);
  void FinishOpen();
  void AfterConnected();
  void WatchControlEvents();
  void UpdateDataWatch();
  bool StartClosing();
  bool DataUnsent();
  void FinishClosingIfSent();
  void EndClosing();
  void CompleteApplicationClose();
  void OnPortDataReady(short revents);
  // The connection's events (see ServerLink::Owner).
  void LinkConnected() override;
  void LinkConnectFailed(const std::string& reason) override;
  void LinkReadable() override;
  void LinkDrained() override;
  void LinkSendFailed() override;
  // Sends what the socket takes now and holds the rest for the loop; false when the send failed.
  bool Transmit(const uint8_t* data, std::size_t len);
  // Sends count bytes from the port, after the first `filled` of sendBuffer_ (already read).
  void SendFromPort(long count, long filled = 0);
  bool SendChunk(long n);  // sends sendBuffer's first n bytes; false after a failure
  void SendFrames(const Frames& frames) override;
  void SendFixedLine();  // the fixed line control frames (line_ set)
  // Everything the server should know of the application's line: rate, line control (the fixed
  // one where set), flow control.
  Frames ApplicationLineFrames(const PortSettings& settings);
  void StartControlServer();
  // The control socket's requests (see PortControlRequests::Bridge).
  void TakePortEvents() override { control_.ProcessEvents(); }
  bool Connected() const override { return connected_; }
  bool Connecting() const override { return link_.Connecting(); }
  void SendFrame(const std::vector<uint8_t>& frame);
  // Hands received bytes to the application, or holds them (see ServerDelivery).
  void DeliverBytes(const uint8_t* data, std::size_t count);
  void RetryDelivery();
  void OnDeliveryTimer();
  void EndDeliveryWait();
  // Watches the socket for what the held bytes both ways ask.
  void RefreshSocketWatch();
  void OnPortFdReady(short revents);
  void ShowMessage(const std::string& text);
  // Logs why the server could not be reached, and hands the log on at once (not at the next
  // tick), so that the reason comes before the message that follows.
  void LogConnectFailure(const std::string& reason);
  void FlushLog();
  void ResetBuffers();
  // Hands the status window a snapshot; newLog is what the tick moved into the box.
  void NotifyStatus(bool show, bool fresh, bool removed, std::string newLog = {});

  platform::MessageLoop& loop_;
  platform::Clock& clock_;
  PortThreadPolicy threadPolicy_;  // of the port thread, which alone handles the data events
  CVSPortAx control_;
  PortStatusModel model_;
  PortObserver* observer_ = nullptr;
  std::string caption_ = "Portolan";

  int receiveError_ = 0;  // errno of the failed receive that OnServerData reports
  // Numbers the connections; WM_VPORT_DATA carries it in lParam, so that a post naming an
  // earlier connection is recognised and ignored.
  intptr_t connection_ = 0;
  std::atomic<bool> abortSends_{false};
  std::vector<uint8_t> carried_;        // what the socket had not taken when the port was reopened
  std::vector<uint8_t> sendBuffer_;     // kSendBatch bytes
  std::vector<uint8_t> receiveBuffer_;  // kReceiveChunk bytes
  long pendingCount_ = 0;               // bytes in receiveBuffer not yet handled
  bool portDataDeferred_ = false;       // the port's data waits until the link holds nothing
  bool dataWatched_ = false;            // the loop watches the port's data descriptor itself
  bool dataWatchLapsed_ = false;        // ... and gave up on it for this connection
  bool closing_ = false;  // the application closed; the connection stays until its data is sent
  std::vector<uint8_t> decoded_;  // data bytes of one decoded chunk (capacity kept)
  ServerDelivery delivery_;       // received bytes the application has not taken yet
  bool roomWatched_ = false;      // the loop watches the port for room for them
  bool applicationOpen_ = false;  // an application has the port open (as last reported)
  bool lineWritten_ = false;      // ... and has written its line settings since it opened it

  std::string ipAddr_, tcpPort_, comName_;
  uint32_t flags_ = 0;
  std::optional<LineSettings> line_;
  bool priming_ = false;
  bool rfc2217_ = false;
  bool strictBaud_ = false;
  bool connected_ = false;
  bool created_ = false;
  int createError_ = 0;
  ServerLink link_;  // the connection to the server
  TelnetDecoder telnet_;
  PortLineControl lineControl_;
  PortControlRequests requests_;  // after everything its handler uses
};

}  // namespace vport
