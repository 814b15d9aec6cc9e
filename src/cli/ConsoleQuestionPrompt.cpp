#include "cli/ConsoleQuestionPrompt.h"

#include <unistd.h>

#include <iostream>
#include <ostream>

namespace cli {

int ConsoleQuestionPrompt::MessageBox(const std::string& text, const std::string& caption,
                                      unsigned type) {
  (void)caption;
  if ((type & platform::MB_TYPEMASK) != platform::MB_OKCANCEL) {
    err_ << prefix_ << ": " << text << "\n";
    return platform::IDOK;
  }
  if (yes_) return platform::IDOK;
  if (::isatty(STDIN_FILENO) != 1) return platform::IDCANCEL;
  err_ << text << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return platform::IDCANCEL;
  return answer == "y" || answer == "Y" || answer == "yes" ? platform::IDOK : platform::IDCANCEL;
}

}  // namespace cli
