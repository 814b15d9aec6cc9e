#include "cli/RunCommand.h"

#include <arpa/inet.h>
#include <signal.h>

#include <cerrno>
#include <mutex>
#include <ostream>
#include <sstream>
#include <vector>

#include "cli/CtlContext.h"
#include "cli/MetricsHttpServer.h"
#include "cli/PortsCommand.h"
#include "cli/RunMonitoring.h"
#include "platform/InstanceGuard.h"
#include "platform/RunningCopyProtocol.h"
#include "vport/BridgeCodes.h"
#include "vport/CVirtualPortTable.h"
#include "vport/PortFlags.h"
#include "vport/PortFolder.h"

namespace cli {

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

// Prints what the ports report, one whole line at a time (the ports' threads call it at once).
class ConsoleObserver : public vport::PortObserver {
 public:
  ConsoleObserver(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void PortCreated(const std::string& comName, const std::string& linkPath) override {
    Print(comName + ": " + linkPath);
  }
  void PortRemoved(const std::string& comName) override { Print(comName + ": removed"); }
  void Notice(const std::string& comName, const std::string& text) override {
    Print(comName + ": " + text);
  }
  void PortCreationFailed(const std::string& comName, const std::string& reason) override {
    Print(comName + ": not created: " + reason);
    std::lock_guard lock(mutex_);
    err_ << "portolanctl: " << comName << ": " << reason << "\n" << std::flush;
  }
  void StateChanged(const std::string& comName, const std::string& status) override {
    Print(comName + ": " + status);
  }
  void LogText(const std::string& comName, const std::string& text) override {
    // The log box's CR LF lines, each begun by CR LF, become "COM5| line" lines.
    std::string lines;
    std::string line;
    std::istringstream in(text);
    bool first = true;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (first && line.empty()) {
        first = false;
        continue;
      }
      first = false;
      lines += comName + "| " + line + "\n";
    }
    std::lock_guard lock(mutex_);
    out_ << lines << std::flush;
  }

  // One whole line, never mixed with the ports' lines.
  void Print(const std::string& line) {
    std::lock_guard lock(mutex_);
    out_ << line << "\n" << std::flush;
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::mutex mutex_;
};

}  // namespace

const char* RunCommand::Usage() {
  return "  run [--port COMn=IP:DEVPORT[,rfc2217][,strict][,wine][,line=7E1]]... [--log]\n"
         "      [--metrics [ADDRESS:]PORT]        run the stored ports and the given ones until\n"
         "                                        SIGINT/SIGTERM; --log prints the ports' logs;\n"
         "                                        --metrics serves their figures for Prometheus\n"
         "                                        on http://ADDRESS:PORT/metrics (127.0.0.1\n"
         "                                        unless an address is given; off by default)\n"
         "    DEVPORT: device port index, 0 for Port # 1 (TCP 9100+DEVPORT, 9200+ with rfc2217)\n";
}

std::optional<RunCommand::AdHocPort> RunCommand::ParsePortSpec(const std::string& text,
                                                               std::string* problem) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  AdHocPort port;
  const auto comNumber = PortsCommand::ParseComName(text.substr(0, equals));
  if (!comNumber) return std::nullopt;
  port.comNumber = *comNumber;
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text.substr(equals + 1));
  while (std::getline(in, part, ',')) parts.push_back(part);
  if (parts.empty()) return std::nullopt;
  const size_t colon = parts[0].rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  port.ipAddr = parts[0].substr(0, colon);
  in_addr address{};
  if (inet_pton(AF_INET, port.ipAddr.c_str(), &address) != 1) return std::nullopt;
  const auto devPort = PortsCommand::ParseDevPort(parts[0].substr(colon + 1));
  if (!devPort) return std::nullopt;
  port.devPort = *devPort;
  for (size_t i = 1; i < parts.size(); ++i) {
    if (parts[i] == "rfc2217") {
      port.flags |= vport::PORTFLAG_RFC2217;
    } else if (parts[i] == "strict") {
      port.flags |= vport::PORTFLAG_STRICTBAUD;
    } else if (parts[i] == "wine") {
      port.flags |= vport::PORTFLAG_WINE;
    } else if (parts[i].starts_with("line=")) {
      port.line = vport::LineSettings::Parse(parts[i].substr(5));
      if (!port.line) {
        if (problem) *problem = PortsCommand::BadLineText(parts[i].substr(5));
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  if (port.line && !(port.flags & vport::PORTFLAG_RFC2217)) {
    if (problem) *problem = PortsCommand::LineNeedsRfc2217();
    return std::nullopt;
  }
  return port;
}

int RunCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const bool log = args.TakeFlag("log");
  std::optional<MetricsHttpServer::Address> metrics;
  if (const auto metricsText = args.TakeOption("metrics")) {
    metrics = MetricsHttpServer::ParseAddress(*metricsText);
    if (!metrics) {
      err << "portolanctl: --metrics " << *metricsText
          << ": not [ADDRESS:]PORT (a numeric address, [IPV6] in brackets, PORT 1 to 65535)\n";
      return kExitUsage;
    }
  }
  std::vector<AdHocPort> adHoc;
  for (const std::string& portText : args.TakeOptionAll("port")) {
    std::string problem;
    const auto port = ParsePortSpec(portText, &problem);
    if (!port && !problem.empty()) {
      err << "portolanctl: --port " << portText << ": " << problem << "\n";
      return kExitUsage;
    }
    if (!port) {
      err << "portolanctl: \"" << portText
          << "\" is not COMn=IP:DEVPORT[,rfc2217][,strict][,wine][,line=7E1] (DEVPORT: device "
             "port index, 0 for Port # 1, up to 5)\n";
      return kExitUsage;
    }
    adHoc.push_back(*port);
  }
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().size() != 0) {
    err << "usage: portolanctl " << Usage();
    return kExitUsage;
  }
  // A stored port runs as stored: a different binding given here would be dropped unseen.
  for (const AdHocPort& port : adHoc) {
    const std::string stored = PortsCommand::StoredBinding(context, port.comNumber);
    if (stored.empty()) continue;
    err << "portolanctl: " << vport::CVirtualPortTable::ComName(port.comNumber)
        << " is a stored port (" << stored << "); run it without --port, or delete it first with "
        << "portolanctl ports delete\n";
    return kExitFailed;
  }

  platform::InstanceGuard guard;
  if (!guard.Acquire()) {
    if (guard.AnotherCopyRuns()) {
      err << "portolanctl: Portolan is already running bridges (" << guard.Path() << ")\n";
    } else {
      err << "portolanctl: " << guard.Problem() << "\n";
    }
    return kExitFailed;
  }
  // Links published in a folder that someone else can write to could be swapped for his own.
  if (const std::string problem = vport::PortFolder::FromEnvironment().Problem();
      !problem.empty()) {
    err << "portolanctl: the port folder " << problem << "\n";
    return kExitFailed;
  }

  // The signals are taken by sigwait below; every thread started from here on inherits the mask,
  // so none of them is interrupted by them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);

  ConsoleObserver observer(out, err);
  int live = 0;
  bool stopped = false;
  // A signal during the start-up ends it: the ports still being made are given up.
  const auto stopRequested = [&stopSignals, &stopped] {
    const timespec now{};
    if (!stopped && sigtimedwait(&stopSignals, nullptr, &now) > 0) stopped = true;
    return stopped;
  };
  {
    vport::CVirtualPortTable::Options options;
    options.observer = &observer;
    vport::CVirtualPortTable table(context.Store(), context.Settings().RootPath(), options);
    RunMonitoring monitoring(table.Board(), platform::RunningCopyProtocol::DefaultSocketPath());
    if (!monitoring.ServeStatus()) {
      err << "portolanctl: cannot serve \"ports status\" on " << monitoring.SocketPath() << "\n";
    }
    if (metrics) {
      const std::string problem = monitoring.ServeMetrics(*metrics);
      if (!problem.empty()) {
        err << "portolanctl: --metrics: cannot serve on " << metrics->host << ":" << metrics->port
            << ": " << problem << "\n";
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return kExitFailed;
      }
      observer.Print("metrics on http://" +
                     (metrics->host.find(':') != std::string::npos ? "[" + metrics->host + "]"
                                                                   : metrics->host) +
                     ":" + std::to_string(metrics->port) + "/metrics");
    }
    table.StartStoredPorts();
    table.CollectStartedPorts(true, stopRequested);
    for (const AdHocPort& port : adHoc) {
      if (stopRequested()) break;
      const std::string comName = vport::CVirtualPortTable::ComName(port.comNumber);
      const bool rfc2217 = (port.flags & vport::PORTFLAG_RFC2217) != 0;
      const int result = table.CreatePort(port.comNumber, "", port.devPort, port.ipAddr,
                                          PortsCommand::TcpPortFor(port.devPort, rfc2217),
                                          port.flags, true, port.line);
      if (result != 0) {
        err << "portolanctl: " << comName
            << " cannot be used (a system port, taken, or not creatable)\n";
      } else {
        observer.Print(
            comName + " -> " + port.ipAddr + ":" + PortsCommand::TcpPortFor(port.devPort, rfc2217) +
            ", " + PortsCommand::DevPortText(port.devPort) + PortsCommand::FlagWords(port.flags));
      }
    }
    for (int n = 1; n <= vport::CVirtualPortTable::kSlots; ++n) {
      if (!table.IsLive(n)) continue;
      ++live;
      if (log) {
        table.PostToPort(n, vport::WM_VPORT_SETLOGGING, 1);
        table.PostToPort(n, vport::WM_VPORT_SHOWSTATUS);
      }
    }
    if (stopped) {
      // Ended by the signal during the start-up: the table's end removes what was made.
    } else if (live == 0) {
      err << "portolanctl: no virtual port to run\n";
    } else {
      {
        std::ostringstream line;
        line << "running " << live << " port(s); SIGINT or SIGTERM ends\n";
        out << line.str() << std::flush;
      }
      int signal = 0;
      sigwait(&stopSignals, &signal);
    }
    // The table's end removes every port, those still held by applications included.
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (live == 0 && !stopped) return kExitFailed;
  out << "stopped\n" << std::flush;
  return 0;
}

}  // namespace cli
