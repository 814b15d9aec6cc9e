// What the SNMP columns cost a search: `portolanctl discover --local` of simulated devices with
// SNMP agents, inside two network namespaces made for the run (root only), once with columns that
// the discovery reply fills and once with Firmware Version and Location, which each device's agent
// is asked for. Then devices whose agents never answer: the search should take about the
// discovery time plus one query's full time-out (three attempts of Timeouts\GetTimeout), since
// the devices are queried side by side.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "cli/ProcessRunner.h"

namespace {

const std::string kRegistry = "/tmp/portolan-discovery-snmp-bench.reg";
constexpr int kGetTimeoutCs = 100;  // Timeouts\GetTimeout for the run: 1 s per attempt

struct Run {
  double wall = 0;
  int listed = 0;
  int filled = 0;  // rows whose Firmware Version is not empty
};

Run Discover(const NetnsPair& net, const std::string& columns) {
  const std::string ctl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r =
      RunProcess("/usr/sbin/ip",
                 {"netns", "exec", net.A(), ctl, "discover", "--local", "--port", "4201",
                  "--snmp-port", "161", "--timeout", "1000", "--columns", columns},
                 {{"PORTOLAN_REGISTRY", kRegistry}});
  Run run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // "N device(s)" ends the search's report; each row with the agent's value holds the default
  // firmware text of the simulator.
  const size_t at = r.err.rfind(" device(s)");
  if (at != std::string::npos) {
    size_t digits = at;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(r.err[digits - 1]))) --digits;
    if (digits < at) run.listed = std::stoi(r.err.substr(digits, at - digits));
  }
  for (size_t p = r.out.find(",6.2.1 (sim),"); p != std::string::npos;
       p = r.out.find(",6.2.1 (sim),", p + 1)) {
    ++run.filled;
  }
  return run;
}

void RunCase(int devices, bool silentAgents) {
  NetnsPair net;
  if (!net.Ok() || !net.AddDeviceAddresses(1, devices)) {
    std::printf("%d devices: network namespaces unavailable (root needed)\n", devices);
    return;
  }
  std::vector<std::string> args = {"--count",  std::to_string(devices), "--base-ip",  "10.0.0.1",
                                   "--mask",   "255.255.0.0",           "--udp-port", "4201",
                                   "--no-tcp", "--snmp-port",           "161"};
  if (silentAgents) args.push_back("--snmp-silent");
  DevSimProcess sim(args, net.B());
  const Run plain = Discover(net, "H/W Address,System Name");
  const Run snmp = Discover(net, "H/W Address,Firmware Version,Location");
  std::printf(
      "%5d devices, %s agents: without SNMP columns %6.2f s (%d listed), with %6.2f s "
      "(%d listed, %d with values): %.2fx",
      devices, silentAgents ? "silent   " : "answering", plain.wall, plain.listed, snmp.wall,
      snmp.listed, snmp.filled, snmp.wall / plain.wall);
  if (silentAgents) {
    const double budget = plain.wall + 3.0 * kGetTimeoutCs / 100.0;
    std::printf("; discovery + one query's time-out %.2f s", budget);
  }
  std::printf("\n");
}

}  // namespace

int main() {
  std::remove(kRegistry.c_str());
  RunProcess(
      std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl",
      {"settings", "set", "Timeouts", "GetTimeout", std::to_string(kGetTimeoutCs), "--dword"},
      {{"PORTOLAN_REGISTRY", kRegistry}});
  RunCase(1000, false);
  RunCase(100, true);
  std::remove(kRegistry.c_str());
  return 0;
}
