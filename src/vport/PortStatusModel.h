// What a port's status window shows and logs, without the window: connection state, byte counters,
// options, the logging switch and the log. The bridge reports its events here; the Qt window and
// the console front end read the texts and tick the log. All calls belong to the port's own thread
// (the window's "show status" request is posted to that thread).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "vport/PortFigures.h"
#include "vport/PortLog.h"
#include "vport/PortStatusSnapshot.h"

namespace platform {
class Prompt;
}

namespace vport {

enum class PortState { kClosed, kConnecting, kOpen };

class PortStatusModel {
 public:
  explicit PortStatusModel(std::size_t logCapacity = PortLog::kDefaultCapacity);

  // A local port was created: fresh counters, state Closed, logging off, titled for creation.
  void PortCreated(const std::string& comName, const std::string& tcpPort, bool rfc2217,
                   bool strictBaud);

  // Connection events of the bridge.
  void Connecting();
  void ConnectFailed();
  // The same, with the log line that says why (logged when logging is on).
  void ConnectFailed(const std::string& logLine);
  void Opened();  // zeroes the counters and logs the "opened" line
  void Closed();  // logs the "closed" line when a connection was open

  // Traffic. count is the chunk size or, for PortReceived, the bytes still outstanding.
  void ReceivedFromServer(std::int64_t count);  // adds to Rx and logs "Got ..."
  void PortReceived(std::int64_t remaining);    // logs "Port received ..."
  void SentToServer(std::int64_t count) {
    txBytes_ += count;
    figures_->AddTx(count);
  }
  void TelnetCommand(const std::string& logLine) { LogWhenEnabled(logLine); }
  // What the port's control socket refused, and why.
  void ControlNotice(const std::string& logLine) { LogWhenEnabled(logLine); }

  // Events of the local port's control; they leave a line only while logging and open.
  void EventMaskChanged(std::uint32_t mask);
  void BreakChanged(bool on);
  void BaudRateChanged(std::int64_t baudRate);
  void SpecialCharsChanged(std::uint32_t eof, std::uint32_t error, std::uint32_t brk,
                           std::uint32_t event, std::uint32_t xon, std::uint32_t xoff);
  void HandFlowChanged(std::uint32_t controlHandShake, std::uint32_t flowReplace,
                       std::uint32_t xonLimit, std::uint32_t xoffLimit);
  void LineControlChanged(std::int32_t stopBits, std::int32_t parity, std::int32_t wordLength);
  void TimeoutsChanged(std::uint32_t readInterval, std::uint32_t readMultiplier,
                       std::uint32_t readConstant, std::uint32_t writeMultiplier,
                       std::uint32_t writeConstant);
  void RingSignalled();
  void RtsChanged(bool on);
  void DtrChanged(bool on);

  // The window's own controls.
  void SetLogging(bool on) { logging_ = on; }  // "Enable Logging"; existing text stays
  void ClearLog() {                            // "Clear"
    log_.Clear();
    ++logGeneration_;
  }
  PortLog::SaveResult SaveLog(const std::string& path, platform::Prompt& prompt,
                              const std::string& caption) const {
    return log_.Save(path, prompt, caption);
  }
  void ShowStatus();  // shown as status window; the 500 ms tick runs from now on
  void Hide();        // OK or Cancel: the tick stops

  // The 500 ms tick (timer 1). Returns the text that moved into the log box.
  std::string Tick();
  static constexpr unsigned kTimerId = 1;
  static constexpr unsigned kTickMilliseconds = 500;

  // What the window shows.
  PortState state() const { return state_; }
  std::string StatusText() const;  // "Closed", "Connecting..." or "Open"
  std::string RxText() const { return std::to_string(shownRx_); }
  std::string TxText() const { return std::to_string(shownTx_); }
  const std::string& TcpPortText() const { return tcpPort_; }
  std::string WindowTitle() const;
  std::string StatusLabel() const { return shownAsStatus_ ? "Port Status" : "Status:"; }
  bool CancelVisible() const { return !shownAsStatus_; }
  bool SaveClearEnabled() const { return logging_; }
  bool rfc2217() const { return rfc2217_; }
  bool strictBaud() const { return strictBaud_; }
  bool logging() const { return logging_; }
  bool statusVisible() const { return statusVisible_; }
  bool timerRunning() const { return timerRunning_; }
  const std::string& comName() const { return comName_; }
  std::string DefaultSaveFileName() const { return PortLog::DefaultFileName(comName_); }

  // What the window shows now, for a window on another thread (newLog and the flags left empty).
  PortStatusSnapshot Snapshot() const;
  std::uint32_t logGeneration() const { return logGeneration_; }

  // Live counters (the shown texts follow them at the next tick while the window is visible).
  std::int64_t rxBytes() const { return rxBytes_; }
  std::int64_t txBytes() const { return txBytes_; }
  const PortLog& log() const { return log_; }
  // The same events as figures that other threads may read while the port runs (and after the
  // model is gone: they are shared).
  std::shared_ptr<const PortFigures> Figures() const { return figures_; }

 private:
  void LogWhenEnabled(const std::string& line);
  void LogEvent(const std::string& line);  // only while a connection is open
  void ShowCounters();

  PortLog log_;
  const std::shared_ptr<PortFigures> figures_ = std::make_shared<PortFigures>();
  std::string comName_;
  std::string tcpPort_;
  PortState state_ = PortState::kClosed;
  std::int64_t rxBytes_ = 0;  // 64-bit: a long-lived port passes 2 GiB
  std::int64_t txBytes_ = 0;
  std::int64_t shownRx_ = 0;
  std::int64_t shownTx_ = 0;
  bool rfc2217_ = false;
  bool strictBaud_ = false;
  bool logging_ = false;
  bool statusVisible_ = false;
  bool shownAsStatus_ = false;  // the window has been shown as status window at least once
  bool timerRunning_ = false;
  std::uint32_t logGeneration_ = 0;
};

}  // namespace vport
