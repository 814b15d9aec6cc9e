// portolanctl reset: restarts one device server through the Reset Server controller.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class ResetCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 the device does not answer, 2 usage error, 3 refused or failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
