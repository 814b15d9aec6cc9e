// The figures monitoring reads: what the status model's events leave in them, and how they are
// written for Prometheus.
#include <gtest/gtest.h>

#include "vport/PortFiguresBoard.h"
#include "vport/PortMetricsText.h"
#include "vport/PortStatusModel.h"

namespace vport {
namespace {

TEST(PortFigures, CountersGrowAcrossConnectionsWhileTheWindowsStartOver) {
  PortStatusModel model;
  model.PortCreated("COM5", "9100", false, false);
  model.Connecting();
  EXPECT_EQ(model.Figures()->Read().state, PortReport::State::kConnecting);
  model.Opened();
  model.ReceivedFromServer(100);
  model.SentToServer(7);
  model.Closed();
  EXPECT_EQ(model.Figures()->Read().connectedSince, 0);
  model.Connecting();
  model.Opened();  // the window's counters start over
  model.ReceivedFromServer(5);
  EXPECT_EQ(model.rxBytes(), 5);
  const PortReport report = model.Figures()->Read();
  EXPECT_EQ(report.state, PortReport::State::kOpen);
  EXPECT_GT(report.connectedSince, 1700000000);  // a time of this century, in seconds
  EXPECT_EQ(report.rxBytes, 105u);
  EXPECT_EQ(report.txBytes, 7u);
  EXPECT_EQ(report.reconnects, 0u);
  EXPECT_EQ(report.lastError, "");
  // A new port under the same model starts from nothing.
  model.PortCreated("COM5", "9100", false, false);
  EXPECT_EQ(model.Figures()->Read(), PortReport{});
}

TEST(PortFigures, AFailedConnectKeepsItsReasonPastLaterConnections) {
  PortStatusModel model;
  model.PortCreated("COM5", "9100", false, false);
  model.Connecting();
  model.ConnectFailed("*** Cannot connect to 10.0.0.5:9100: Connection refused ***");
  model.Connecting();
  model.Opened();
  const PortReport report = model.Figures()->Read();
  EXPECT_EQ(report.lastError, "Cannot connect to 10.0.0.5:9100: Connection refused");
  EXPECT_EQ(report.state, PortReport::State::kOpen);
}

TEST(PortFigures, TheBoardReportsItsPortsInComOrderWithTheirOwnNames) {
  PortFiguresBoard board;
  auto open = std::make_shared<std::atomic<bool>>(true);
  PortStatusModel com9, com10;
  board.Set(10, "COM10", "10.0.0.6:9101", {com10.Figures(), nullptr});
  board.Set(9, "COM9", "10.0.0.5:9100", {com9.Figures(), open});
  auto reports = board.Reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].comName, "COM9");
  EXPECT_TRUE(reports[0].applicationOpen);
  EXPECT_EQ(reports[1].server, "10.0.0.6:9101");
  EXPECT_FALSE(reports[1].applicationOpen);
  board.Clear(9);
  EXPECT_EQ(board.Reports().size(), 1u);
}

TEST(PortMetricsText, LabelValuesAreEscapedAsTheFormatWants) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"COM5", "COM5"},
      {"a\\b", "a\\\\b"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"two\nlines", "two\\nlines"},
      {"tab\tand \xC3\xA9", "tab\tand \xC3\xA9"},  // only the three are escaped
  };
  for (const auto& c : cases) EXPECT_EQ(PortMetricsText::EscapeLabel(c.in), c.out) << c.in;
}

TEST(PortMetricsText, EachFamilyHasItsHelpTypeAndOneSamplePerPort) {
  PortReport port;
  port.comName = "COM5";
  port.server = "10.0.0.5:9200";
  port.state = PortReport::State::kOpen;
  port.rxBytes = 12;
  port.txBytes = 3;
  port.applicationOpen = true;
  const std::string text = PortMetricsText::Render({port});
  const std::string labels = "{port=\"COM5\",server=\"10.0.0.5:9200\"} ";
  for (const std::string& line : std::vector<std::string>{
           "# TYPE portolan_port_rx_bytes_total counter\n",
           "portolan_port_rx_bytes_total" + labels + "12\n",
           "portolan_port_tx_bytes_total" + labels + "3\n",
           "portolan_port_reconnects_total" + labels + "0\n",
           "# TYPE portolan_port_connected gauge\n", "portolan_port_connected" + labels + "1\n",
           "portolan_port_open" + labels + "1\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  // No port: the families are still described, with no sample.
  EXPECT_EQ(PortMetricsText::Render({}).find("{"), std::string::npos);
}

}  // namespace
}  // namespace vport
