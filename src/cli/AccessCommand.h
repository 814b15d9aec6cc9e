// portolanctl access: the device access lists (SNMP community names by address pattern), with the
// same rules as the options sheet's Device Access page.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class AccessCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 no such entry, 2 usage error or refused text, 3 the store failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
