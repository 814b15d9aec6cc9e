// The message boxes of portolanctl's device commands: notices go to standard error; OK/Cancel
// questions are answered OK with --yes, else asked on the terminal ("y" is OK).
#pragma once

#include <iosfwd>
#include <string>

#include "platform/Prompt.h"

namespace cli {

class ConsoleQuestionPrompt : public platform::Prompt {
 public:
  // prefix starts every line written ("portolanctl reset").
  ConsoleQuestionPrompt(std::string prefix, bool yes, std::ostream& err)
      : prefix_(std::move(prefix)), yes_(yes), err_(err) {}

  int MessageBox(const std::string& text, const std::string& caption, unsigned type) override;

 private:
  std::string prefix_;
  bool yes_;
  std::ostream& err_;
};

}  // namespace cli
