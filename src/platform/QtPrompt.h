// Message boxes as QMessageBox, always on the GUI thread: a worker thread that asks waits until
// the box is answered, as a port thread does for its own messages.
#pragma once

#include "platform/Prompt.h"

namespace platform {

class QtPrompt : public Prompt {
 public:
  // Must be called with a QApplication in place. Callable from any thread; when no event loop
  // can show the box (no application), the default answer is given.
  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

  // The answer for the standard button a box was closed with. Closed without one: Cancel when
  // the set has it, else No when it has that, else the default answer.
  static int AnswerFor(int standardButton, unsigned type);
};

}  // namespace platform
