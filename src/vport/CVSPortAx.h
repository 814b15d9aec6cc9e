// The virtual serial port control: one COM port that other applications open as a serial port,
// backed by a pseudo-terminal. The link COM<n> in the port folder leads to the pty's slave node.
//
// It runs on its owner's thread and has none of its own: the owner's loop watches EventFd() and
// calls ProcessEvents() when it is readable (and may watch the data itself, see DataFd()), and
// the events reach the sink from inside that call.
//
// What a pseudo-terminal can report: open and close of the port, data, baud rate, stop bits,
// RTS/CTS and XON/XOFF flow control, the special characters and VMIN/VTIME as read time-outs.
// The kernel forces 8 data bits and no parity on a pty whatever the application sets, so these are
// reported as unknown; a pty has no modem lines, breaks or wait mask, so DtrChanged, RtsChanged,
// RingSignalled, BreakChanged and EventMaskChanged never fire.
//
// Applications' termios changes are signalled through packet mode with EXTPROC on the slave: the
// kernel raises a status byte for every change while the old or the new settings have EXTPROC, so
// while EXTPROC is set the settings are read only after a status byte (not on every event). An
// application that clears EXTPROC stops that signal (the clearing itself is still signalled); its
// settings are then read afresh on every ProcessEvents (so at the latest with its next data, open
// or close), and EXTPROC is set again once the last application has closed the port. With EXTPROC
// the line discipline passes input on unedited even in canonical mode: the port behaves as a raw
// line, as serial programs expect; an application that relies on the kernel's line editing on a
// serial port gets raw bytes.
//
// Every call is made on the owner's thread; EventFd() is valid from a successful AddPort until
// RemovePort or destruction.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/EpollSet.h"
#include "platform/FileOps.h"
#include "platform/PtyPair.h"
#include "platform/SystemClock.h"
#include "platform/WakeEvent.h"
#include "vport/BaudPacer.h"
#include "vport/PortSettings.h"
#include "vport/PtyOpenWatcher.h"
#include "vport/VSPortEvents.h"

namespace vport {

class CVSPortAx {
 public:
  // The most ReadFromPort copies in one call.
  static constexpr long kMaxReadChunk = 1022;
  // The most ReadBlockFromPort copies in one call: what the pty's line buffer holds.
  static constexpr long kMaxReadBlock = 4096;

  explicit CVSPortAx(VSPortEvents& sink, platform::Clock& clock = platform::SystemClock::Instance(),
                     platform::FileOps& files = platform::SystemFileOps());
  // Removes the port even while an application holds it (it then sees a hang-up).
  ~CVSPortAx();
  CVSPortAx(const CVSPortAx&) = delete;
  CVSPortAx& operator=(const CVSPortAx&) = delete;

  // Creates the pty of port "COM<n>" (1 to 255). The link is made later, by PublishLink, once the
  // port has its first settings. Fails when this instance already has a port, the name is invalid
  // or taken in this process, the folder cannot be made, or the name in the folder is not a link
  // of ours (a stale link to a pty node is removed; anything else is left alone).
  bool AddPort(const std::string& portName);
  // Makes (or replaces) the link COM<n> -> slave node. Fails when something foreign is there.
  bool PublishLink();
  // Paces data to the application at its baud rate. Result is always true.
  bool SetStrictBaudrate(bool strict);
  // While inactive the port keeps its state but reports no events.
  void SetActive(bool active) { active_ = active; }
  bool GetActive() const { return active_; }

  // Hands data to the application without blocking; returns the bytes taken (0 to count).
  long WriteToPort(const uint8_t* data, long count);
  // Waits (through clock) up to timeoutMs until the application's side has room for WriteToPort
  // again: 1 when it has (it may still take nothing under strict baud-rate pacing), 0 when the
  // time ran out, -1 when there is no port to wait on or the wait failed.
  int WaitForRoom(platform::Clock& clock, int timeoutMs);
  // Copies at most min(count, kMaxReadChunk) bytes the application wrote; returns how many.
  long ReadFromPort(uint8_t* data, long count);
  // The same with at most min(count, kMaxReadBlock) bytes: one call where a busy writer would
  // otherwise need four.
  long ReadBlockFromPort(uint8_t* data, long count);
  // Bytes the application wrote that no read has taken yet: for an owner that reads on after
  // PortDataAvailable while the application keeps writing.
  long DataWaiting() const { return pty_.Pending(); }
  // DataWaiting, also counting what the application wrote that the kernel has yet to move into
  // the port's line buffer (up to a buffer's worth): for deciding that nothing is left to take.
  long DataLeft() const { return pty_.PendingSettled(); }
  // Has the next ProcessEvents report the data still waiting (PortDataAvailable comes once per
  // arrival): for an owner that stopped reading with data left, to go on after other events.
  void RecheckData() { Wake(); }
  // Discards what is queued both ways and restarts pacing; for after the application closed.
  bool ResetPort();
  // Removes the link and the pty. False, and nothing changes, while an application holds the
  // port open. True when there is no port.
  bool RemovePort();
  // Whether any application has the port open now (a census, so not for every byte). Open and
  // close transitions it comes across are kept for the next ProcessEvents.
  bool ApplicationHoldsPort();
  // Takes the open and close notifications of the owner's own use of the port (priming it
  // before the link exists, when nobody else can have it) without reporting them: the port
  // counts as closed.
  void ForgetOwnOpens();
  // Removes the port even while an application holds it (it then sees a hang-up), as the
  // destructor does.
  void ForceRemovePort() { TearDown(); }
  // At program start, on an instance without a port: removes COM<n> links to pty nodes left in
  // the port folder by an earlier run.
  bool StartupReset();

  // One descriptor for the owner's loop (poll for POLLIN): readable when there is work.
  int EventFd() const { return events_.Fd(); }
  // An owner that takes the application's data as it comes may watch DataFd() itself (for
  // POLLIN | POLLPRI, level-triggered) and call ProcessDataEvent with what poll reported; while it
  // does, EventFd() no longer reports data. A wake-up that passes through EventFd's epoll set
  // reaches a thread in poll() later than one from the pty itself, and a request-and-reply
  // protocol waits for every one of them. The owner stops watching (and says so) whenever it
  // leaves data waiting, which then wakes it once per arrival through EventFd() again.
  int DataFd() const { return pty_.MasterFd(); }
  bool WatchDataDirectly(bool on);
  void ProcessDataEvent(short revents);
  // Opens and closes count up to what the kernel has queued by now, also what the process's
  // watcher thread has not handed over yet: an application that opens the port and sets its
  // line at once is reported open before its settings.
  void ProcessEvents();

  bool HasPort() const { return pty_.IsOpen(); }
  // Any thread: whether an application holds the port, as the open and close notifications
  // counted so far say (the owner's own use while priming left out). Shared, so that a reader
  // elsewhere may keep it past the control's end.
  std::shared_ptr<const std::atomic<bool>> ApplicationOpenFlag() const { return applicationOpen_; }
  const std::string& SlavePath() const { return pty_.SlavePath(); }
  const std::string& LinkPath() const { return linkPath_; }
  // The errno value of the last failed AddPort or PublishLink.
  int LastError() const { return lastError_; }
  // The settings last reported.
  const PortSettings& Settings() const { return settings_; }
  // The settings as they are now: an application that cleared EXTPROC writes them without a
  // signal. What changed is reported with the next ProcessEvents.
  const PortSettings& LookAtSettings();

 private:
  using Event = std::function<void(VSPortEvents&)>;

  // What one look at the event sources found.
  struct Signals {
    bool master = false;    // the master side signalled, or a look at it was asked for
    bool status = false;    // ... with a status byte possibly waiting
    bool wake = false;      // the wake descriptor was written to
    bool readable = false;  // poll found data on the directly watched data descriptor
  };

  int SetUpEventSources();
  void TearDown();
  Signals DrainEventSources(bool fromDataFd);
  bool SetMasterEvents(uint32_t events);
  void QueueOpenTransitions(const std::vector<bool>& transitions);
  void ConsumeControlPackets();
  void ConsumeSignalledStatus();
  void NoteStatus(uint8_t control);                        // a status byte was taken
  PortSettings SettingsOf(const struct termios& t) const;  // with the exact rate
  void QueueSettingChanges();
  void RefreshPacerLine();
  void Wake();
  void Process(Signals found);
  void Deliver(const std::vector<Event>& events);
  long ReadUpTo(uint8_t* data, long count, long most);

  VSPortEvents& sink_;
  BaudPacer pacer_;
  platform::PtyPair pty_;
  platform::EpollSet events_;
  platform::WakeEvent wake_;
  PtyOpenWatcher watcher_;  // after wake_, which it writes to: it goes first
  bool active_ = false;
  bool strict_ = false;
  bool delivering_ = false;
  bool lookAtMaster_ = false;  // Wake() asked ProcessEvents to look at the master again
  bool dataDirect_ = false;    // the owner watches DataFd() itself
  // The settings last read had EXTPROC (so every change raises a status byte), and no status
  // byte was taken since without the settings being read again.
  bool extproc_ = true;
  bool settingsStale_ = false;
  bool settingsWritten_ = false;  // a status byte said the application wrote its settings
  unsigned generation_ = 0;       // bumped on tear-down, so delivery stops with the port gone
  int lastError_ = 0;
  platform::FileOps& files_;  // the port folder's links
  std::string linkPath_;
  PortSettings settings_;
  std::vector<Event> pending_;
  const std::shared_ptr<std::atomic<bool>> applicationOpen_ =
      std::make_shared<std::atomic<bool>>(false);
};

}  // namespace vport
