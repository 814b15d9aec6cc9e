#include "cli/QueryCommand.h"

#include <ostream>

#include "cli/CtlContext.h"
#include "cli/CtlDiscovery.h"
#include "discovery/BackgroundSearchWait.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/DiscoveryRequest.h"

namespace cli {
namespace {

constexpr int kExitNoAnswer = 1;
constexpr int kExitUsage = 2;

}  // namespace

const char* QueryCommand::Usage() {
  return "  query IP [--port N] [--timeout MS]    ask one device and print its \"Title: text\"\n"
         "                                        lines, then each port's own lines; exit 1 when\n"
         "                                        it does not answer\n";
}

int QueryCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  discovery::EngineOptions options;
  if (!CtlDiscovery::Configure(args, context.Settings(), &options, err)) return kExitUsage;
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().size() != 1) {
    err << "usage: portolanctl query IP [--port N] [--timeout MS]\n";
    return kExitUsage;
  }
  const std::string& address = args.Rest().front();
  if (!discovery::ParseStrictAddress(address)) {
    err << "portolanctl query: "
        << "The IP address is invalid."
        << "\n";
    return kExitUsage;
  }
  discovery::BackgroundSearchWait wait(nullptr);
  discovery::DeviceRecordOptions recordOptions = options.recordOptions;
  recordOptions.broadcastTimeoutMs = options.broadcastTimeoutMs;
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
