// The ports' figures in the Prometheus text exposition format (version 0.0.4), as /metrics
// serves them: per port the counters portolan_port_rx_bytes_total, portolan_port_tx_bytes_total
// and portolan_port_reconnects_total, and the gauges portolan_port_connected (1 while the
// connection to the server is open) and portolan_port_open (1 while an application holds the
// port), each labelled with port and server.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vport/PortReport.h"

namespace vport {

class PortMetricsText {
 public:
  static constexpr const char* kContentType = "text/plain; version=0.0.4; charset=utf-8";

  static std::string Render(const std::vector<PortReport>& reports);
  // A label value as the format wants it between its quotes: backslash, double quote and line
  // feed escaped.
  static std::string EscapeLabel(std::string_view value);
};

}  // namespace vport
