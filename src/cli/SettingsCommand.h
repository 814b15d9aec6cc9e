// portolanctl settings get|set|export.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class SettingsCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 value absent (get), 2 usage error, 3 the store failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);

 private:
  static int Get(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
  static int Set(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
  static int Export(CtlContext& context, std::ostream& out);
};

}  // namespace cli
