// What portolanctl reset and restore share: their options, and one run of the Reset Server
// controller on one device, with the same SNMP requests as the desktop program's dialog.
#pragma once

#include <iosfwd>
#include <set>
#include <string>

#include "cli/ArgList.h"
#include "cli/CtlDiscovery.h"

namespace cli {

class CtlContext;

struct MaintenanceRequest {
  enum class Mode { kReset, kList, kRestoreAll, kRestoreItems };

  Mode mode = Mode::kReset;
  std::string prefix;  // "portolanctl reset"
  std::string address;
  bool yes = false;
  int snmpPort = 161;
  std::set<size_t> items;  // 1-based, as listed
  discovery::EngineOptions discovery;
};

// Takes --yes, --snmp-port and the discovery options, and the address; false on a usage error.
bool ParseMaintenanceOptions(ArgList& args, CtlContext& context, MaintenanceRequest* request,
                             std::ostream& err);
// A number from low to high, for the commands' options.
bool ParseMaintenanceNumber(const std::string& text, long low, long high, long* value);
// Exit codes: 0 done, 1 the device does not answer, 2 usage error, 3 refused or failed (a
// community that does not match included).
int RunMaintenance(const MaintenanceRequest& request, CtlContext& context, std::ostream& out,
                   std::ostream& err);

}  // namespace cli
