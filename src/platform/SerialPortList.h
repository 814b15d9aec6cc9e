// The machine's own serial ports, listed the way the system's serial-port map lists them: one
// (name, data) pair per port, name "\Device\Serial<N>" and data "COM<N+1>" for /dev/ttyS<N>.
// The virtual port table reads the COM numbers from the data to keep those numbers for the system.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class SerialPortList {
 public:
  using Entry = std::pair<std::string, std::string>;  // (value name, value data)

  // The list in use: the test override when one is set; else $PORTOLAN_SERIALCOMM when set (a
  // comma-separated list of data texts such as "COM3,COM12"; set but empty means no ports); else
  // the ports found under /sys/class/tty.
  static std::vector<Entry> SystemSerialPorts();

  // The ttyS<N> entries of a sysfs tty class folder that stand for a real UART: the entry has a
  // "device" link, and its "type" attribute, when it can be read, is not 0 (PORT_UNKNOWN: a
  // placeholder port with no hardware behind it). Sorted by N. Reads only sysfs; opens no device.
  static std::vector<Entry> FromSysfs(const std::string& ttyClassFolder);
  // The entries for a comma-separated list of data texts (blanks around items ignored, empty
  // items skipped); names are numbered by position.
  static std::vector<Entry> FromList(const std::string& commaSeparated);

  // Replaces the system's list for this process (tests); nullopt restores it.
  static void SetSystemSerialPortsForTest(std::optional<std::vector<Entry>> ports);
};

}  // namespace platform
