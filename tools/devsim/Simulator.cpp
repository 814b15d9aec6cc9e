#include "Simulator.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "DiscoveryHandler.h"
#include "discovery/DiscoveryReply.h"

namespace devsim {

namespace {
int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

std::string DottedText(uint32_t address) {
  return discovery::DottedAddress(AddressOctets(address));
}

Simulator::Simulator(const SimOptions& options, FILE* log)
    : options_(options), log_(log), table_(options.devices) {}

int Simulator::UdpPort() const {
  return services_.empty() ? 0 : services_.front()->Endpoint().Port();
}

void Simulator::AddService(std::unique_ptr<UdpService> service) {
  services_.push_back(std::move(service));
}

int Simulator::Start(std::string* error) {
  auto handler = std::make_unique<DiscoveryHandler>(table_, [this](const AddressChange& change) {
    std::fprintf(log_, "device %zu: address %s -> %s\n", change.device + 1,
                 DottedText(change.from).c_str(), DottedText(change.to).c_str());
    std::fflush(log_);
  });
  auto discovery =
      std::make_unique<UdpService>(std::move(handler), options_.burst, options_.burstGapMs);
  if (const int rc = discovery->Endpoint().Open(options_.udpPort); rc != 0) {
    *error = "UDP port " + std::to_string(options_.udpPort);
    return rc;
  }
  if (options_.joinMulticast) groupsJoined_ = discovery->Endpoint().JoinGroup(kDiscoveryGroup);
  services_.insert(services_.begin(), std::move(discovery));
  if (options_.serveTcp) {
    ports_ = std::make_unique<PortServer>(table_, options_.rawBase, options_.rfc2217Base);
    if (const int rc = ports_->Open(error); rc != 0) return rc;
  }
  return 0;
}

void Simulator::PrintDevices() const {
  for (size_t i = 0; i < table_.Size(); ++i) {
    const DeviceConfig& d = table_.Device(i);
    const size_t served = PortServer::ServedPorts(d);
    std::fprintf(log_, "device %zu: %s hw %s id %u serial %s format %u name \"%s\" ports %zu",
                 i + 1, discovery::DottedAddress(d.ipAddress).c_str(),
                 discovery::HardwareAddressText(d.hardwareAddress).c_str(), d.DeviceId(),
                 d.SerialNumberText().c_str(), d.format, d.systemName.c_str(), d.ports.size());
    if (ports_ && served > 0) {
      std::fprintf(log_, " raw %d-%d rfc2217 %d-%d", options_.rawBase,
                   options_.rawBase + static_cast<int>(served) - 1, options_.rfc2217Base,
                   options_.rfc2217Base + static_cast<int>(served) - 1);
      for (size_t p = 0; p < served; ++p) {
        const std::string path = ports_->PtyPath(i, p);
        if (!path.empty()) std::fprintf(log_, " pty%zu %s", p + 1, path.c_str());
      }
    }
    std::fputc('\n', log_);
  }
  std::fflush(log_);
}

std::string Simulator::ReadyLine() const {
  return "udp=" + std::to_string(UdpPort()) + " raw=" + std::to_string(options_.rawBase) +
         " rfc2217=" + std::to_string(options_.rfc2217Base) +
         " devices=" + std::to_string(table_.Size()) + " groups=" + std::to_string(groupsJoined_);
}

int Simulator::Run(int stopFd) {
  std::vector<pollfd> fds;
  for (;;) {
    const int64_t now = NowMs();
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    int timeout = -1;
    for (const auto& service : services_) {
      fds.push_back({service->Endpoint().Fd(), service->Events(now), 0});
      const int t = service->TimeoutMs(now);
      if (t >= 0 && (timeout < 0 || t < timeout)) timeout = t;
    }
    const size_t portsAt = fds.size();
    if (ports_) ports_->PollFds(&fds);
    const int n = ::poll(fds.data(), fds.size(), timeout);
    if (n < 0 && errno != EINTR) return 0;
    if (fds[0].revents != 0) return 0;
    const int64_t after = NowMs();
    for (size_t i = 0; i < services_.size(); ++i) services_[i]->Service(fds[1 + i].revents, after);
    if (ports_) ports_->Service(fds.data() + portsAt, fds.size() - portsAt);
  }
}

}  // namespace devsim
