// portolanctl discover: runs a search and prints the devices as CSV or JSON.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class DiscoverCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 2 usage error, 3 failure.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
