// The simulator's command line: simple cases by options, full control by a config file.
#pragma once

#include <string>

#include "SimOptions.h"

namespace devsim {

struct CommandLineResult {
  enum class Action { kRun, kHelp, kError } action = Action::kRun;
  std::string message;  // the error, for kError
  SimOptions options;
};

CommandLineResult ParseCommandLine(int argc, const char* const* argv);

// The --help text.
const char* HelpText();

}  // namespace devsim
