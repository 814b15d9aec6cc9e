// portolanctl's top level: global options and the dispatch to one command.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

class CtlApp {
 public:
  // arguments without the program name. Returns the process exit code.
  static int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
  static std::string HelpText();
};

}  // namespace cli
