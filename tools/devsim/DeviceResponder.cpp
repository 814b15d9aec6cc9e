#include "DeviceResponder.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

#include "ReplyEncoder.h"

namespace devsim {
namespace {

constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFF;

bool IsMulticast(uint32_t address) {
  return (address >> 28) == 0xE;
}
bool IsLoopback(uint32_t address) {
  return (address >> 24) == 127;
}

// An address a device must not take: it would make the device unreachable by unicast.
bool IsUnusableAddress(uint32_t address) {
  return address == kLimitedBroadcast || IsMulticast(address);
}

}  // namespace

bool MatchesSetAddressId(const DeviceConfig& device, uint32_t id) {
  if (device.DeviceId() == id) return true;
  const std::string serial = device.SerialNumberText();
  uint64_t number = 0;
  const auto [end, ec] = std::from_chars(serial.data(), serial.data() + serial.size(), number);
  return ec == std::errc() && end == serial.data() + serial.size() && (number & 0xFFFFFF) == id;
}

std::vector<size_t> DeviceResponder::Reached(uint32_t destination, uint32_t sender) const {
  std::vector<size_t> reached = ReachedAt(destination);
  std::erase_if(reached, [this, sender](size_t index) {
    return IsLoopback(AddressValue(table_.Device(index).ipAddress)) != IsLoopback(sender);
  });
  return reached;
}

std::vector<size_t> DeviceResponder::ReachedAt(uint32_t destination) const {
  std::vector<size_t> reached;
  if (destination == kLimitedBroadcast || IsMulticast(destination)) {
    reached.resize(table_.Size());
    for (size_t i = 0; i < reached.size(); ++i) reached[i] = i;
    return reached;
  }
  const auto& direct = table_.AtAddress(destination);
  if (!direct.empty()) return direct;
  for (size_t i = 0; i < table_.Size(); ++i) {
    const DeviceConfig& d = table_.Device(i);
    const uint32_t mask = AddressValue(d.subnetMask);
    if (mask == kLimitedBroadcast) continue;  // a host route has no broadcast address
    if ((AddressValue(d.ipAddress) | ~mask) == destination) reached.push_back(i);
  }
  return reached;
}

Response DeviceResponder::Handle(const uint8_t* data, size_t size, uint32_t destination,
                                 uint32_t sender) {
  Response response;
  const RequestParseResult parsed = ParseRequest(data, size);
  response.error = parsed.error;
  if (parsed.error != RequestError::kNone) return response;
  const std::vector<size_t> reached = Reached(destination, sender);
  if (parsed.request.opcode == kOpDiscovery) {
    AnswerDiscovery(parsed.request, reached, &response);
  } else {
    SetAddress(parsed.request, reached, &response);
  }
  return response;
}

void DeviceResponder::AnswerDiscovery(const DiscoveryRequest& request,
                                      const std::vector<size_t>& reached, Response* out) {
  const std::unordered_set<uint32_t> known(request.knownIds.begin(), request.knownIds.end());
  for (size_t index : reached) {
    const DeviceConfig& device = table_.Device(index);
    if (known.count(device.DeviceId()) != 0) continue;  // already heard in this exchange
    out->replies.push_back({index, AddressValue(device.ipAddress), EncodeReply(device)});
  }
}

void DeviceResponder::SetAddress(const DiscoveryRequest& request,
                                 const std::vector<size_t>& reached, Response* out) {
  const uint32_t to = AddressValue(request.newAddress);
  if (IsUnusableAddress(to)) return;
  for (size_t index : reached) {
    const DeviceConfig& device = table_.Device(index);
    if (!MatchesSetAddressId(device, request.deviceId)) continue;
    const uint32_t from = AddressValue(device.ipAddress);
    if (from == to) continue;
    table_.SetAddress(index, request.newAddress);
    out->changes.push_back({index, from, to});
  }
}

}  // namespace devsim
