// Carries the ports' status snapshots from their threads to the thread of the status windows.
// Port threads leave their latest snapshot in a mailbox (one per port, merged with what is not
// yet taken) and post one message to wake the windows' thread, which takes them all. Nothing
// owned travels in a message, so a message dropped at shutdown loses nothing.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessagePoster.h"
#include "platform/WindowMessages.h"
#include "vport/PortObserver.h"
#include "vport/PortStatusSnapshot.h"

namespace vport {

class PortStatusRelay : public PortObserver {
 public:
  // The message posted to the windows' thread when snapshots wait: no arguments.
  static constexpr std::uint32_t kStatusMessage = platform::WM_USER + 0x40;

  // poster wakes the windows' thread; next (optional) hears every report too.
  explicit PortStatusRelay(platform::MessagePoster& poster, PortObserver* next = nullptr);

  // Port threads.
  void PortCreated(const std::string& comName, const std::string& linkPath) override;
  void PortRemoved(const std::string& comName) override;
  void StateChanged(const std::string& comName, const std::string& statusText) override;
  void LogText(const std::string& comName, const std::string& text) override;
  void StatusChanged(const PortStatusSnapshot& snapshot) override;

  // The windows' thread: every snapshot left since the last call, one per port.
  std::vector<PortStatusSnapshot> TakeAll();

  // A later snapshot of the same port joined to one not yet taken: the newest values, the log
  // texts of one generation joined, and the show, fresh and removed events kept.
  static PortStatusSnapshot Merge(const PortStatusSnapshot& older, const PortStatusSnapshot& newer);

 private:
  platform::MessagePoster& poster_;
  PortObserver* next_;
  std::mutex mutex_;
  std::map<std::string, PortStatusSnapshot> waiting_;
  bool posted_ = false;  // a message is on its way and will take what is waiting
};

}  // namespace vport
