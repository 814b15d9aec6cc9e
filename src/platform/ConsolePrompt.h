// The prompt of a program without windows: each box becomes one line "caption: text" on stderr
// (or the fd given) and is answered with its default button.
#pragma once

#include <string>

#include "platform/Prompt.h"

namespace platform {

class ConsolePrompt : public Prompt {
 public:
  explicit ConsolePrompt(int fd = 2) : fd_(fd) {}
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  // The line written for a box, with its line break. Line breaks in the text become spaces and
  // other control characters '?', so that device-supplied text cannot break the line or send
  // terminal escapes.
  static std::string FormatLine(const std::string& text, const std::string& caption);

 private:
  int fd_;
};

}  // namespace platform
