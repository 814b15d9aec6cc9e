#include "cli/RunMonitoring.h"

#include "vport/PortMetricsText.h"
#include "vport/PortReportCodec.h"

namespace cli {

// No window to raise: a raise request is answered and does nothing.
RunMonitoring::RunMonitoring(std::shared_ptr<const vport::PortFiguresBoard> board,
                             std::string socketPath)
    : board_(std::move(board)), status_(nullptr, std::move(socketPath)) {
  status_.SetPortStatusCallback([board = board_](int64_t) -> std::optional<std::vector<uint8_t>> {
    // Version 1 is the only one; a client that reads a later one reads this one too.
    return vport::PortReportCodec::Encode(board->Reports());
  });
}

RunMonitoring::~RunMonitoring() {
  if (metrics_) metrics_->Stop();
  status_.Stop();
}

bool RunMonitoring::ServeStatus() {
  return status_.Start();
}

std::string RunMonitoring::ServeMetrics(const MetricsHttpServer::Address& address) {
  metrics_ = std::make_unique<MetricsHttpServer>(
      [board = board_] { return vport::PortMetricsText::Render(board->Reports()); },
      vport::PortMetricsText::kContentType);
  return metrics_->Start(address);
}

}  // namespace cli
