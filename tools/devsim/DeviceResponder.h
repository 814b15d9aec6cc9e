// What the simulated devices do with one datagram that reached the discovery port: who answers,
// from which address, and which device takes a new address. Pure logic over the device table, so
// the socket side only moves bytes.
//
// Which devices a datagram reaches follows from its destination: the limited broadcast and any
// multicast group reach every device; a device's own address reaches the devices there; the
// directed broadcast of a device's subnet reaches the devices of that subnet. Devices on loopback
// (127.0.0.0/8) hear only senders on loopback, and devices elsewhere only senders elsewhere: a
// simulator started on loopback never answers, nor moves for, a request from the real network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "DeviceTable.h"
#include "DiscoveryRequest.h"

namespace devsim {

struct OutgoingReply {
  size_t device = 0;
  uint32_t from = 0;  // the device's own address (host order): a reply leaves from there
  std::vector<uint8_t> bytes;
};

struct AddressChange {
  size_t device = 0;
  uint32_t from = 0;
  uint32_t to = 0;
};

struct Response {
  RequestError error = RequestError::kNone;
  std::vector<OutgoingReply> replies;
  std::vector<AddressChange> changes;
};

class DeviceResponder {
 public:
  explicit DeviceResponder(DeviceTable& table) : table_(table) {}

  // destination: the address the datagram was sent to, sender the address it came from (host
  // order), as the socket reports them.
  Response Handle(const uint8_t* data, size_t size, uint32_t destination, uint32_t sender);

  // The devices a datagram from sender to destination reaches, in table order.
  std::vector<size_t> Reached(uint32_t destination, uint32_t sender) const;

 private:
  std::vector<size_t> ReachedAt(uint32_t destination) const;
  void AnswerDiscovery(const DiscoveryRequest& request, const std::vector<size_t>& reached,
                       Response* out);
  void SetAddress(const DiscoveryRequest& request, const std::vector<size_t>& reached,
                  Response* out);

  DeviceTable& table_;
};

// True when id names the device in a set-address request: the low 24 bits of its hardware address,
// or of its serial number when that is a decimal number.
bool MatchesSetAddressId(const DeviceConfig& device, uint32_t id);

}  // namespace devsim
