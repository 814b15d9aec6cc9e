#include "cli/RestoreCommand.h"

#include <ostream>
#include <string>
#include <vector>

#include "cli/MaintenanceRun.h"

namespace cli {

namespace {
constexpr int kExitUsage = 2;
}  // namespace

const char* RestoreCommand::Usage() {
  return "  restore IP --list [--port N] [--snmp-port N]\n"
         "                                        list the parts that can be restored, numbered\n"
         "  restore IP (--all | --item K...) [--yes] [--port N] [--snmp-port N]\n"
         "                                        restore all parts, or lines K, to the factory\n"
         "                                        defaults (--item repeats, or takes several K)\n"
         "    the communities come from the access list and must match the device's; without\n"
         "    --yes the question is asked on the terminal\n";
}

int RestoreCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  MaintenanceRequest request;
  request.prefix = "portolanctl restore";
  const bool list = args.TakeFlag("list");
  const bool all = args.TakeFlag("all");
  std::vector<std::string> items = args.TakeOptionAll("item");
  bool parsed = ParseMaintenanceOptions(args, context, &request, err);
  // "--item 1 3" as well as "--item 1 --item 3": the words after the address are items too.
  if (parsed && !items.empty()) {
    items.insert(items.end(), args.Rest().begin() + 1, args.Rest().end());
  }
  if (parsed && items.empty() && args.Rest().size() != 1) parsed = false;
  for (const std::string& item : items) {
    long k = 0;
    if (!ParseMaintenanceNumber(item, 1, 1000, &k)) parsed = false;
    request.items.insert(static_cast<size_t>(k));
  }
  if (!parsed || (list ? 1 : 0) + (all ? 1 : 0) + (items.empty() ? 0 : 1) != 1) {
    err << "usage: portolanctl restore IP --list | (--all | --item K...) [--yes]"
           " [--port N] [--snmp-port N]\n";
    return kExitUsage;
  }
  request.mode = list  ? MaintenanceRequest::Mode::kList
                 : all ? MaintenanceRequest::Mode::kRestoreAll
                       : MaintenanceRequest::Mode::kRestoreItems;
  return RunMaintenance(request, context, out, err);
}

}  // namespace cli
