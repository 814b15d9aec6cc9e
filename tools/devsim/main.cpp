// portolan-devsim: simulated device servers for trying Portolan without hardware, and for tests.
#include <signal.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "CommandLine.h"
#include "Simulator.h"
#include "SnmpAgentHandler.h"

namespace {

// Many devices with bridged ports need many descriptors: take what the hard limit allows.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

bool WriteReadyFile(const std::string& path, const std::string& line) {
  FILE* file = std::fopen((path + ".tmp").c_str(), "w");
  if (!file) return false;
  const bool written = std::fprintf(file, "%s\n", line.c_str()) > 0;
  if (std::fclose(file) != 0 || !written) return false;
  return std::rename((path + ".tmp").c_str(), path.c_str()) == 0;  // appears whole or not at all
}

}  // namespace

int main(int argc, char** argv) {
  const devsim::CommandLineResult parsed = devsim::ParseCommandLine(argc, argv);
  if (parsed.action == devsim::CommandLineResult::Action::kHelp) {
    std::fputs(devsim::HelpText(), stdout);
    return 0;
  }
  if (parsed.action == devsim::CommandLineResult::Action::kError) {
    std::fprintf(stderr, "portolan-devsim: %s\n", parsed.message.c_str());
    return 2;
  }

  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (stopFd < 0) {
    std::perror("portolan-devsim: signalfd");
    return 1;
  }
  RaiseDescriptorLimit();

  devsim::Simulator simulator(parsed.options);
  std::string what;
  if (const int rc = simulator.Start(&what); rc != 0) {
    std::fprintf(stderr, "portolan-devsim: cannot open %s: %s\n", what.c_str(), std::strerror(rc));
    return 1;
  }
  FILE* setLog = nullptr;
  if (!parsed.options.snmpLog.empty()) {
    setLog = std::fopen(parsed.options.snmpLog.c_str(), "a");
    if (setLog == nullptr) {
      std::fprintf(stderr, "portolan-devsim: cannot open %s: %s\n", parsed.options.snmpLog.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  std::string snmpReady;  // " snmp=P" in the ready file when the agents serve
  if (parsed.options.snmpPort >= 0) {
    int snmpRc = 0;
    devsim::SnmpAgentConfig faults;
    faults.ignoreSets = parsed.options.snmpIgnoreSets;
    faults.silent = parsed.options.snmpSilent;
    faults.setErrorStatus = parsed.options.snmpSetError;
    faults.setErrorIndex = parsed.options.snmpSetErrorIndex;
    devsim::SnmpAgentHandler::SetLog log;
    if (setLog != nullptr) {
      log = [setLog](const std::string& line) {
        std::fprintf(setLog, "%s\n", line.c_str());
        std::fflush(setLog);  // a test reads it while the simulator runs
      };
    }
    auto snmp =
        devsim::MakeSnmpService(simulator.Table(), parsed.options.snmpPort, &snmpRc, faults, log);
    if (!snmp) {
      std::fprintf(stderr, "portolan-devsim: cannot open SNMP port %d: %s\n",
                   parsed.options.snmpPort, std::strerror(snmpRc));
      return 1;
    }
    std::printf("snmp agents on udp port %d\n", snmp->Endpoint().Port());
    snmpReady = " snmp=" + std::to_string(snmp->Endpoint().Port());
    simulator.AddService(std::move(snmp));
  }
  simulator.PrintDevices();
  if (!parsed.options.readyFile.empty() &&
      !WriteReadyFile(parsed.options.readyFile, simulator.ReadyLine() + snmpReady)) {
    std::fprintf(stderr, "portolan-devsim: cannot write %s\n", parsed.options.readyFile.c_str());
    return 1;
  }
  const int rc = simulator.Run(stopFd);
  ::close(stopFd);
  if (setLog != nullptr) std::fclose(setLog);
  return rc;
}
