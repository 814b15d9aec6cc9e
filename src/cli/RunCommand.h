// portolanctl run: runs the bridges of the stored ports and of the ports given on the command
// line in the foreground, until SIGINT or SIGTERM; then removes every port and exits 0.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/ArgList.h"
#include "vport/LineSettings.h"

namespace cli {

class CtlContext;

class RunCommand {
 public:
  static const char* Usage();
  // Exit codes: 0 ended by a signal, 2 usage error, 3 another copy runs, --metrics cannot be
  // served, or no port could be made.
  static int Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err);

  struct AdHocPort {
    int comNumber = 0;
    std::string ipAddr;
    int32_t devPort = 0;
    uint32_t flags = 0;
    std::optional<vport::LineSettings> line;
  };
  // "COM5=192.168.0.9:1[,rfc2217][,strict][,wine][,line=7E1]"; nullopt when malformed. problem,
  // when given, receives what is wrong with a line setting (empty for any other fault).
  static std::optional<AdHocPort> ParsePortSpec(const std::string& text,
                                                std::string* problem = nullptr);
};

}  // namespace cli
