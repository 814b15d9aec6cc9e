// Time and CPU of a local-network discovery of 100 and 1000 simulated devices, inside two network
// namespaces made for the run (root only). Each case runs `portolanctl discover --local` in one
// namespace against portolan-devsim in the other and reports wall time, the CPU time of the
// search, devices listed, rounds of the exchange and replies lost (devices not listed).
// A second pass sends each device's replies back to back with no pacing, to provoke losses in the
// receive buffer that later rounds must make up for. A third pass runs the engine in this process
// (on a thread moved into the asking namespace) against 1000 unpaced devices, once with the
// receive queue the discovery socket asks for and once with the system's default queue, and
// reports the datagrams the socket dropped.
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/DevSimProcess.h"
#include "cli/NetnsPair.h"
#include "cli/ProcessRunner.h"
#include "discovery/CIpDiscoveryEngine.h"
#include "discovery/DiscoverySocket.h"
#include "discovery/ScriptedNetwork.h"

namespace {

double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunCase(int devices, bool paced) {
  NetnsPair net;
  if (!net.Ok() || !net.AddDeviceAddresses(1, devices)) {
    std::printf("%d devices: network namespaces unavailable (root needed)\n", devices);
    return;
  }
  std::vector<std::string> args = {"--count", std::to_string(devices), "--base-ip",  "10.0.0.1",
                                   "--mask",  "255.255.0.0",           "--udp-port", "4201",
                                   "--no-tcp"};
  if (!paced) args.insert(args.end(), {"--burst", "100000", "--burst-gap-ms", "0"});
  DevSimProcess sim(args, net.B());
  const std::string ctl = std::string(PORTOLAN_BINARY_DIR) + "/bin/portolanctl";
  const double cpuBefore = ChildCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult r = RunProcess("/usr/sbin/ip",
                                     {"netns", "exec", net.A(), ctl, "discover", "--local",
                                      "--port", "4201", "--columns", "H/W Address"},
                                     {{"PORTOLAN_REGISTRY", "/tmp/portolan-discovery-bench.reg"}});
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = ChildCpuSeconds() - cpuBefore;
  int listed = 0, rounds = 0;
  std::smatch m;
  if (std::regex_search(r.err, m,
                        std::regex("(\\d+) device\\(s\\); last broadcast exchange: (\\d+) round"))) {
    listed = std::stoi(m[1]);
    rounds = std::stoi(m[2]);
  }
  std::printf("%5d devices, %s: %6.2f s wall, %5.3f s CPU, %d listed, %d rounds, %d lost\n",
              devices, paced ? "paced replies" : "unpaced     ", wall, cpu, listed, rounds,
              devices - listed);
  std::remove("/tmp/portolan-discovery-bench.reg");
}

// queueBytes: what the discovery socket asks for (0: the system's default).
void RunInProcess(int devices, int queueBytes) {
  NetnsPair net;
  if (!net.Ok() || !net.AddDeviceAddresses(1, devices)) return;
  DevSimProcess sim(
      {"--count", std::to_string(devices), "--base-ip", "10.0.0.1", "--mask", "255.255.0.0",
       "--udp-port", "4201", "--no-tcp", "--burst", "100000", "--burst-gap-ms", "0"},
      net.B());
  discovery::SetDiscoveryPort(4201);
  discovery::SetDiscoveryReceiveBuffer(queueBytes);
  discovery::test::CollectingWindow window;
  discovery::ExchangeStats stats;
  const auto start = std::chrono::steady_clock::now();
  std::thread searcher([&] {
    const int ns = ::open(("/var/run/netns/" + net.A()).c_str(), O_RDONLY | O_CLOEXEC);
    if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0) return;
    ::close(ns);
    discovery::CIpDiscoveryEngine engine(&window, discovery::EngineOptions{});
    engine.RunSearch(discovery::SearchPlan{});
    stats = engine.LastExchange();
  });
  searcher.join();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::set<std::string> hw;
  for (auto* record : window.records) hw.insert(record->GetColumnText(discovery::kColHwAddress));
  std::printf(
      "%5d devices, unpaced, queue %7d B: %6.2f s wall, %zu listed, %d rounds, "
      "%lld dropped in %d rounds\n",
      devices, stats.receiveBuffer, wall, hw.size(), stats.rounds, stats.lost, stats.lossyRounds);
  discovery::SetDiscoveryReceiveBuffer(discovery::kDefaultDiscoveryReceiveBuffer);
}

}  // namespace

int main() {
  for (const bool paced : {true, false}) {
    for (const int devices : {100, 1000}) RunCase(devices, paced);
  }
  for (const int queue : {discovery::kDefaultDiscoveryReceiveBuffer, 0}) RunInProcess(1000, queue);
  return 0;
}
