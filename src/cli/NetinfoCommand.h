// portolanctl netinfo: the Network Information dialog's lines.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class NetinfoCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 2 usage error, 3 the SNMP engine did not start (the lines still print).
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
