#include "vport/PortStatusModel.h"

#include <chrono>

#include "vport/PortLogLines.h"

namespace vport {

namespace {

// The log line "*** Cannot connect to ...: reason ***" as a plain sentence.
std::string WithoutStars(const std::string& line) {
  constexpr std::string_view kOpen = "*** ";
  constexpr std::string_view kClose = " ***";
  std::string_view text = line;
  if (text.starts_with(kOpen) && text.ends_with(kClose) &&
      text.size() >= kOpen.size() + kClose.size()) {
    text = text.substr(kOpen.size(), text.size() - kOpen.size() - kClose.size());
  }
  return std::string(text);
}

std::int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

PortStatusModel::PortStatusModel(std::size_t logCapacity) : log_(logCapacity) {}

void PortStatusModel::PortCreated(const std::string& comName, const std::string& tcpPort,
                                  bool rfc2217, bool strictBaud) {
  comName_ = comName;
  tcpPort_ = tcpPort;
  rfc2217_ = rfc2217;
  strictBaud_ = strictBaud;
  logging_ = false;
  logGeneration_ = 0;
  state_ = PortState::kClosed;
  rxBytes_ = 0;
  txBytes_ = 0;
  ShowCounters();
  figures_->Created();
}

void PortStatusModel::Connecting() {
  state_ = PortState::kConnecting;
  figures_->Connecting();
}

void PortStatusModel::ConnectFailed() {
  state_ = PortState::kClosed;
  figures_->Closed();
}

void PortStatusModel::ConnectFailed(const std::string& logLine) {
  LogWhenEnabled(logLine);
  state_ = PortState::kClosed;
  figures_->Failed(WithoutStars(logLine));
}

void PortStatusModel::Opened() {
  rxBytes_ = 0;
  txBytes_ = 0;
  ShowCounters();
  state_ = PortState::kOpen;
  figures_->Opened(NowSeconds());
  LogWhenEnabled(loglines::Opened(comName_));
}

void PortStatusModel::Closed() {
  if (state_ == PortState::kOpen) LogWhenEnabled(loglines::Closed(comName_));
  state_ = PortState::kClosed;
  figures_->Closed();
}

// The two lines of every chunk are only formatted for a log that is on: a port logs nothing
// until its status window asks, and the strings cost the data path two allocations a chunk.
void PortStatusModel::ReceivedFromServer(std::int64_t count) {
  rxBytes_ += count;
  figures_->AddRx(count);
  if (logging_) LogWhenEnabled(loglines::GotFromRemote(count));
}

void PortStatusModel::PortReceived(std::int64_t remaining) {
  if (logging_) LogWhenEnabled(loglines::PortReceived(remaining));
}

void PortStatusModel::EventMaskChanged(std::uint32_t mask) {
  LogEvent(loglines::EventMask(mask));
}

void PortStatusModel::BreakChanged(bool on) {
  LogEvent(loglines::Break(on));
}

void PortStatusModel::BaudRateChanged(std::int64_t baudRate) {
  LogEvent(loglines::BaudRate(baudRate));
}

void PortStatusModel::SpecialCharsChanged(std::uint32_t eof, std::uint32_t error, std::uint32_t brk,
                                          std::uint32_t event, std::uint32_t xon,
                                          std::uint32_t xoff) {
  LogEvent(loglines::SpecialChars(eof, error, brk, event, xon, xoff));
}

void PortStatusModel::HandFlowChanged(std::uint32_t controlHandShake, std::uint32_t flowReplace,
                                      std::uint32_t xonLimit, std::uint32_t xoffLimit) {
  LogEvent(loglines::HandFlow(controlHandShake, flowReplace, xonLimit, xoffLimit));
}

void PortStatusModel::LineControlChanged(std::int32_t stopBits, std::int32_t parity,
                                         std::int32_t wordLength) {
  LogEvent(loglines::LineControl(stopBits, parity, wordLength));
}

void PortStatusModel::TimeoutsChanged(std::uint32_t readInterval, std::uint32_t readMultiplier,
                                      std::uint32_t readConstant, std::uint32_t writeMultiplier,
                                      std::uint32_t writeConstant) {
  LogEvent(loglines::Timeouts(readInterval, readMultiplier, readConstant, writeMultiplier,
                              writeConstant));
}

void PortStatusModel::RingSignalled() {
  LogEvent(loglines::Ring());
}

void PortStatusModel::RtsChanged(bool on) {
  LogEvent(loglines::Rts(on));
}

void PortStatusModel::DtrChanged(bool on) {
  LogEvent(loglines::Dtr(on));
}

void PortStatusModel::ShowStatus() {
  statusVisible_ = true;
  shownAsStatus_ = true;
  ShowCounters();
  timerRunning_ = true;
}

void PortStatusModel::Hide() {
  timerRunning_ = false;
  statusVisible_ = false;
}

std::string PortStatusModel::Tick() {
  if (statusVisible_) ShowCounters();
  return log_.MovePending();
}

std::string PortStatusModel::StatusText() const {
  switch (state_) {
    case PortState::kConnecting:
      return "Connecting...";
    case PortState::kOpen:
      return "Open";
    case PortState::kClosed:
      break;
  }
  return "Closed";
}

std::string PortStatusModel::WindowTitle() const {
  return (shownAsStatus_ ? "Virtual Port Status: " : "Creating Virtual Port: ") + comName_;
}

PortStatusSnapshot PortStatusModel::Snapshot() const {
  PortStatusSnapshot snapshot;
  snapshot.comName = comName_;
  snapshot.title = WindowTitle();
  snapshot.statusLabel = StatusLabel();
  snapshot.statusText = StatusText();
  snapshot.rxText = RxText();
  snapshot.txText = TxText();
  snapshot.tcpPort = tcpPort_;
  snapshot.rfc2217 = rfc2217_;
  snapshot.strictBaud = strictBaud_;
  snapshot.cancelVisible = CancelVisible();
  snapshot.logGeneration = logGeneration_;
  return snapshot;
}

void PortStatusModel::LogWhenEnabled(const std::string& line) {
  if (logging_) log_.AppendLog(line);
}

void PortStatusModel::LogEvent(const std::string& line) {
  if (state_ == PortState::kOpen) LogWhenEnabled(line);
}

void PortStatusModel::ShowCounters() {
  shownRx_ = rxBytes_;
  shownTx_ = txBytes_;
}

}  // namespace vport
