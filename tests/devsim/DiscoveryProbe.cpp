// devsim-probe: a raw discovery client for the simulator's tests, built on the tree's discovery
// sockets. It runs a broadcast exchange to one destination (limited or directed broadcast, the
// multicast group, or a single address): each round's request names the IDs heard so far (the
// latest 179), and the exchange ends after a round that brought no device not heard before.
// With --set-id it sends one set-address request instead.
//
// Output: "reply <sender> <ip field> <hw> <name>" per new device, then "total <n> rounds <r>
// replies <all>". Exit 0, or 2 on bad arguments, 1 when the socket fails.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "DiscoveryRequest.h"
#include "ValueParsers.h"
#include "discovery/DiscoveryReply.h"
#include "discovery/DiscoverySocket.h"

namespace {

constexpr size_t kMaxIdsPerRequest = 179;

struct ProbeArgs {
  std::string destination = "255.255.255.255";
  int port = 4201;
  int ttl = 0;
  int quietMs = 1000;  // a round ends when nothing arrived for this long
  int maxRounds = 20;
  long setId = -1;
  std::string newAddress;
};

bool ParseArgs(int argc, char** argv, ProbeArgs* a) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const char* value = argv[i + 1];
    if (key == "--dest") {
      a->destination = value;
    } else if (key == "--port") {
      a->port = std::atoi(value);
    } else if (key == "--ttl") {
      a->ttl = std::atoi(value);
    } else if (key == "--quiet-ms") {
      a->quietMs = std::atoi(value);
    } else if (key == "--max-rounds") {
      a->maxRounds = std::atoi(value);
    } else if (key == "--set-id") {
      a->setId = std::strtol(value, nullptr, 10);
    } else if (key == "--ip") {
      a->newAddress = value;
    } else {
      return false;
    }
  }
  return argc % 2 == 1;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int SendSetAddress(int fd, const ProbeArgs& a) {
  const auto address = devsim::ParseAddress(a.newAddress);
  if (!address) return 2;
  const auto request =
      devsim::EncodeSetAddressRequest(static_cast<uint32_t>(a.setId) & 0xFFFFFF, *address);
  const int rc = discovery::SendDiscoveryDatagram(fd, a.destination.c_str(), request.data(),
                                                  static_cast<int>(request.size()));
  std::printf("sent %d\n", rc);
  return rc == 0 ? 0 : 1;
}

int RunExchange(int fd, const ProbeArgs& a) {
  std::vector<uint32_t> heard;
  std::set<uint32_t> known;
  size_t replies = 0;
  int rounds = 0;
  for (bool fresh = true; fresh && rounds < a.maxRounds; ++rounds) {
    fresh = false;
    const std::vector<uint32_t> named(
        heard.size() > kMaxIdsPerRequest ? heard.end() - kMaxIdsPerRequest : heard.begin(),
        heard.end());
    const auto request = devsim::EncodeDiscoveryRequest(named);
    if (discovery::SendDiscoveryDatagram(fd, a.destination.c_str(), request.data(),
                                         static_cast<int>(request.size())) != 0) {
      std::printf("send failed\n");
      return 1;
    }
    for (int64_t quietUntil = NowMs() + a.quietMs; NowMs() < quietUntil;) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(quietUntil - NowMs())) <= 0) continue;
      uint8_t buffer[discovery::kReplyBufferSize];
      char sender[16];
      int n;
      while ((n = discovery::ReceiveDatagramFrom(fd, sender, sizeof sender, buffer,
                                                 sizeof buffer)) >= 0) {
        const auto id = discovery::ReplyDeviceId(buffer, static_cast<size_t>(n));
        if (!discovery::HasReplyMagic(buffer, static_cast<size_t>(n)) || !id) continue;
        ++replies;
        if (!known.insert(*id).second) continue;
        heard.push_back(*id);
        fresh = true;
        const auto parsed = discovery::ParseDiscoveryReply(buffer, static_cast<size_t>(n));
        std::printf("reply %s %s %s %s\n", sender,
                    discovery::DottedAddress(parsed.reply.ipAddress).c_str(),
                    discovery::HardwareAddressText(parsed.reply.hardwareAddress).c_str(),
                    parsed.reply.systemName.c_str());
      }
      quietUntil = NowMs() + a.quietMs;
    }
  }
  std::printf("total %zu rounds %d replies %zu\n", known.size(), rounds, replies);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ProbeArgs args;
  if (!ParseArgs(argc, argv, &args) || !discovery::SetDiscoveryPort(args.port)) {
    std::fprintf(stderr,
                 "usage: devsim-probe [--dest A] [--port P] [--ttl H] [--quiet-ms MS] "
                 "[--max-rounds N] [--set-id N --ip A]\n");
    return 2;
  }
  int fd = discovery::kInvalidSocket;
  if (discovery::CreateDiscoverySocket(&fd) != 0) {
    discovery::CloseDiscoverySocket(fd);
    return 1;
  }
  const int big = 8 << 20;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
  if (args.ttl > 0) ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &args.ttl, sizeof args.ttl);
  const int rc = args.setId >= 0 ? SendSetAddress(fd, args) : RunExchange(fd, args);
  std::fflush(stdout);
  discovery::CloseDiscoverySocket(fd);
  return rc;
}
