// portolanctl views: the stored views and groups, with the rules of the view wizard's default
// Finish and of the Select a View dialog's Delete.
#pragma once

#include <iosfwd>

#include "cli/ArgList.h"

namespace cli {

class CtlContext;

class ViewsCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 done, 1 no such view or group, 2 usage error or refused name, 3 refused
  // deletion or the store failed.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);
};

}  // namespace cli
