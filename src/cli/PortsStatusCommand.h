// portolanctl ports status [--json]: the figures of every port the running program (the desktop
// program or portolanctl run of this user) runs, asked over its running-copy socket.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/ArgList.h"
#include "vport/PortReport.h"

namespace cli {

class PortsStatusCommand {
 public:
  // Exit codes: 0 reported, 1 no program runs, 2 usage error, 3 the program gave no report.
  static int Run(ArgList& args, std::ostream& out, std::ostream& err,
                 const std::string& socketPath);

  // One line per port (and one more for a last error), as the command prints them.
  static std::string Text(const std::vector<vport::PortReport>& ports);
  static std::string Json(const std::vector<vport::PortReport>& ports);
  // "2026-12-08T10:41:07Z" for seconds since 1970; "" for 0.
  static std::string UtcTime(std::int64_t seconds);
};

}  // namespace cli
