#include "vport/CVirtualPortDlg.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Prompt.h"
#include "platform/SystemClock.h"
#include "platform/TerminalNode.h"
#include "platform/WindowMessages.h"
#include "vport/BridgeMessages.h"
#include "vport/PortFlags.h"
#include "vport/PortLogLines.h"
#include "vport/PortPriming.h"
#include "vport/Rfc2217Frames.h"

namespace vport {

using bridgemessages::CommError;
using bridgemessages::ProcessingError;
using bridgemessages::UnableToOpen;

CVirtualPortDlg::CVirtualPortDlg(platform::MessageLoop& loop, platform::Clock& clock)
    : loop_(loop),
      clock_(clock),
      control_(*this),
      sendBuffer_(kSendBatch),
      receiveBuffer_(kReceiveChunk),
      link_(loop, *this),
      requests_(loop, lineControl_, model_, *this) {
  decoded_.reserve(kReceiveChunk);
  const char* keepAlive = std::getenv("PORTOLAN_TCP_KEEPALIVE");
  if (keepAlive == nullptr || std::strcmp(keepAlive, "off") != 0) {
    link_.SetKeepAlive(platform::TcpClientSocket::KeepAlive{});
  }
}

CVirtualPortDlg::~CVirtualPortDlg() {
  requests_.Stop();
  CloseConnection();
  if (created_) {
    loop_.UnwatchFd(control_.EventFd());
    // The port goes with the window, held by an application or not.
    control_.ForceRemovePort();
    if (observer_ != nullptr) observer_->PortRemoved(comName_);
  }
}

void CVirtualPortDlg::SetStatus(PortState state) {
  switch (state) {
    case PortState::kConnecting:
      model_.Connecting();
      break;
    case PortState::kOpen:
      model_.Opened();
      break;
    case PortState::kClosed:
      carried_.clear();  // a reopening whose connect failed: its predecessor's bytes go too
      model_.Closed();
      requests_.EndModemWaits();
      break;
  }
  if (observer_ != nullptr) observer_->StateChanged(comName_, model_.StatusText());
  if (model_.statusVisible()) NotifyStatus(false, false, false);
}

void CVirtualPortDlg::NotifyStatus(bool show, bool fresh, bool removed, std::string newLog) {
  if (observer_ == nullptr) return;
  PortStatusSnapshot snapshot = model_.Snapshot();
  snapshot.show = show;
  snapshot.fresh = fresh;
  snapshot.removed = removed;
  snapshot.newLog = std::move(newLog);
  observer_->StatusChanged(snapshot);
}

void CVirtualPortDlg::ShowMessage(const std::string& text) {
  platform::CurrentPrompt().MessageBox(text, caption_, platform::MB_OK);
}

void CVirtualPortDlg::ResetBuffers() {
  std::fill(sendBuffer_.begin(), sendBuffer_.end(), uint8_t{0});
  std::fill(receiveBuffer_.begin(), receiveBuffer_.end(), uint8_t{0});
  pendingCount_ = 0;
  portDataDeferred_ = false;
  delivery_.Clear();
  loop_.KillTimer(kDeliveryTimerId);
  telnet_.Reset();
}

int CVirtualPortDlg::CreateLocalPort(const std::string& ipAddr, const std::string& tcpPort,
                                     const std::string& comName, uint32_t flags) {
  if (created_) return BRIDGE_OK;
  ResetBuffers();
  ipAddr_ = ipAddr;
  tcpPort_ = tcpPort;
  comName_ = comName;
  flags_ = flags;
  rfc2217_ = (flags & PORTFLAG_RFC2217) != 0;
  createError_ = EINVAL;
  if (comName.empty()) return BRIDGE_NO_PORT;
  if (!control_.AddPort(comName)) {
    createError_ = control_.LastError();
    return BRIDGE_NO_PORT;
  }
  strictBaud_ = (flags & PORTFLAG_STRICTBAUD) != 0;
  if (strictBaud_) control_.SetStrictBaudrate(true);
  control_.SetActive(true);
  WatchControlEvents();
  connected_ = false;
  created_ = true;
  model_.PortCreated(comName, tcpPort, rfc2217_, strictBaud_);
  PrimePort();
  // Applications find the port only once it has its first settings, and not at all when the
  // thread was told to end meanwhile (the program stops during its start-up).
  createError_ = loop_.QuitReached() ? ECANCELED : 0;
  if (createError_ != 0 || !control_.PublishLink()) {
    if (createError_ == 0) createError_ = control_.LastError();
    loop_.UnwatchFd(control_.EventFd());
    control_.RemovePort();
    created_ = false;
    return BRIDGE_NO_PORT;
  }
  StartControlServer();
  if (observer_ != nullptr) observer_->PortCreated(comName_, control_.LinkPath());
  NotifyStatus(false, true, false);
  return BRIDGE_OK;
}

void CVirtualPortDlg::StartControlServer() {
  lineControl_.Configure(rfc2217_, line_.has_value());
  // Beside the port's link, in the same private folder.
  const std::string& link = control_.LinkPath();
  const std::string path =
      PortControlServer::SocketPath(link.substr(0, link.rfind('/')), control_.SlavePath());
  const int error = path.empty() ? ENOTSUP : requests_.Start(path, rfc2217_);
  // The port runs without it; applications then get the pty's own behaviour.
  if (error != 0 && observer_ != nullptr) {
    char text[256];
    observer_->Notice(
        comName_, std::string("control socket not made: ") + strerror_r(error, text, sizeof text));
  }
}

void CVirtualPortDlg::ReportCreationFailure() {
  if (observer_ == nullptr) return;
  char text[256];
  // The GNU strerror_r, safe with other ports' threads failing at the same time.
  observer_->PortCreationFailed(comName_, strerror_r(createError_, text, sizeof text));
}

void CVirtualPortDlg::PrimePort() {
  priming_ = true;
  // Through the pty's own node: the link does not exist yet, so nobody else can be in the way.
  platform::TerminalNode slave;
  if (slave.Open(control_.SlavePath()) != 0) {
    priming_ = false;
    return;
  }
  auto settle = [this](uint32_t ms) {
    const uint32_t start = clock_.TickCount();
    for (;;) {
      const uint32_t elapsed = platform::Clock::Elapsed(start, clock_.TickCount());
      if (elapsed >= ms) break;
      if (loop_.WaitOne(static_cast<int>(ms - elapsed)) == platform::MessageLoop::WaitResult::Quit)
        break;
    }
  };
  PrimeTerminal(slave, settle);
  slave.Close();
  // Our own open and close are taken now, and the settings we made reported while ignored.
  control_.ForgetOwnOpens();
  control_.ProcessEvents();
  priming_ = false;
}

void CVirtualPortDlg::PortOpenedClosed(bool open) {
  if (priming_) return;
  applicationOpen_ = open;
  // A line written before a close still goes out with the connection that carries its data.
  if (open) lineWritten_ = false;
  if (!open && delivery_.Pending()) EndDeliveryWait();  // no reader for them any more
  if (open) {
    if (closing_) {
      // Opened again before the last application's data was through: that connection ends, and
      // what still waits goes out first on the new one rather than being dropped.
      std::vector<uint8_t> held = link_.TakeUnsent();
      EndClosing();
      CloseConnection();
      carried_ = std::move(held);
    }
    const int code = OpenConnection();
    if (code != BRIDGE_OK) ShowMessage(UnableToOpen(comName_));
    if (connected_) AfterConnected();
  } else if (!StartClosing()) {
    CompleteApplicationClose();
    CloseConnection();
  }
}

bool CVirtualPortDlg::StartClosing() {
  // An application that writes and closes at once (a print job, say) has its close reported with
  // or before its last data: that data is seen through first, over the connection being made if
  // it is not up yet. A close with nothing left to send ends the connection (or connect) at once.
  if (closing_) return true;
  if (!(link_.Connecting() || connected_) || !DataUnsent()) return false;
  closing_ = true;
  // A server that takes nothing more does not keep the connection for ever.
  loop_.SetTimer(kCloseTimerId, link_.ConnectTimeoutMs());
  return true;
}

bool CVirtualPortDlg::DataUnsent() {
  // Not DataWaiting: after a read that emptied the line buffer, what a closing application wrote
  // beyond it is still on its way in, and the close would discard it.
  return link_.Holding() || control_.DataLeft() > 0;
}

void CVirtualPortDlg::FinishClosingIfSent() {
  if (!closing_ || link_.Connecting()) return;
  if (connected_ && DataUnsent()) return;
  CloseConnection();
}

void CVirtualPortDlg::EndClosing() {
  closing_ = false;
  loop_.KillTimer(kCloseTimerId);
  lineControl_.ApplicationClosed();
}

void CVirtualPortDlg::CompleteApplicationClose() {
  EndClosing();
  control_.ResetPort();
}

int CVirtualPortDlg::OpenConnection() {
  if (!created_) return BRIDGE_NOT_CREATED;
  if (connected_ || link_.Connecting()) return BRIDGE_OK;
  SetStatus(PortState::kConnecting);
  telnet_.Reset();
  const int code = ConnectToServer();
  if (code != BRIDGE_OK) {
    LogConnectFailure(std::strerror(link_.LastError()));
    SetStatus(PortState::kClosed);
    return code;
  }
  if (!link_.Connecting()) FinishOpen();
  return BRIDGE_OK;
}

int CVirtualPortDlg::ConnectToServer() {
  return link_.Connect(ipAddr_, tcpPort_) == ServerLink::Start::kFailed ? BRIDGE_CONNECT_FAILED
                                                                        : BRIDGE_OK;
}

void CVirtualPortDlg::LinkConnected() {
  FinishOpen();
  AfterConnected();
  FinishClosingIfSent();
}

void CVirtualPortDlg::LinkConnectFailed(const std::string& reason) {
  LogConnectFailure(reason);
  SetStatus(PortState::kClosed);
  ShowMessage(UnableToOpen(comName_));
  FinishClosingIfSent();
}

void CVirtualPortDlg::LogConnectFailure(const std::string& reason) {
  model_.ConnectFailed(loglines::ConnectFailed(ipAddr_, tcpPort_, reason));
  FlushLog();
}

void CVirtualPortDlg::FlushLog() {
  std::string text = model_.Tick();
  if (!text.empty() && observer_ != nullptr) observer_->LogText(comName_, text);
  // Hidden or not: the window's box (and what "Save..." writes) has only what snapshots bring.
  if (model_.statusVisible() || !text.empty()) NotifyStatus(false, false, false, std::move(text));
}

void CVirtualPortDlg::FinishOpen() {
  pendingCount_ = 0;
  ++connection_;
  connected_ = true;
  link_.Opened();
  RefreshSocketWatch();
  SetStatus(PortState::kOpen);
}

void CVirtualPortDlg::WatchControlEvents() {
  loop_.WatchFd(control_.EventFd(), POLLIN, [this](int, short) { control_.ProcessEvents(); });
}

void CVirtualPortDlg::UpdateDataWatch() {
  // Watched directly while every byte the application writes is taken at once; data left
  // waiting (no connection, or the socket full) must not keep a level-triggered watch firing.
  // Room is watched for while received bytes wait for the application (not under pacing: the
  // pty would show room the pacer does not give, and the loop would spin).
  const bool want = created_ && connected_ && !link_.Holding() && !dataWatchLapsed_;
  const bool room = created_ && delivery_.Pending() && !strictBaud_ && !dataWatchLapsed_;
  if (want == dataWatched_ && room == roomWatched_) return;
  if (want != dataWatched_ && !control_.WatchDataDirectly(want) && want) return;
  dataWatched_ = want;
  roomWatched_ = room;
  const short events = static_cast<short>((want ? POLLIN | POLLPRI : 0) | (room ? POLLOUT : 0));
  if (events == 0) {
    loop_.UnwatchFd(control_.DataFd());
  } else {
    loop_.WatchFd(control_.DataFd(), events,
                  [this](int, short revents) { OnPortFdReady(revents); });
  }
}

void CVirtualPortDlg::OnPortFdReady(short revents) {
  if ((revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
    // Not expected while we hold the pty's other end; the port's own events take over, and a
    // delivery is tried again on its timer.
    dataWatchLapsed_ = true;
    UpdateDataWatch();
    return;
  }
  if ((revents & POLLOUT) != 0) RetryDelivery();
  if (dataWatched_ && (revents & (POLLIN | POLLPRI)) != 0) OnPortDataReady(revents);
}

void CVirtualPortDlg::OnPortDataReady(short revents) {
  threadPolicy_.OnWake(clock_.TickCount());
  control_.ProcessDataEvent(revents);
}

void CVirtualPortDlg::RefreshSocketWatch() {
  UpdateDataWatch();  // what the socket holds decides the port's data watch too
  // Not read while received bytes wait for the application: TCP holds the server back.
  if (connected_) link_.Watch(!delivery_.Pending());
}

bool CVirtualPortDlg::Transmit(const uint8_t* data, std::size_t len) {
  const bool sent = link_.Send(data, len);
  UpdateDataWatch();
  return sent;
}

void CVirtualPortDlg::LinkDrained() {
  RefreshSocketWatch();
  // The application's data waited in the port meanwhile; it gets no new event of its own.
  if (portDataDeferred_) {
    portDataDeferred_ = false;
    control_.RecheckData();
  }
  FinishClosingIfSent();
}

void CVirtualPortDlg::LinkSendFailed() {
  // Given up on for a removal or shutdown, which closes the connection anyway: no message.
  if (abortSends_.load()) {
    CloseConnection();
  } else {
    ReportCommError(link_.LastError());
  }
}

void CVirtualPortDlg::AfterConnected() {
  if (rfc2217_) {
    lineControl_.ConnectionStarted();
    SendFrames(OptionOffers());
    // The priming stays local: the server hears a line only when the application wrote one
    // (while we were connecting); else only the user's fixed line, if any.
    if (lineWritten_) {
      SendFrames(ApplicationLineFrames(control_.LookAtSettings()));
    } else if (line_) {
      SendFixedLine();
    }
    SendFrames(lineControl_.AfterConnected());
  }
  // What the last connection had not sent when the port was opened again goes first.
  if (!carried_.empty() && !Transmit(carried_.data(), carried_.size())) LinkSendFailed();
  carried_.clear();
  // Data written while connecting waited in the port; it gets no new event of its own. It is
  // asked for after the events already seen, so that a line the application set before it
  // wrote goes out first.
  if (connected_ && control_.DataLeft() > 0) control_.RecheckData();
}

void CVirtualPortDlg::SendFrame(const std::vector<uint8_t>& frame) {
  if (!connected_) return;
  link_.SendFrame(frame);
  UpdateDataWatch();
}

void CVirtualPortDlg::SendFrames(const Frames& frames) {
  for (const auto& frame : frames) SendFrame(frame);
}

int CVirtualPortDlg::CloseConnection() {
  // However the connection ends (its data sent, failed, removed, out of time), a close it waited
  // for is done first: the port is reset before the server sees the end, so an application that
  // opens again once it has does not lose its first bytes to that reset.
  if (closing_) CompleteApplicationClose();
  if (link_.Connecting()) {
    link_.CancelConnect();
    ResetBuffers();
    SetStatus(PortState::kClosed);
  } else if (connected_) {
    connected_ = false;
    ResetBuffers();
    UpdateDataWatch();
    dataWatchLapsed_ = false;
    link_.End();
    SetStatus(PortState::kClosed);  // logs the "closed" line while the state still says open
  }
  return BRIDGE_OK;
}

int CVirtualPortDlg::RemoveLocalPort() {
  if (!created_) return BRIDGE_OK;
  if (connected_ || link_.Connecting()) CloseConnection();
  // Unwatched before the control closes it; watched again when the port stays.
  loop_.UnwatchFd(control_.EventFd());
  if (!control_.RemovePort()) {
    WatchControlEvents();
    return BRIDGE_PORT_IN_USE;
  }
  requests_.Stop();
  created_ = false;
  if (observer_ != nullptr) observer_->PortRemoved(comName_);
  NotifyStatus(false, false, true);
  return BRIDGE_OK;
}

void CVirtualPortDlg::ReportCommError(int errorCode) {
  if (!connected_) return;
  CloseConnection();
  ShowMessage(CommError(errorCode, comName_));
}

void CVirtualPortDlg::LinkReadable() {
  // Receives on while full chunks come, up to a bound, so that a busy stream costs a turn of the
  // loop per 64 KiB; a chunk that is not full took everything there was.
  long taken = 0;
  while (connected_ && taken < kReadOnBound && !delivery_.Pending()) {
    const auto received = link_.Receive(receiveBuffer_.data(), receiveBuffer_.size());
    if (received.wouldBlock) return;
    if (received.count <= 0) {
      // A failure, or the server closed the connection in order: either way the connection is
      // over, and OnServerData closes it and says so.
      receiveError_ = received.count < 0 ? received.error : 0;
      OnServerData(BRIDGE_RECEIVE_FAILED, connection_);
      return;
    }
    pendingCount_ = received.count;
    OnServerData(received.count, connection_);
    if (received.count < static_cast<long>(receiveBuffer_.size())) return;
    taken += received.count;
  }
}

int CVirtualPortDlg::OnServerData(intptr_t wParam, intptr_t lParam) {
  if (!connected_ || lParam != connection_) return BRIDGE_OK;
  if (wParam < 0) {
    // An application that closed the port as the server closed the connection (a session
    // ending at both ends) needs no message: its close is taken first.
    control_.ProcessEvents();
    ReportCommError(receiveError_);
    return BRIDGE_OK;
  }
  if (pendingCount_ <= 0 || wParam != pendingCount_) return BRIDGE_OK;  // not a chunk of ours
  const long pending = pendingCount_;
  model_.ReceivedFromServer(pending);
  if (rfc2217_) {
    decoded_.clear();
    telnet_.Decode(
        std::span<const uint8_t>(receiveBuffer_.data(), static_cast<std::size_t>(pending)),
        [this](std::span<const uint8_t> data) {
          decoded_.insert(decoded_.end(), data.begin(), data.end());
        },
        [this](std::span<const uint8_t> command, const std::string& logLine) {
          model_.TelnetCommand(logLine);
          requests_.ServerCommand(command);
        });
    DeliverBytes(decoded_.data(), decoded_.size());
  } else {
    DeliverToPort();
  }
  pendingCount_ = 0;
  return BRIDGE_OK;
}

int CVirtualPortDlg::DeliverToPort() {
  DeliverBytes(receiveBuffer_.data(), static_cast<std::size_t>(std::max(0L, pendingCount_)));
  return BRIDGE_OK;
}

void CVirtualPortDlg::DeliverBytes(const uint8_t* data, std::size_t count) {
  // An application that closed the port reads nothing more: the bytes have no reader.
  if (!applicationOpen_ || count == 0) return;
  if (delivery_.Deliver(control_, data, count, clock_.TickCount())) return;
  // The port is full: the rest waits, the socket is not read meanwhile, and the loop comes back
  // when the port has room (or, under pacing, on the timer). Nothing here waits.
  RefreshSocketWatch();
  loop_.SetTimer(kDeliveryTimerId, strictBaud_ ? kPacedRetryMs : kStallCheckMs);
}

void CVirtualPortDlg::RetryDelivery() {
  if (delivery_.Retry(control_, clock_.TickCount())) EndDeliveryWait();
}

void CVirtualPortDlg::OnDeliveryTimer() {
  RetryDelivery();
  // An application that takes nothing for long is told once; its bytes stay, and the server is
  // held back until it reads. A removal or the program's end has no one to tell.
  if (delivery_.StallToReport(clock_.TickCount()) && !abortSends_.load()) {
    ShowMessage(ProcessingError(BRIDGE_DELIVERY_FAILED));
  }
}

void CVirtualPortDlg::EndDeliveryWait() {
  delivery_.Clear();
  loop_.KillTimer(kDeliveryTimerId);
  RefreshSocketWatch();
}

void CVirtualPortDlg::PortDataAvailable(long count) {
  if (!connected_) return;
  SendFromPort(count);
  FinishClosingIfSent();
}

bool CVirtualPortDlg::PortDataReadable() {
  // The log counts what waits before each chunk is read: with it on, the count comes first.
  if (!connected_ || model_.logging()) return false;
  if (link_.Holding()) {
    portDataDeferred_ = true;
    return true;
  }
  // One read where a count and a read would be two calls: the round trip of a small message
  // costs a call less, and a bigger write is read on as after a count.
  const long n = control_.ReadBlockFromPort(sendBuffer_.data(), CVSPortAx::kMaxReadBlock);
  if (n > 0) SendFromPort(0, n);
  FinishClosingIfSent();
  return true;
}

void CVirtualPortDlg::SendFromPort(long count, long filled) {
  // The port is taken in the usual chunks, each logged with what remains, and read on while the
  // application keeps writing (each look at what waits counts as a new event would); what the
  // reads bring goes out in one send per batch. One send per chunk, and a turn of the loop per
  // 4 KiB that the pty's line buffer holds, made the sends and the wake-ups the bottleneck.
  long remaining = count;
  long taken = filled;
  // No reading on: a read gave nothing, or the event is one small message (what the application
  // writes next comes as an event of its own).
  bool dry = (filled > 0 ? filled : count) <= kSmallWrite;
  while (connected_) {
    if (link_.Holding()) {
      // The socket is full: the data waits in the port (the application's writes block, as a
      // serial line's would), and the event comes again once the socket has taken the rest.
      portDataDeferred_ = true;
      return;
    }
    if (remaining <= 0 && !dry && taken < kReadOnBound) remaining = control_.DataWaiting();
    if (remaining <= 0) {
      if (filled == 0) break;
      if (!SendChunk(filled)) return;
      filled = 0;
      if (link_.Holding()) continue;
      // The send gave the pty time to take in what the application wrote meanwhile.
      if (dry || taken >= kReadOnBound || (remaining = control_.DataWaiting()) <= 0) break;
    }
    // As many chunks as one read of the port and the batch's room take, each logged as if read
    // on its own: one read call where there would be four.
    const long most =
        std::min(static_cast<long>(sendBuffer_.size()) - filled, CVSPortAx::kMaxReadBlock);
    long want = 0;
    while (remaining > 0 && want + std::min(remaining, kSendChunk) <= most) {
      model_.PortReceived(remaining);
      const long chunk = std::min(remaining, kSendChunk);
      remaining -= chunk;
      want += chunk;
    }
    const long n = control_.ReadBlockFromPort(sendBuffer_.data() + filled, want);
    if (n > 0) {
      filled += n;
      taken += n;
    } else {
      dry = true;
    }
    if (filled + kSendChunk > static_cast<long>(sendBuffer_.size())) {
      if (!SendChunk(filled)) return;
      filled = 0;
    }
  }
  // Stopped at the bound with more waiting: the rest comes as an event after the others (a
  // directly watched port stays ready by itself).
  if (connected_ && !dataWatched_ && taken >= kReadOnBound && control_.DataWaiting() > 0) {
    control_.RecheckData();
  }
}

bool CVirtualPortDlg::SendChunk(long n) {
  const auto bytes = std::span<const uint8_t>(sendBuffer_.data(), static_cast<std::size_t>(n));
  if (rfc2217_) {
    // One send for the whole escaped chunk: the server sees the same bytes as with one send per
    // byte, without a round of Nagle delays.
    const EscapedChunk escaped = EscapeData(bytes);
    if (Transmit(escaped.bytes.data(), escaped.bytes.size())) {
      model_.SentToServer(escaped.txCount);
      return true;
    }
  } else if (Transmit(bytes.data(), bytes.size())) {
    model_.SentToServer(n);
    return true;
  }
  LinkSendFailed();
  return false;
}

void CVirtualPortDlg::SettingsWritten(const PortSettings& settings) {
  // Our own priming, and the port's reset after the last close, are no application's.
  if (priming_ || !applicationOpen_ || closing_) return;
  lineWritten_ = true;
  // Every write goes to the server, also one that changes nothing: the application may set its
  // line again because the device lost it.
  if (connected_ && rfc2217_) SendFrames(ApplicationLineFrames(settings));
}

Frames CVirtualPortDlg::ApplicationLineFrames(const PortSettings& settings) {
  // Some servers reset the line with the rate: line control (fixed, or the preload library's
  // data size and parity) follows it each time.
  return SettingsFrames(
      WithFixedLine(lineControl_.WithApplicationLine(ObservableSettings(settings)), line_));
}

void CVirtualPortDlg::SendFixedLine() {
  SendFrames(LineControlFrames(line_->stopBits, line_->parity, line_->dataBits));
}

void CVirtualPortDlg::LineControlChanged(long stopBits, std::optional<long> parity,
                                         std::optional<long> wordLength) {
  // A pty has 8 data bits and no parity whatever the application asked: the log shows those.
  model_.LineControlChanged(static_cast<int32_t>(stopBits),
                            static_cast<int32_t>(parity.value_or(0)),
                            static_cast<int32_t>(wordLength.value_or(8)));
}

void CVirtualPortDlg::ShowStatus() {
  model_.ShowStatus();
  loop_.SetTimer(kStatusTimerId, PortStatusModel::kTickMilliseconds);
  NotifyStatus(true, false, false);
}

void CVirtualPortDlg::HideStatus() {
  loop_.KillTimer(kStatusTimerId);
  model_.Hide();
}

bool CVirtualPortDlg::HandleMessage(const platform::Message& message) {
  switch (message.id) {
    case WM_VPORT_DATA:
      OnServerData(message.wParam, message.lParam);
      return true;
    case WM_VPORT_SHOWSTATUS:
      ShowStatus();
      return true;
    case WM_VPORT_SETLOGGING:
      SetLogging(message.wParam != 0);
      return true;
    case WM_VPORT_HIDESTATUS:
      HideStatus();
      return true;
    case WM_VPORT_CLEARLOG:
      model_.ClearLog();
      return true;
    case platform::WM_TIMER:
      if (link_.HandleTimer(static_cast<uintptr_t>(message.wParam))) {
        // the connect's or the lingering end's
      } else if (message.wParam == kCloseTimerId) {
        CloseConnection();  // what the server would not take in time is dropped
      } else if (message.wParam == kStatusTimerId) {
        FlushLog();
      } else if (message.wParam == kDeliveryTimerId) {
        OnDeliveryTimer();
      }
      return true;
    default:
      return false;
  }
}

}  // namespace vport
