#include "SnmpAgentHandler.h"

#include "res/StringTable.h"

namespace devsim {

SnmpAgentHandler::SnmpAgentHandler(const DeviceTable& table, std::string root,
                                   SnmpAgentConfig faults)
    : table_(table), root_(std::move(root)), faults_(std::move(faults)) {}

SnmpAgent& SnmpAgentHandler::AgentOf(size_t device) {
  std::unique_ptr<SnmpAgent>& agent = agents_[device];
  if (!agent) {
    const DeviceConfig& d = table_.Device(device);
    SnmpAgentConfig config = faults_;
    config.getCommunity = d.getCommunity;
    config.setCommunity = d.setCommunity;
    agent = std::make_unique<SnmpAgent>(config);
    AddDeviceVariables(*agent, root_, static_cast<int>(d.ports.size()));
    agent->SetString("1.3.6.1.2.1.1.5.0", d.systemName);
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

std::unique_ptr<UdpService> MakeSnmpService(const DeviceTable& table, int port, int* rc) {
  auto handler = std::make_unique<SnmpAgentHandler>(table, res::LoadString(8002));
  auto service = std::make_unique<UdpService>(std::move(handler), 64, 0);
  *rc = service->Endpoint().Open(port);
  if (*rc != 0) return nullptr;
  return service;
}

}  // namespace devsim
