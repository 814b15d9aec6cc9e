#include "vport/CVSPortAx.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <set>

#include "platform/TerminalSpeed.h"
#include "vport/PortFolder.h"

namespace vport {

namespace {

constexpr uint32_t kMasterEvents = EPOLLIN | EPOLLPRI | EPOLLET;

// Link paths in use by the ports of this process: a second port under the same name would
// replace the first one's link as if it were stale.
std::mutex claimsMutex;
std::set<std::string>& Claims() {
  static std::set<std::string> claims;
  return claims;
}

bool Claim(const std::string& linkPath) {
  std::lock_guard lock(claimsMutex);
  return Claims().insert(linkPath).second;
}

void Release(const std::string& linkPath) {
  std::lock_guard lock(claimsMutex);
  Claims().erase(linkPath);
}

}  // namespace

CVSPortAx::CVSPortAx(VSPortEvents& sink, platform::Clock& clock, platform::FileOps& files)
    : sink_(sink), pacer_(clock), files_(files) {}

CVSPortAx::~CVSPortAx() {
  TearDown();
}

bool CVSPortAx::AddPort(const std::string& portName) {
  if (pty_.IsOpen()) {
    lastError_ = EBUSY;
    return false;
  }
  const std::string linkName = PortFolder::LinkNameFor(portName);
  if (linkName.empty()) {
    lastError_ = EINVAL;
    return false;
  }
  const PortFolder folder(PortFolder::FromEnvironment().Path(), files_);
  if (const int rc = folder.Ensure(); rc != 0) {
    lastError_ = rc;
    return false;
  }
  const std::string linkPath = folder.LinkPath(linkName);
  if (!Claim(linkPath)) {
    lastError_ = EBUSY;
    return false;
  }
  int rc = 0;
  switch (PortFolder::Inspect(linkPath, files_)) {
    case PortFolder::LinkState::Absent:
      break;
    case PortFolder::LinkState::Ours:
      // Left by a run that ended without removing it; its pty node may now be someone else's
      // terminal, so it must not stay until our link replaces it.
      if (files_.Unlink(linkPath.c_str()) != 0 && errno != ENOENT) rc = errno;
      break;
    case PortFolder::LinkState::Foreign:
      rc = EEXIST;
      break;
    case PortFolder::LinkState::Error:
      rc = EACCES;
      break;
  }
  if (rc == 0) rc = pty_.Open();
  if (rc == 0) rc = SetUpEventSources();
  if (rc == 0) rc = watcher_.Start(pty_.SlavePath(), wake_.Fd());
  if (rc != 0) {
    TearDown();
    Release(linkPath);
    lastError_ = rc;
    return false;
  }
  linkPath_ = linkPath;
  struct termios t {};
  pty_.GetTermios(t);
  settings_ = SettingsOf(t);  // the starting point; later changes are reported
  extproc_ = (t.c_lflag & EXTPROC) != 0;
  settingsStale_ = false;
  pacer_.SetLine(settings_.baud, settings_.BitsPerChar());
  pacer_.Restart();
  return true;
}

int CVSPortAx::SetUpEventSources() {
  int rc = events_.Open();
  if (rc == 0) rc = wake_.Open();
  // Edge-triggered on the master: each arrival of data or status wakes the loop once, so data
  // the owner chose not to read yet does not keep the loop spinning.
  if (rc == 0) rc = events_.Add(pty_.MasterFd(), kMasterEvents);
  // Open and close notifications come from the process's one watcher through the wake
  // descriptor.
  if (rc == 0) rc = events_.Add(wake_.Fd(), EPOLLIN);
  return rc;
}

void CVSPortAx::TearDown() {
  if (!linkPath_.empty()) {
    PortFolder::RemoveIfTarget(linkPath_, pty_.SlavePath(), files_);
    Release(linkPath_);
    linkPath_.clear();
  }
  watcher_.Stop();  // first: it writes to the wake descriptor
  events_.Close();
  wake_.Close();
  dataDirect_ = false;
  pty_.Close();
  pending_.clear();
  applicationOpen_->store(false);
  ++generation_;
}

bool CVSPortAx::PublishLink() {
  if (!pty_.IsOpen()) {
    lastError_ = ENODEV;
    return false;
  }
  if (const int rc = PortFolder::Publish(linkPath_, pty_.SlavePath(), files_); rc != 0) {
    lastError_ = rc;
    return false;
  }
  return true;
}

bool CVSPortAx::SetStrictBaudrate(bool strict) {
  if (strict && !strict_) {
    RefreshPacerLine();
    pacer_.Restart();
  }
  strict_ = strict;
  return true;
}

void CVSPortAx::RefreshPacerLine() {
  struct termios t {};
  if (!pty_.GetTermios(t)) return;
  const PortSettings now = SettingsOf(t);
  pacer_.SetLine(now.baud, now.BitsPerChar());
}

long CVSPortAx::WriteToPort(const uint8_t* data, long count) {
  if (!pty_.IsOpen() || data == nullptr || count <= 0) return 0;
  size_t want = static_cast<size_t>(count);
  if (strict_) {
    // The application may have changed its rate since the last ProcessEvents.
    RefreshPacerLine();
    want = std::min(want, pacer_.Allowance());
    if (want == 0) return 0;
  }
  const long taken = std::max(0L, pty_.Write(data, want));
  if (strict_) pacer_.Consume(static_cast<size_t>(taken));
  return taken;
}

int CVSPortAx::WaitForRoom(platform::Clock& clock, int timeoutMs) {
  if (!pty_.IsOpen()) return -1;
  pollfd p{pty_.MasterFd(), POLLOUT, 0};
  const int ready = clock.Poll(&p, 1, timeoutMs);
  if (ready < 0) return -1;
  if (ready == 0) return 0;                    // the time ran out
  return (p.revents & POLLOUT) != 0 ? 1 : -1;  // a hang-up or error, not room
}

long CVSPortAx::ReadFromPort(uint8_t* data, long count) {
  return ReadUpTo(data, count, kMaxReadChunk);
}

long CVSPortAx::ReadBlockFromPort(uint8_t* data, long count) {
  return ReadUpTo(data, count, kMaxReadBlock);
}

long CVSPortAx::ReadUpTo(uint8_t* data, long count, long most) {
  if (!pty_.IsOpen() || data == nullptr || count <= 0) return 0;
  const size_t want = static_cast<size_t>(std::min(count, most));
  // A status byte may stand before the data; it is noted for the next ProcessEvents.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const platform::PtyPair::Packet packet = pty_.Read(data, want);
    if (packet.control == 0) return std::max(0L, packet.dataBytes);
    NoteStatus(packet.control);
    Wake();
  }
  return 0;
}

bool CVSPortAx::ResetPort() {
  if (!pty_.IsOpen()) return true;
  pty_.Flush();
  ConsumeControlPackets();  // the flush itself raises status bytes; nothing to report there
  pending_.clear();
  pacer_.Restart();
  return true;
}

bool CVSPortAx::ApplicationHoldsPort() {
  if (const std::optional<int> opens = pty_.CountOtherOpens()) return *opens > 0;
  // No complete census: trust the notifications, and keep their transitions for the owner.
  std::vector<bool> transitions;
  watcher_.Drain(transitions, true);
  QueueOpenTransitions(transitions);
  if (!pending_.empty()) Wake();
  return watcher_.OpenCount() > 0;
}

void CVSPortAx::ForgetOwnOpens() {
  std::vector<bool> transitions;
  watcher_.Drain(transitions, true);
  // No census: there is nobody else to count, and 255 ports starting would each scan /proc.
  transitions.clear();
  watcher_.Reconcile(0, transitions);
  applicationOpen_->store(false);
}

bool CVSPortAx::RemovePort() {
  if (!pty_.IsOpen()) return true;
  if (ApplicationHoldsPort()) return false;
  TearDown();
  return true;
}

bool CVSPortAx::StartupReset() {
  if (pty_.IsOpen()) return false;
  const PortFolder folder = PortFolder::FromEnvironment();
  folder.SweepOurLinks();
  return true;
}

void CVSPortAx::Wake() {
  lookAtMaster_ = true;
  wake_.Signal();
}

bool CVSPortAx::SetMasterEvents(uint32_t events) {
  return events_.Modify(pty_.MasterFd(), events) == 0;
}

bool CVSPortAx::WatchDataDirectly(bool on) {
  if (!pty_.IsOpen()) return false;
  if (on == dataDirect_) return true;
  // Status bytes still come through the epoll set as well (they are rare, and the owner's watch
  // may lapse). When data waits as the owner stops, the kernel reports it through the set at once.
  if (!SetMasterEvents(on ? kMasterEvents & ~EPOLLIN : kMasterEvents)) return false;
  dataDirect_ = on;
  return true;
}

void CVSPortAx::ProcessDataEvent(short revents) {
  if (!pty_.IsOpen() || delivering_) return;
  Signals signals = DrainEventSources(true);
  signals.master = true;
  if ((revents & POLLPRI) != 0) signals.status = true;
  if ((revents & POLLIN) != 0) signals.readable = true;
  Process(signals);
}

CVSPortAx::Signals CVSPortAx::DrainEventSources(bool fromDataFd) {
  Signals signals;
  std::array<epoll_event, 8> ready{};
  // Called for the data descriptor, the set has nothing to say about data; what else it holds
  // (a wake-up, a status byte) keeps EventFd() readable for the loop's next turn.
  const int n = fromDataFd ? 0 : events_.TakeReady(ready.data(), static_cast<int>(ready.size()));
  for (int i = 0; i < n; ++i) {
    const epoll_event& event = ready[static_cast<size_t>(i)];
    if (event.data.fd == pty_.MasterFd()) {
      // epoll polls the master again as it reports it, so the flags are those of now: EPOLLPRI
      // while a status byte waits (it sets EPOLLIN too), EPOLLIN alone for data.
      signals.master = true;
      signals.status = (event.events & EPOLLPRI) != 0;
    }
    if (event.data.fd == wake_.Fd()) {
      signals.wake = true;
      wake_.Drain();
    }
  }
  // Woken by ourselves after a read met a status byte: look at everything. (The open watcher
  // wakes us too, and that says nothing about data.)
  if (lookAtMaster_) signals.master = signals.status = true;
  lookAtMaster_ = false;
  return signals;
}

void CVSPortAx::QueueOpenTransitions(const std::vector<bool>& transitions) {
  // Every count the watcher settles on passes here (or through ForgetOwnOpens).
  applicationOpen_->store(watcher_.OpenCount() > 0);
  for (const bool open : transitions) {
    pending_.push_back([open](VSPortEvents& sink) { sink.PortOpenedClosed(open); });
  }
}

void CVSPortAx::ConsumeControlPackets() {
  uint8_t none[1];
  // A one-byte read gives a waiting status byte, or else just the TIOCPKT_DATA marker: it never
  // takes data away from ReadFromPort.
  for (int i = 0; i < 8 && pty_.ControlPending(); ++i) {
    const platform::PtyPair::Packet packet = pty_.Read(none, 0);
    if (packet.control == 0) break;
    NoteStatus(packet.control);
  }
}

PortSettings CVSPortAx::SettingsOf(const struct termios& t) const {
  PortSettings settings = PortSettings::FromTermios(t);
  // Any rate the kernel accepts, also those set with BOTHER that no speed code names.
  if (const long exact = platform::ExactOutputSpeed(pty_.MasterFd()); exact > 0) {
    settings.baud = exact;
  }
  return settings;
}

void CVSPortAx::NoteStatus(uint8_t control) {
  settingsStale_ = true;
  // With EXTPROC the kernel raises this for every termios write, also one that changes nothing.
  if ((control & TIOCPKT_IOCTL) != 0) settingsWritten_ = true;
}

void CVSPortAx::ConsumeSignalledStatus() {
  // epoll said a status byte waits: one read takes it (the kernel hands all its flags over in one
  // byte and clears them; a later one signals anew), with no poll to ask first.
  uint8_t none[1];
  if (const uint8_t control = pty_.Read(none, 0).control; control != 0) NoteStatus(control);
}

void CVSPortAx::QueueSettingChanges() {
  struct termios t {};
  if (!pty_.GetTermios(t)) return;
  extproc_ = (t.c_lflag & EXTPROC) != 0;
  settingsStale_ = false;
  const PortSettings now = SettingsOf(t);
  const PortSettings was = settings_;
  settings_ = now;
  // Without EXTPROC a write shows only as a change.
  const bool written = settingsWritten_ || !(now == was);
  settingsWritten_ = false;
  if (now.baud != was.baud && now.baud != 0) {
    pending_.push_back([baud = now.baud](VSPortEvents& s) { s.BaudRateChanged(baud); });
  }
  if (now.stopBits != was.stopBits) {
    pending_.push_back([stop = now.stopBits](VSPortEvents& s) {
      s.LineControlChanged(stop, std::nullopt, std::nullopt);
    });
  }
  if (!(now.handFlow == was.handFlow)) {
    pending_.push_back([flow = now.handFlow](VSPortEvents& s) { s.HandFlowChanged(flow); });
  }
  if (!(now.specialChars == was.specialChars)) {
    pending_.push_back([c = now.specialChars](VSPortEvents& s) { s.SpecialCharsChanged(c); });
  }
  if (!(now.timeouts == was.timeouts)) {
    pending_.push_back([to = now.timeouts](VSPortEvents& s) { s.TimeoutsChanged(to); });
  }
  if (written) pending_.push_back([now](VSPortEvents& s) { s.SettingsWritten(now); });
}

const PortSettings& CVSPortAx::LookAtSettings() {
  if (pty_.IsOpen()) QueueSettingChanges();
  return settings_;
}

void CVSPortAx::ProcessEvents() {
  if (!pty_.IsOpen() || delivering_) return;
  Process(DrainEventSources(false));
}

void CVSPortAx::Process(Signals signals) {
  std::vector<bool> transitions;
  if (watcher_.Drain(transitions, true)) {
    // A census after open/close traffic corrects notifications that the kernel merged.
    if (const std::optional<int> opens = pty_.CountOtherOpens()) {
      watcher_.Reconcile(*opens, transitions);
    }
  }
  // Opens, closes and our own wake-ups are rare: then everything is looked at, as it may have
  // come without a signal of its own. Data alone costs no look at status bytes or settings.
  const bool lookAtAll = signals.wake || !transitions.empty();
  // An application that opened, set its line and closed before we looked wrote while it had
  // the port open: its settings are reported before that close.
  const bool closedAtEnd = !transitions.empty() && !transitions.back();
  if (closedAtEnd) transitions.pop_back();
  QueueOpenTransitions(transitions);
  if (lookAtAll) {
    ConsumeControlPackets();
  } else if (signals.status) {
    ConsumeSignalledStatus();
  }
  if (lookAtAll || settingsStale_ || !extproc_) QueueSettingChanges();
  if (closedAtEnd) {
    QueueOpenTransitions({false});
    pty_.RestoreExtproc();
    ConsumeControlPackets();  // the status byte of our own write: no application's
    settingsWritten_ = false;
  }
  if (signals.readable) {
    // A sink that reads without a count saves a FIONREAD on every arrival of data.
    pending_.push_back([this](VSPortEvents& s) {
      if (s.PortDataReadable()) return;
      if (const long available = pty_.Pending(); available > 0) s.PortDataAvailable(available);
    });
  } else if (signals.master) {
    if (const long available = pty_.Pending(); available > 0) {
      pending_.push_back([available](VSPortEvents& s) { s.PortDataAvailable(available); });
    }
  }
  std::vector<Event> events;
  events.swap(pending_);
  if (active_) Deliver(events);
  // The queue keeps its storage, so that a data event allocates nothing (unless a handler has
  // queued more meanwhile).
  events.clear();
  if (pending_.empty()) pending_.swap(events);
}

void CVSPortAx::Deliver(const std::vector<Event>& events) {
  delivering_ = true;
  const unsigned generation = generation_;
  for (const Event& event : events) {
    event(sink_);
    if (generation != generation_) break;  // a handler removed the port
  }
  delivering_ = false;
}

}  // namespace vport
