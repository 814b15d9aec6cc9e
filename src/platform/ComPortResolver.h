// Finds the device behind a Windows-style port name "COMn" (n = 1 to 255): the link of a virtual
// port in the port folder, else the machine's /dev/ttyS<n-1>, else a mapping kept in the settings.
#pragma once

#include <functional>
#include <string>

namespace platform {

// The folder where virtual ports publish their COMn links: $PORTOLAN_PORT_DIR, else
// $XDG_RUNTIME_DIR/portolan, else /tmp/portolan-<uid>/ports.
std::string ComPortFolder();

// n for "COMn" (also "COMn:"), 1 to 255 with no leading zero; 0 for anything else.
unsigned ParseComPortNumber(const std::string& name);

// The settings' mapping: device path for a port name, empty when there is none.
using ComPortMapping = std::function<std::string(const std::string& name)>;

struct ComPortPlaces {
  std::string portFolder;  // empty: ComPortFolder()
  std::string devPrefix = "/dev/ttyS";
};

// The device path for name, or empty when the name is not a COM port name or nothing provides it.
std::string ResolveComPort(const std::string& name, const ComPortMapping& mapping,
                           const ComPortPlaces& places = {});

}  // namespace platform
