// One inotify instance: watches on paths, and the events queued for them read without waiting.
// The descriptor is non-blocking and close-on-exec; its owner polls Fd() for readability.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class InotifyInstance {
 public:
  // Receives one event: the watch it belongs to (-1 for IN_Q_OVERFLOW) and its mask.
  using EventHandler = std::function<void(int watch, uint32_t mask)>;

  InotifyInstance() = default;
  ~InotifyInstance() { Close(); }
  InotifyInstance(const InotifyInstance&) = delete;
  InotifyInstance& operator=(const InotifyInstance&) = delete;

  // Makes the instance (closing an earlier one): 0, or the errno value (EMFILE when the user's
  // instances are all taken).
  int Open();
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // Watches path for the events of mask: the watch id (>= 0), or -errno.
  int AddWatch(const std::string& path, uint32_t mask);
  // A watch whose path is gone is gone already; removing it again is harmless.
  void RemoveWatch(int watch);
  // Reads until nothing is queued and hands every event over, in order.
  void ReadQueued(const EventHandler& handle);

  // Hands over the whole event records in size bytes of a read; a record cut short at the end is
  // dropped (the kernel never cuts one, but the bytes are not trusted to say so).
  static void ParseEvents(const uint8_t* bytes, size_t size, const EventHandler& handle);

 private:
  int fd_ = -1;
};

}  // namespace platform
