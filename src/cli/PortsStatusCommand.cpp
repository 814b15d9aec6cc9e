#include "cli/PortsStatusCommand.h"

#include <ctime>
#include <ostream>

#include "cli/CtlDiscovery.h"
#include "platform/RunningCopyClient.h"
#include "vport/PortReportCodec.h"

namespace cli {

namespace {

constexpr int kExitNotRunning = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
// The report can be long (255 ports): more time than a plain query.
constexpr int kTimeoutMs = 5000;

static_assert(vport::PortReportCodec::kMaxSize <= platform::RunningCopyProtocol::kMaxStatusPayload,
              "the largest port report must fit the socket's reply");

std::string JsonText(const std::string& text) {
  return text.empty() ? "null" : CtlDiscovery::JsonString(text);
}

}  // namespace

std::string PortsStatusCommand::UtcTime(std::int64_t seconds) {
  if (seconds <= 0) return "";
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  if (gmtime_r(&time, &utc) == nullptr) return "";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string PortsStatusCommand::Text(const std::vector<vport::PortReport>& ports) {
  if (ports.empty()) return "no virtual port runs\n";
  std::string text;
  for (const vport::PortReport& port : ports) {
    text += port.comName + "  " + port.server + "  " + vport::PortReport::StateText(port.state);
    if (port.connectedSince > 0) text += " since " + UtcTime(port.connectedSince);
    text += "  rx " + std::to_string(port.rxBytes) + "  tx " + std::to_string(port.txBytes) +
            "  reconnects " + std::to_string(port.reconnects) + "  application " +
            (port.applicationOpen ? "open" : "none") + "\n";
    if (!port.lastError.empty()) text += "  last error: " + port.lastError + "\n";
  }
  return text;
}

std::string PortsStatusCommand::Json(const std::vector<vport::PortReport>& ports) {
  std::string json = "{\"ports\": [";
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const vport::PortReport& port = ports[i];
    json += i == 0 ? "\n" : ",\n";
    json +=
        "  {\"port\": " + CtlDiscovery::JsonString(port.comName) +
        ", \"server\": " + CtlDiscovery::JsonString(port.server) +
        ", \"state\": " + CtlDiscovery::JsonString(vport::PortReport::StateText(port.state)) +
        ", \"connected\": " + (port.state == vport::PortReport::State::kOpen ? "true" : "false") +
        ", \"connected_since\": " + JsonText(UtcTime(port.connectedSince)) +
        ", \"rx_bytes\": " + std::to_string(port.rxBytes) +
        ", \"tx_bytes\": " + std::to_string(port.txBytes) +
        ", \"reconnects\": " + std::to_string(port.reconnects) +
        ", \"last_error\": " + JsonText(port.lastError) +
        ", \"application_open\": " + (port.applicationOpen ? "true" : "false") + "}";
  }
  json += ports.empty() ? "]}\n" : "\n]}\n";
  return json;
}

int PortsStatusCommand::Run(ArgList& args, std::ostream& out, std::ostream& err,
                            const std::string& socketPath) {
  const bool json = args.TakeFlag("json");
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().size() != 1) {
    err << "usage: portolanctl ports status [--json]\n";
    return kExitUsage;
  }
  using Outcome = platform::RunningCopyClient::StatusOutcome;
  const auto result = platform::RunningCopyClient::AskPortStatus(vport::PortReportCodec::kVersion,
                                                                 kTimeoutMs, socketPath);
  switch (result.outcome) {
    case Outcome::kNotRunning:
      err << "portolanctl: Portolan is not running for this user (neither the desktop program nor "
             "portolanctl run): no ports to report\n";
      return kExitNotRunning;
    case Outcome::kNoAnswer:
      err << "portolanctl: the running Portolan did not answer on " << socketPath << "\n";
      return kExitFailed;
    case Outcome::kRefused:
      err << "portolanctl: the running Portolan does not report its ports (an older version?)\n";
      return kExitFailed;
    case Outcome::kReport:
      break;
  }
  std::vector<vport::PortReport> ports;
  const auto error = vport::PortReportCodec::Decode(result.report, &ports);
  if (error != vport::PortReportCodec::DecodeError::kNone) {
    err << "portolanctl: the running Portolan sent a port report that does not decode ("
        << vport::PortReportCodec::ErrorText(error) << ")\n";
    return kExitFailed;
  }
  out << (json ? Json(ports) : Text(ports));
  return 0;
}

}  // namespace cli
