#include "vport/PortMetricsText.h"

#include <cstdint>
#include <functional>

namespace vport {

namespace {

struct Family {
  const char* name;
  const char* type;
  const char* help;
  std::function<std::uint64_t(const PortReport&)> value;
};

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"portolan_port_rx_bytes_total", "counter",
       "Bytes received from the server for the port since it was made.",
       [](const PortReport& p) { return p.rxBytes; }},
      {"portolan_port_tx_bytes_total", "counter",
       "Bytes the application wrote to the port and sent to the server since it was made.",
       [](const PortReport& p) { return p.txBytes; }},
      {"portolan_port_reconnects_total", "counter",
       "Times the port reconnected by itself after its server went away.",
       [](const PortReport& p) { return std::uint64_t{p.reconnects}; }},
      {"portolan_port_connected", "gauge", "1 while the port's connection to its server is open.",
       [](const PortReport& p) { return std::uint64_t{p.state == PortReport::State::kOpen}; }},
      {"portolan_port_open", "gauge", "1 while an application holds the port open.",
       [](const PortReport& p) { return std::uint64_t{p.applicationOpen}; }},
  };
  return families;
}

}  // namespace

std::string PortMetricsText::EscapeLabel(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string PortMetricsText::Render(const std::vector<PortReport>& reports) {
  std::string out;
  out.reserve(256 + reports.size() * 5 * 96);
  for (const Family& family : Families()) {
    out += std::string("# HELP ") + family.name + " " + family.help + "\n";
    out += std::string("# TYPE ") + family.name + " " + family.type + "\n";
    for (const PortReport& port : reports) {
      out += family.name;
      out += "{port=\"" + EscapeLabel(port.comName) + "\",server=\"" + EscapeLabel(port.server) +
             "\"} " + std::to_string(family.value(port)) + "\n";
    }
  }
  return out;
}

}  // namespace vport
