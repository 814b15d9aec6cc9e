// The save-file dialog behind an interface: the windows ask it for a path, tests answer from a
// script. The dialog itself never asks about overwriting; callers that care ask on their own.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct SaveFileRequest {
  std::string title;
  std::string fileName;          // proposed name (or path)
  std::string filter;            // "Text files (*.txt)|*.txt|All files (*.*)|*.*||"
  std::string defaultExtension;  // added to a name typed without one ("txt")
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) = 0;

  // The (description, pattern) pairs of a filter written as "desc|pattern|desc|pattern||".
  static std::vector<std::pair<std::string, std::string>> SplitFilter(const std::string& filter);
};

// Answers from a queue (cancel when it runs dry) and records the requests. Not thread-safe: the
// dialogs belong to one thread.
class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) override;
  void QueueAnswer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
  const std::vector<SaveFileRequest>& Requests() const { return requests_; }

 private:
  std::vector<std::optional<std::string>> answers_;
  std::vector<SaveFileRequest> requests_;
};

}  // namespace platform
