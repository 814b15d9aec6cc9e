#include "cli/MaintenanceRun.h"

#include <unistd.h>

#include <cstdlib>
#include <ostream>
#include <set>
#include <string>

#include "app/AppSettings.h"
#include "app/DeviceAccessList.h"
#include "app/ErrorReporter.h"
#include "app/OemBrandTable.h"
#include "cli/ConsoleCommunityPrompt.h"
#include "cli/ConsoleQuestionPrompt.h"
#include "cli/ConsoleWaitView.h"
#include "cli/CtlContext.h"
#include "cli/CtlDiscovery.h"
#include "cli/SnmpEngineScope.h"
#include "devices/ResetServerController.h"
#include "discovery/CIpDeviceRecord.h"
#include "discovery/CPleaseWaitDlg.h"
#include "discovery/DiscoveryRequest.h"
#include "platform/SystemClock.h"
#include "snmp/CSnmpManager.h"
#include "snmp/SnmpTransport.h"

namespace cli {

namespace {

constexpr int kExitNoAnswer = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

using Mode = MaintenanceRequest::Mode;
using Request = MaintenanceRequest;

}  // namespace

bool ParseMaintenanceNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty() || text.size() > 9) return false;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && *value >= low && *value <= high;
}

bool ParseMaintenanceOptions(ArgList& args, CtlContext& context, MaintenanceRequest* request,
                             std::ostream& err) {
  request->yes = args.TakeFlag("yes");
  const auto snmpPort = args.TakeOption("snmp-port");
  if (!CtlDiscovery::Configure(args, context.Settings(), &request->discovery, err)) return false;
  long port = 161;
  if (snmpPort && !ParseMaintenanceNumber(*snmpPort, 1, 65535, &port)) {
    err << request->prefix << ": --snmp-port needs a number from 1 to 65535\n";
    return false;
  }
  request->snmpPort = static_cast<int>(port);
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().empty()) return false;
  request->address = args.Rest().front();
  if (!discovery::ParseStrictAddress(request->address)) {
    err << request->prefix << ": The IP address is invalid.\n";
    return false;
  }
  return true;
}

namespace {

// A question that cannot be asked is an error before any traffic, not a silent "no".
bool CanAnswerQuestions(const Request& request, std::ostream& err) {
  if (request.mode == Mode::kList || request.yes || ::isatty(STDIN_FILENO) == 1) return true;
  err << request.prefix << ": no terminal to ask on; give --yes to confirm\n";
  return false;
}

int ExitForStart(devices::ResetStart start, int lastError, const Request& request,
                 std::ostream& err) {
  switch (start) {
    case devices::ResetStart::kDialog:
      return 0;
    case devices::ResetStart::kNotValid:
      return kExitNoAnswer;
    case devices::ResetStart::kReadFailed:
      return lastError == snmp::kSnmpNoReply ? kExitNoAnswer : kExitFailed;
    case devices::ResetStart::kTelnet:
      err << request.prefix << ": this server is maintained through a telnet session\n";
      return kExitFailed;
    default:
      return kExitFailed;
  }
}

int Act(devices::ResetServerController& controller, const Request& request, std::ostream& out,
        std::ostream& err) {
  const auto& lines = controller.Lines();
  if (request.mode == Mode::kList) {
    for (size_t i = 0; i < lines.size(); ++i) out << i + 1 << " " << lines[i].label << "\n";
    return 0;
  }
  if (!controller.WritesAllowed()) {
    err << request.prefix << ": the SET community was ignored: read-only access\n";
    return kExitFailed;
  }
  int done = devices::ResetServerController::kStayOpen;
  if (request.mode == Mode::kReset) {
    done = controller.Reset();
  } else {
    for (size_t i = 0; i < lines.size(); ++i) {
      const bool all = request.mode == Mode::kRestoreAll;
      controller.SetChecked(i, all || request.items.count(i + 1) != 0);
    }
    for (size_t item : request.items) {
      if (item > lines.size()) {
        err << request.prefix << ": no line " << item << "; the server lists " << lines.size()
            << "\n";
        return kExitUsage;
      }
    }
    done = controller.Restore();
  }
  if (done != devices::ResetServerController::kStayOpen) {
    out << request.address << ": " << (request.mode == Mode::kReset ? "reset" : "restored") << "\n";
    return 0;
  }
  if (controller.LastError() == 0) {
    err << request.prefix << ": nothing done\n";
    return kExitFailed;
  }
  return controller.LastError() == snmp::kSnmpNoReply ? kExitNoAnswer : kExitFailed;
}

}  // namespace

int RunMaintenance(const MaintenanceRequest& request, CtlContext& context, std::ostream& out,
                   std::ostream& err) {
  if (!CanAnswerQuestions(request, err)) return kExitUsage;
  app::AppSettings stored;
  stored.Load(context.Settings());
  app::OemBrandTable brands;
  brands.Fill(context.Settings());
  devices::ResetServerSettings settings;
  settings.getTimeout = stored.getTimeout;
  settings.setTimeout = stored.setTimeout;
  settings.queryAtSeconds = stored.resetTimeout;
  settings.roots = devices::BrandRoots::From(brands);

  SnmpEngineScope engine;
  if (!engine.started()) {
    err << request.prefix << ": the SNMP engine did not start\n";
    return kExitFailed;
  }
  snmp::SnmpTransportDefaults().udpAgentPort = static_cast<uint16_t>(request.snmpPort);
  discovery::CPleaseWaitDlg wait(false);
  ConsoleWaitView view(err);
  wait.SetView(&view);
  discovery::DeviceRecordOptions recordOptions = request.discovery.recordOptions;
  recordOptions.broadcastTimeoutMs = request.discovery.broadcastTimeoutMs;
  discovery::CIpDeviceRecord record(&wait, recordOptions);
  record.SetIpAddress(request.address);
  ConsoleQuestionPrompt prompt(request.prefix, request.yes, err);
  ConsoleCommunityPrompt communities(request.prefix, err);
  app::ErrorReporter logger(context.Settings(), &prompt);
  const auto report = [&](unsigned codeA, int classA, unsigned codeB, int classB) {
    if (app::ErrorReporter::IsSuppressed(codeB, classB)) return;
    logger.Report(codeA, classA, codeB, classB, 0);  // the error log, when it is on
    err << request.prefix << ": " << app::ErrorReporter::MessageLine(codeA, classA, codeB, classB)
        << "\n";
  };
  devices::ResetServerController controller(
      record, app::ReloadApplicationAccessList(context.Settings(), false), wait, prompt,
      communities, settings, report, platform::SystemClock::Instance());
  const devices::ResetStart start = controller.Start();
  if (start != devices::ResetStart::kDialog) {
    return ExitForStart(start, controller.LastError(), request, err);
  }
  const int code = Act(controller, request, out, err);
  controller.Close();
  return code;
}

}  // namespace cli
