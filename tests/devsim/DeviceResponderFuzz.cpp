// Any datagram to any destination: the responder never reads past the datagram, every reply it
// gives decodes, and a device only ever moves to a unicast address.
#include <cstdint>
#include <cstdlib>

#include "DeviceResponder.h"
#include "SimOptions.h"
#include "discovery/DiscoveryReply.h"

namespace {

devsim::DeviceTable MakeTable() {
  devsim::DeviceSeries series;
  series.first.ipAddress = {10, 0, 0, 1};
  series.count = 4;
  std::vector<devsim::DeviceConfig> devices;
  devsim::AppendSeries(series, &devices);
  series.first.format = 3;
  series.first.serialText = "65537";
  series.first.ipAddress = {0, 0, 0, 0};
  series.first.hardwareAddress[3] = 0x10;
  series.count = 2;
  devsim::AppendSeries(series, &devices);
  return devsim::DeviceTable(std::move(devices));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  // The first four bytes choose the destination, the next four the sender; the rest is the
  // datagram.
  const uint32_t destination = devsim::AddressValue({data[0], data[1], data[2], data[3]});
  const uint32_t sender = devsim::AddressValue({data[4], data[5], data[6], data[7]});
  devsim::DeviceTable table = MakeTable();
  devsim::DeviceResponder responder(table);
  const devsim::Response r = responder.Handle(data + 8, size - 8, destination, sender);
  for (const devsim::OutgoingReply& reply : r.replies) {
    const auto parsed = discovery::ParseDiscoveryReply(reply.bytes.data(), reply.bytes.size());
    if (parsed.error != discovery::ReplyError::kNone) std::abort();
    if (devsim::AddressValue(parsed.reply.ipAddress) != reply.from) std::abort();
  }
  for (const devsim::AddressChange& change : r.changes) {
    if (change.to == 0xFFFFFFFF || (change.to >> 28) == 0xE) std::abort();
    if (devsim::AddressValue(table.Device(change.device).ipAddress) != change.to) std::abort();
  }
  return 0;
}
