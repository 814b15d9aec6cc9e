// A port's log as the status window keeps it: lines are appended to a pending text, and only the
// window's periodic tick moves them into the shown text. Both texts are bounded; when one outgrows
// its capacity the oldest whole lines are dropped. Used on the port's own thread only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {
class Prompt;
}

namespace vport {

class PortLog {
 public:
  // About 1 MiB of text: many hours of per-chunk lines, far more than anyone scrolls through.
  static constexpr std::size_t kDefaultCapacity = std::size_t{1} << 20;

  // The save dialog's settings.
  static constexpr const char* kSaveTitle = "Save COM Port Log";
  static constexpr const char* kSaveFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*||";
  static constexpr const char* kSaveExtension = "txt";

  enum class SaveResult {
    kSaved,         // the file holds the shown text
    kKeptExisting,  // the file existed and the user chose not to overwrite it
    kOpenFailed,    // the file could not be created; the user was told
    kWriteFailed,   // writing or closing failed part way; the user was told
  };

  explicit PortLog(std::size_t capacity = kDefaultCapacity);

  // Adds "\r\n" and the line to the pending text, so every line starts a new line of the box.
  void AppendLog(std::string_view line);

  // The tick: moves the pending text onto the end of the shown text and returns what was moved
  // (empty when nothing was pending).
  std::string MovePending();

  // Empties the shown text; pending lines stay and appear at the next tick.
  void Clear() { shown_.clear(); }

  const std::string& shown() const { return shown_; }
  const std::string& pending() const { return pending_; }
  std::size_t capacity() const { return capacity_; }

  // Writes the shown text (not the pending one) to path, with LF line ends. An existing file is
  // overwritten only after prompt answers Yes; failures are reported through prompt too, all with
  // caption as the box caption.
  SaveResult Save(const std::string& path, platform::Prompt& prompt,
                  const std::string& caption) const;
  // The same for a log box's text kept elsewhere (the status window's own copy).
  static SaveResult SaveText(const std::string& boxText, const std::string& path,
                             platform::Prompt& prompt, const std::string& caption);

  // "COM5PrtLog.txt" for COM5.
  static std::string DefaultFileName(const std::string& comName);

  // Drops the oldest whole lines of text until it fits limit; a continuation line (one that starts
  // with a blank or tab) goes together with the line it continues where possible.
  static void TrimOldestLines(std::string& text, std::size_t limit);

 private:
  std::size_t capacity_;
  std::string pending_;
  std::string shown_;
};

}  // namespace vport
