// An eventfd that one thread signals to wake another out of its poll or epoll wait. Non-blocking
// and close-on-exec; signals add up until the waiting side drains them.
#pragma once

namespace platform {

class WakeEvent {
 public:
  WakeEvent() = default;
  ~WakeEvent() { Close(); }
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  // Makes the descriptor (closing an earlier one): 0, or the errno value.
  int Open();
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Makes Fd() readable until the next Drain. Safe from any thread while the event is open.
  void Signal() const { Signal(fd_); }
  // The same for whoever was handed only the descriptor; a negative one is ignored.
  static void Signal(int fd);
  // Takes every signal so far, so that Fd() is no longer readable.
  void Drain() const;

 private:
  int fd_ = -1;
};

}  // namespace platform
