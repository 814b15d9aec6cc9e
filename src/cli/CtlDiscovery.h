// What the discovery commands of portolanctl share: engine options from the settings (with the
// command line's --port and --timeout), a search run on a message loop that plays the main window,
// and the output of device texts as CSV or JSON.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/ArgList.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/SnmpExtendedQuery.h"

namespace app {
class Settings;
}

namespace cli {

class CtlDiscovery {
 public:
  // Reads --port N and --timeout MS from args and the rest from the settings; sets the discovery
  // port. False (with a message on err) on a bad value.
  static bool Configure(ArgList& args, app::Settings& settings, discovery::EngineOptions* options,
                        std::ostream& err);

  // Reads --snmp-port N (the devices' agents, 161 unless told) and the extended query's settings
  // (Timeouts\GetTimeout, the brand table); sets the agents' port. False (with a message on err)
  // on a bad value.
  static bool ConfigureSnmp(ArgList& args, app::Settings& settings,
                            discovery::SnmpExtendedQueryConfig* config, std::ostream& err);

  // Column indices of a comma-separated list of titles; nothing when a title is unknown.
  static std::optional<std::vector<int>> ParseColumns(const std::string& titles,
                                                      const discovery::CDeviceColumnTable& table,
                                                      std::ostream& err);

  // One RFC 4180 field: quoted when it holds a comma, a quote or a line break.
  static std::string CsvField(const std::string& text);
  // A JSON string literal; bytes that are not printable ASCII are escaped.
  static std::string JsonString(const std::string& text);
};

}  // namespace cli
