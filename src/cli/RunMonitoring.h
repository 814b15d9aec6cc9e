// What portolanctl run offers monitoring while it runs: the running-copy socket, on which
// `portolanctl ports status` asks for the ports' figures, and, when asked for, the /metrics
// endpoint. Both read the port table's board from threads of their own; neither polls.
#pragma once

#include <memory>
#include <string>

#include "cli/MetricsHttpServer.h"
#include "platform/RunningCopyServer.h"
#include "vport/PortFiguresBoard.h"

namespace cli {

class RunMonitoring {
 public:
  RunMonitoring(std::shared_ptr<const vport::PortFiguresBoard> board, std::string socketPath);
  ~RunMonitoring();
  RunMonitoring(const RunMonitoring&) = delete;
  RunMonitoring& operator=(const RunMonitoring&) = delete;

  // Serves `ports status`; false when the socket cannot be made.
  bool ServeStatus();
  const std::string& SocketPath() const { return status_.SocketPath(); }
  // Serves /metrics on address; empty, or why it cannot.
  std::string ServeMetrics(const MetricsHttpServer::Address& address);

 private:
  std::shared_ptr<const vport::PortFiguresBoard> board_;
  platform::RunningCopyServer status_;
  std::unique_ptr<MetricsHttpServer> metrics_;
};

}  // namespace cli
