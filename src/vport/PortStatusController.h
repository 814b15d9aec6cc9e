// The status window of one port (dialog 104) without widgets: it shows the snapshots the port
// thread hands over, keeps the log box's text, and turns the window's buttons into requests to
// the port thread. Lives on the windows' thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "vport/PortLog.h"
#include "vport/PortStatusSnapshot.h"

namespace platform {
class FileChooser;
class Prompt;
}  // namespace platform

namespace vport {

class PortStatusController {
 public:
  static constexpr unsigned kHelpTopic = 24;

  // Posts a request (WM_VPORT_...) to the port's thread; false when the port takes none.
  using PostToPort = std::function<bool(std::uint32_t id, std::intptr_t wParam)>;

  // How the log box follows a snapshot: unchanged, text added at its end, or all of it anew
  // (after the oldest lines were dropped to keep it within its capacity).
  struct LogUpdate {
    enum Kind { kNone, kAppend, kReplace } kind = kNone;
    std::string text;  // CR LF line ends, as the log keeps them
  };

  PortStatusController(PostToPort post, platform::Prompt& prompt, platform::FileChooser& files,
                       std::string caption, std::size_t logCapacity = PortLog::kDefaultCapacity);

  // A snapshot arrived: the fields follow it, new log text of the current generation joins the
  // box, a fresh port starts the window over, and a show request makes the window visible.
  LogUpdate Apply(const PortStatusSnapshot& snapshot);

  // The window's controls.
  void SetLogging(bool on);    // "Enable Logging"
  void Clear();                // "Clear": the box empties at once
  PortLog::SaveResult Save();  // "Save..."; kKeptExisting also when the dialog was cancelled
  void Hide();                 // OK and Cancel

  const PortStatusSnapshot& Shown() const { return shown_; }
  const std::string& BoxText() const { return box_; }
  bool Visible() const { return visible_; }
  bool Logging() const { return logging_; }
  bool SaveClearEnabled() const { return logging_; }
  bool Removed() const { return shown_.removed; }

 private:
  PostToPort post_;
  platform::Prompt& prompt_;
  platform::FileChooser& files_;
  std::string caption_;
  std::size_t capacity_;
  PortStatusSnapshot shown_;
  std::string box_;
  std::uint32_t generation_ = 0;  // Clears asked for since the port was made
  bool logging_ = false;
  bool visible_ = false;
};

}  // namespace vport
