// The save-file dialog of the desktop program (QFileDialog), owned by the active window.
#pragma once

#include "platform/FileChooser.h"

namespace platform {

class QtFileChooser : public FileChooser {
 public:
  std::optional<std::string> GetSaveFileName(const SaveFileRequest& request) override;
  // "Text files (*.txt);;All files (*.*)" for the '|' form; a description that lacks its pattern
  // gets it added in parentheses, as Qt reads the patterns from there.
  static std::string QtFilter(const std::string& filter);
};

}  // namespace platform
