// portolanctl setip: gives a device its IP address (by hardware address or serial number) and
// checks that it answers there.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class SetIpCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 the device answers at its new address, 1 it does not, 2 usage error or invalid
  // input, 3 the request could not be sent.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
