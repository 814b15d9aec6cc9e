// What the request layer needs of the window it waits in: a place for the session's notification
// message, readiness of the session's socket counted as that message, a wait that ends on the
// message, a time-out or the user's Cancel, and progress texts. The application's please-wait
// window implements it; tests may give their own.
#pragma once

#include <cstdint>

namespace platform {
class MessagePoster;
}

namespace snmp {

class SnmpWaitWindow {
 public:
  static constexpr int kWaitCancelled = 2;
  static constexpr int kWaitTimedOut = 3;

  virtual ~SnmpWaitWindow() = default;
  // Where the engine posts the session's notification (the serial transport does after a send).
  virtual platform::MessagePoster* Poster() = 0;
  // While watched, fd being readable counts as message arriving. 0, or an errno value.
  virtual int WatchFd(int fd, uint32_t message) = 0;
  virtual void ForgetFd(int fd) = 0;
  // kWaitCancelled, message when it arrived, or kWaitTimedOut after timeoutMs.
  virtual int Wait(unsigned message, int timeoutMs) = 0;
  // Shows (or in the background posts) the progress text of a string id.
  virtual void SetText(unsigned stringId) = 0;
};

}  // namespace snmp
