// A virtual port's own thread: it runs a message loop that owns the port window (and with it the
// control and the connection). The table sets the start values, sets busy, resumes the thread and
// waits until busy clears; it then reads PortExists. WM_VPORT_DESTROY removes the port the same
// way. The table deletes the object; the destructor ends the loop and joins the thread first, so
// the thread never runs on a deleted object.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"
#include "platform/SystemClock.h"
#include "vport/CVirtualPortDlg.h"
#include "vport/PortFiguresBoard.h"
#include "vport/PortObserver.h"

namespace vport {

class CVirtualPortThread {
 public:
  // clock: the time base of the thread's loop and the window's waits.
  explicit CVirtualPortThread(platform::Clock& clock = platform::SystemClock::Instance());
  // Ends the loop after what is queued, waits for the thread, then removes what is left of the
  // port (even while an application holds it).
  ~CVirtualPortThread();
  CVirtualPortThread(const CVirtualPortThread&) = delete;
  CVirtualPortThread& operator=(const CVirtualPortThread&) = delete;

  // Before Resume.
  void SetStartValues(const std::string& ipAddr, const std::string& tcpPort,
                      const std::string& comName, uint32_t flags);
  void SetObserver(PortObserver* observer) { window_.SetObserver(observer); }
  void SetCaption(const std::string& caption) { window_.SetCaption(caption); }
  void SetConnectTimeout(uint32_t ms) { window_.SetConnectTimeout(ms); }
  void SetKeepAlive(const std::optional<platform::TcpClientSocket::KeepAlive>& keepAlive) {
    window_.SetKeepAlive(keepAlive);
  }
  void SetLineSettings(const std::optional<LineSettings>& line) { window_.SetLineSettings(line); }

  // Starts the thread (once). False when it was started already or cannot start.
  bool Resume();

  // The hand-over with the table: busy is set by the table before it resumes or posts, and
  // cleared by the thread, after PortExists, when the request is done.
  void SetBusy() { busy_.store(true); }
  bool Busy() const { return busy_.load(); }
  // Blocks until busy is clear (returns at once when the thread never started).
  void WaitWhileBusy();
  bool PortExists() const { return portExists_.load() != 0; }
  // Any thread: the port's shared figures (they outlive the thread).
  PortFiguresBoard::Source FiguresSource() const {
    return {window_.Model().Figures(), window_.Control().ApplicationOpenFlag()};
  }

  // Posts to the thread's loop (WM_VPORT_DESTROY, WM_VPORT_SHOWSTATUS, WM_VPORT_SETLOGGING).
  bool PostMessage(uint32_t id, intptr_t wParam = 0, intptr_t lParam = 0) {
    return loop_.PostMessage(id, wParam, lParam);
  }
  // Any thread, before posting WM_VPORT_DESTROY or ending the thread: a send that fails from now
  // on closes without a message, and an application that does not read is not told so. (Nothing
  // waits: neither a server nor an application that stopped reading holds up the request.)
  void AbortSends() { window_.AbortSends(); }
  // Ends the loop after the messages queued before; the thread then finishes on its own.
  void Quit() { loop_.Quit(0); }
  bool Started() const { return thread_.joinable(); }

 private:
  void Main();
  void InitInstance();
  void OnMessage(const platform::Message& message);
  void OnDestroy();
  void ClearBusy();

  std::atomic<bool> busy_{false};
  std::atomic<int> portExists_{0};
  platform::MessageLoop loop_;
  CVirtualPortDlg window_;
  std::string ipAddr_, tcpPort_, comName_;
  uint32_t flags_ = 0;
  std::thread thread_;
};

}  // namespace vport
