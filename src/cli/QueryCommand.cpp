#include "cli/QueryCommand.h"

#include <ostream>

#include "cli/CtlContext.h"
#include "cli/CtlDiscovery.h"
#include "cli/SnmpEngineScope.h"
#include "discovery/BackgroundSearchWait.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DiscoveryRequest.h"

namespace cli {
namespace {

constexpr int kExitNoAnswer = 1;
constexpr int kExitUsage = 2;

}  // namespace

const char* QueryCommand::Usage() {
  return "  query IP [--port N] [--timeout MS] [--snmp-port N] [--no-snmp]\n"
         "                                        ask one device and print its \"Title: text\"\n"
         "                                        lines, then each port's own lines; exit 1 when\n"
         "                                        it does not answer. Firmware Version, Location,\n"
         "                                        the printer and wireless values come from the\n"
         "                                        device's SNMP agent (UDP port 161 or\n"
         "                                        --snmp-port N), unless --no-snmp\n";
}

int QueryCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  discovery::EngineOptions options;
  if (!CtlDiscovery::Configure(args, context.Settings(), &options, err)) return kExitUsage;
  discovery::SnmpExtendedQueryConfig snmpConfig;
  if (!CtlDiscovery::ConfigureSnmp(args, context.Settings(), &snmpConfig, err)) return kExitUsage;
  const bool snmp = !args.TakeFlag("no-snmp");
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().size() != 1) {
    err << "usage: portolanctl query IP [--port N] [--timeout MS] [--snmp-port N] [--no-snmp]\n";
    return kExitUsage;
  }
  const std::string& address = args.Rest().front();
  if (!discovery::ParseStrictAddress(address)) {
    err << "portolanctl query: "
        << "The IP address is invalid."
        << "\n";
    return kExitUsage;
  }
  SnmpEngineScope engine;
  discovery::SnmpExtendedQuery query(snmpConfig);
  discovery::BackgroundSearchWait wait(nullptr);
  discovery::DeviceRecordOptions recordOptions = options.recordOptions;
  recordOptions.broadcastTimeoutMs = options.broadcastTimeoutMs;
  // Without a running engine the query would fail at once; the reply's values still print.
  if (snmp && engine.started()) recordOptions.extendedQuery = &query;
  discovery::CIpDeviceRecord record(&wait, recordOptions);
  record.SetIpAddress(address);
  const int result = record.Query();
  discovery::CDeviceColumnTable table;
  // The device as a whole (Status is its level over all its ports), then each port's own lines.
  record.SelectPort(-1);
  for (int i = 0; i < discovery::kColumnCount; ++i) {
    const char* text = record.GetColumnText(i);
    out << table.Title(i) << ": " << (text != nullptr ? text : "") << "\n";
  }
  for (int p = 0; result == discovery::kRecordOk && p < record.GetPortCount(); ++p) {
    record.SelectPort(p);
    out << "Port # " << p + 1 << ":\n";
    for (int i = 0; i < discovery::kColumnCount; ++i) {
      if (i != discovery::kColStatus && !table.IsPortColumn(i)) continue;
      const char* text = record.GetColumnText(i);
      out << "  " << table.Title(i) << ": " << (text != nullptr ? text : "") << "\n";
    }
  }
  if (result != discovery::kRecordOk) {
    err << "portolanctl query: no answer from " << address << "\n";
    return kExitNoAnswer;
  }
  return 0;
}

}  // namespace cli
