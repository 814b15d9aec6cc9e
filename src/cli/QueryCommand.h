// portolanctl query IP: asks one device and prints its record.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class QueryCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 the device answered, 1 it did not, 2 usage error.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
