#include "SnmpAgentHandler.h"

#include "app/OemBrandTable.h"
#include "discovery/DiscoveryReply.h"
#include "res/StringTable.h"

namespace devsim {

std::string RootForMaker(const std::string& maker) {
  if (maker == "Corvane" || maker == "Belmark") {
    return std::string(app::kOemEnterpriseRoot) + ".2.3.5";
  }
  return res::LoadString(8002);
}

std::string SetLogLine(size_t device, const std::string& address, const SnmpAgentRequest& set) {
  std::string line = "device " + std::to_string(device + 1) + " " + address + ": set";
  for (size_t i = 0; i < set.vars.size(); ++i)
    line += (i == 0 ? " " : "; ") + set.vars[i].Describe();
  if (!set.answered) return line + " -> ignored";
  if (set.status != 0) return line + " -> error " + std::to_string(set.status);
  return line + " -> answered";
}

SnmpAgentHandler::SnmpAgentHandler(const DeviceTable& table, std::string root,
                                   SnmpAgentConfig faults, SetLog log)
    : table_(table), root_(std::move(root)), faults_(std::move(faults)), log_(std::move(log)) {}

SnmpAgent& SnmpAgentHandler::AgentOf(size_t device) {
  std::unique_ptr<SnmpAgent>& agent = agents_[device];
  if (!agent) {
    const DeviceConfig& d = table_.Device(device);
    SnmpAgentConfig config = faults_;
    config.getCommunity = d.getCommunity;
    config.setCommunity = d.setCommunity;
    agent = std::make_unique<SnmpAgent>(config);
    const std::string root = root_.empty() ? RootForMaker(d.maker) : root_;
    AddDeviceVariables(*agent, root, static_cast<int>(d.ports.size()));
    agent->SetString("1.3.6.1.2.1.1.5.0", d.systemName);
    agent->SetString("1.3.6.1.2.1.1.6.0", d.location);
    agent->SetString(root + ".1.9.0", d.firmware, false);
    agent->SetString(root + ".8.3.4.0", d.ssid);
    agent->SetString(root + ".8.3.10.0", d.ssid);
    if (d.wireless) agent->SetInteger(root + ".8.3.18.0", 2);
    if (log_) {
      const std::string address = discovery::DottedAddress(d.ipAddress);
      agent->OnSet([this, device, address](const SnmpAgentRequest& set) {
        log_(SetLogLine(device, address, set));
      });
    }
  }
  return *agent;
}

std::vector<OutgoingDatagram> SnmpAgentHandler::Handle(const Datagram& datagram) {
  // Requests to a broadcast or a group have no single device to answer them.
  const std::vector<size_t>& devices = table_.AtAddress(datagram.destination);
  if (devices.empty()) return {};
  std::vector<uint8_t> answer =
      AgentOf(devices.front()).Answer(datagram.bytes.data(), datagram.bytes.size());
  if (answer.empty()) return {};
  OutgoingDatagram out;
  out.from = datagram.destination;
  out.to = datagram.sender;
  out.bytes = std::move(answer);
  return {std::move(out)};
}

std::unique_ptr<UdpService> MakeSnmpService(const DeviceTable& table, int port, int* rc,
                                            SnmpAgentConfig faults, SnmpAgentHandler::SetLog log) {
  auto handler =
      std::make_unique<SnmpAgentHandler>(table, std::string(), std::move(faults), std::move(log));
  auto service = std::make_unique<UdpService>(std::move(handler), 64, 0);
  *rc = service->Endpoint().Open(port);
  if (*rc != 0) return nullptr;
  return service;
}

}  // namespace devsim
