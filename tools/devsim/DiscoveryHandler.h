// The discovery protocol of the simulated devices on the datagram seam.
#pragma once

#include <functional>

#include "DatagramHandler.h"
#include "DeviceResponder.h"

namespace devsim {

class DiscoveryHandler : public DatagramHandler {
 public:
  using ChangeListener = std::function<void(const AddressChange&)>;

  DiscoveryHandler(DeviceTable& table, ChangeListener onChange)
      : responder_(table), onChange_(std::move(onChange)) {}

  std::vector<OutgoingDatagram> Handle(const Datagram& datagram) override;

 private:
  DeviceResponder responder_;
  ChangeListener onChange_;
};

}  // namespace devsim
