#include "cli/NetinfoCommand.h"

#include <ostream>

#include "devices/NetworkInfoController.h"
#include "discovery/NetworkEnvironment.h"
#include "snmp/SnmpApi.h"

namespace cli {

namespace {
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
}  // namespace

const char* NetinfoCommand::Usage() {
  return "  netinfo                               the network environment, as the Network\n"
         "                                        Information dialog shows it\n";
}

int NetinfoCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  (void)context;
  if (!args.Rest().empty() || args.FirstUnknownOption()) {
    err << "usage: portolanctl netinfo\n";
    return kExitUsage;
  }
  discovery::NetworkEnvironment environment;
  const int probed = environment.Probe();
  out << devices::NetworkInfoController(environment).Text();
  if (probed == discovery::NetworkEnvironment::kSnmpFailed) {
    err << "portolanctl netinfo: the SNMP engine did not start\n";
    return kExitFailed;
  }
  SnmpCleanup();
  return 0;
}

}  // namespace cli
