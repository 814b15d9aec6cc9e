#include "vport/CVirtualPortThread.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "platform/GuiWaitPump.h"
#include "platform/Prompt.h"
#include "vport/BridgeCodes.h"

namespace vport {

CVirtualPortThread::CVirtualPortThread(platform::Clock& clock)
    : loop_(clock), window_(loop_, clock) {}

CVirtualPortThread::~CVirtualPortThread() {
  if (thread_.joinable()) {
    window_.AbortSends();  // a send stuck on a server that does not read would block the join
    loop_.Quit(0);
    thread_.join();
  }
  // window_ goes next: it closes the connection, and its control removes the port.
}

void CVirtualPortThread::SetStartValues(const std::string& ipAddr, const std::string& tcpPort,
                                        const std::string& comName, uint32_t flags) {
  ipAddr_ = ipAddr;
  tcpPort_ = tcpPort;
  comName_ = comName;
  flags_ = flags;
}

bool CVirtualPortThread::Resume() {
  if (thread_.joinable()) return false;
  try {
    thread_ = std::thread(&CVirtualPortThread::Main, this);
  } catch (const std::system_error&) {
    ClearBusy();
    return false;
  }
  return true;
}

void CVirtualPortThread::WaitWhileBusy() {
  if (!thread_.joinable()) return;
  // On the GUI thread, keep handling GUI events: the port thread may be showing a message box.
  while (busy_.load()) {
    if (!platform::RunGuiWaitPump()) {
      busy_.wait(true);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void CVirtualPortThread::ClearBusy() {
  busy_.store(false);
  busy_.notify_all();
}

void CVirtualPortThread::Main() {
  loop_.SetHandler([this](const platform::Message& message) { OnMessage(message); });
  InitInstance();
  loop_.Run();
}

void CVirtualPortThread::InitInstance() {
  busy_.store(true);
  const int code = window_.CreateLocalPort(ipAddr_, tcpPort_, comName_, flags_);
  if (code != BRIDGE_OK) {
    // A port given up because the program is ending is no failure to tell anyone about.
    if (window_.CreateError() != ECANCELED) {
      platform::CurrentPrompt().MessageBox("Error creating virtual port \"" + comName_ + "\".",
                                           window_.Caption(), platform::MB_OK);
      window_.ReportCreationFailure();
    }
    portExists_.store(0);
  } else {
    portExists_.store(1);
  }
  ClearBusy();
}

void CVirtualPortThread::OnMessage(const platform::Message& message) {
  if (message.id == WM_VPORT_DESTROY) {
    OnDestroy();
    return;
  }
  window_.HandleMessage(message);
}

void CVirtualPortThread::OnDestroy() {
  busy_.store(true);
  if (window_.RemoveLocalPort() == BRIDGE_PORT_IN_USE) {
    portExists_.store(1);
  } else {
    portExists_.store(0);
    loop_.Quit(0);  // the window is gone, and with it the thread's reason to run
  }
  window_.ClearAbort();  // the connection is closed now; a later one sends as usual
  ClearBusy();
}

}  // namespace vport
