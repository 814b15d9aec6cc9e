// portolanctl snmp get|set: reads or writes variables of one agent through the request layer.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/ArgList.h"

namespace snmp {
class CSnmpVarBind;
}

namespace cli {

class CtlContext;

class SnmpCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 no answer, 2 usage error, 3 the agent or the request failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);

  // "OID=TYPE:VALUE" with TYPE one of i, u, s, x, o, a into a variable; false with a reason.
  static bool ParseAssignment(const std::string& text, snmp::CSnmpVarBind* var,
                              std::string* problem);
};

}  // namespace cli
