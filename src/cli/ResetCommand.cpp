#include "cli/ResetCommand.h"

#include <ostream>
#include <string>
#include <vector>

#include "cli/MaintenanceRun.h"

namespace cli {

namespace {
constexpr int kExitUsage = 2;
}  // namespace

const char* ResetCommand::Usage() {
  return "  reset IP [--yes] [--port N] [--snmp-port N]\n"
         "                                        restart a device server over SNMP; --port is\n"
         "                                        the discovery port (default the stored one),\n"
         "                                        --snmp-port the agent's (default 161)\n";
}

int ResetCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  MaintenanceRequest request;
  request.prefix = "portolanctl reset";
  if (!ParseMaintenanceOptions(args, context, &request, err) || args.Rest().size() != 1) {
    err << "usage: portolanctl reset IP [--yes] [--port N] [--snmp-port N]\n";
    return kExitUsage;
  }
  return RunMaintenance(request, context, out, err);
}

}  // namespace cli
