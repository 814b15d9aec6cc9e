// One slot of the virtual port table: the binding of a COM number to a device server's port.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "vport/CVirtualPortThread.h"
#include "vport/LineSettings.h"
#include "vport/PortFlags.h"

namespace vport {

struct VirtualPortRecord {
  std::int32_t state = PORT_SLOT_FREE;
  std::string comName;  // "COM5"; empty when free
  std::string hwAddr;
  std::int32_t devPort = 0;
  std::unique_ptr<CVirtualPortThread> portThread;
  std::uint32_t flags = 0;
  std::string tcpPort;               // decimal text
  std::string ipAddr;                // dotted text
  std::optional<LineSettings> line;  // fixed data size, parity, stop bits; stored as "LineSettings"
};

}  // namespace vport
