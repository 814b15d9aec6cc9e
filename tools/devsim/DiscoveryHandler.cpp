#include "DiscoveryHandler.h"

#include <arpa/inet.h>

namespace devsim {

std::vector<OutgoingDatagram> DiscoveryHandler::Handle(const Datagram& datagram) {
  Response response =
      responder_.Handle(datagram.bytes.data(), datagram.bytes.size(), datagram.destination,
                        ntohl(datagram.sender.sin_addr.s_addr));
  for (const AddressChange& change : response.changes) {
    if (onChange_) onChange_(change);
  }
  std::vector<OutgoingDatagram> out;
  out.reserve(response.replies.size());
  for (OutgoingReply& reply : response.replies) {
    out.push_back({reply.from, datagram.sender, std::move(reply.bytes)});
  }
  return out;
}

}  // namespace devsim
