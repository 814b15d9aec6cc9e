// ports status and run --metrics against a real run: a port bound to a local TCP peer, an
// application on its pty moving bytes both ways, the figures read back through the running-copy
// socket and through /metrics, parsed by Prometheus' own parser.
#include <gtest/gtest.h>
#include <signal.h>

#include "../app/TempDir.h"
#include "../vport/BridgeTestSupport.h"
#include "BackgroundCtl.h"
#include "CtlFixture.h"
#include "DevicePortListener.h"
#include "ProcessRunner.h"

namespace {

// A TCP port of 127.0.0.1 that nobody listens on now.
int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    close(fd);
    return -1;
  }
  close(fd);
  return ntohs(a.sin_port);
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class PortolanctlStatus : public test::CtlFixture {};

TEST_F(PortolanctlStatus, WithNoProgramRunningItSaysSoAndExits1) {
  for (const auto& args : {std::vector<std::string>{"ports", "status"},
                           std::vector<std::string>{"ports", "status", "--json"}}) {
    const auto result = Ctl(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(Has(result.err, "Portolan is not running for this user")) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(Ctl({"ports", "status", "--bogus"}).exitCode, 2);
  EXPECT_EQ(Ctl({"ports", "status", "COM5"}).exitCode, 2);
}

TEST_F(PortolanctlStatus, MetricsAddressesOutOfShapeAreUsageErrors) {
  for (const char* address : {"", "0", "65536", "localhost:9465", "1.2.3:9465", "[::1]9465",
                              "127.0.0.1:", "127.0.0.1:x"}) {
    const auto result = Ctl({"run", "--metrics", address});
    EXPECT_EQ(result.exitCode, 2) << address;
    EXPECT_TRUE(Has(result.err, "--metrics")) << result.err;
  }
}

TEST_F(PortolanctlStatus, AMetricsPortThatIsTakenEndsTheRunWithTheReason) {
  const int taken = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(taken, 1), 0);
  ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&a), &length), 0);
  const auto result = Ctl({"run", "--port", "COM9=127.0.0.1:0", "--metrics",
                           "127.0.0.1:" + std::to_string(ntohs(a.sin_port))});
  close(taken);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_TRUE(Has(result.err, "Address already in use")) << result.err;
  EXPECT_FALSE(Has(result.out, "running")) << result.out;
}

TEST_F(PortolanctlStatus, RunReportsItsPortsFiguresToStatusAndToPrometheus) {
  DevicePortListener server;
  ASSERT_GE(server.devPort, 0);
  const int metricsPort = FreeLoopbackPort();
  ASSERT_GT(metricsPort, 0);
  const std::string serverText = server.ip + ":" + std::to_string(9100 + server.devPort);
  Background run({"run", "--port", "COM9=" + server.ip + ":" + std::to_string(server.devPort),
                  "--metrics", "127.0.0.1:" + std::to_string(metricsPort)},
                 Env());
  ASSERT_TRUE(
      run.WaitFor("metrics on http://127.0.0.1:" + std::to_string(metricsPort) + "/metrics\n"))
      << run.Text();
  ASSERT_TRUE(run.WaitFor("running 1 port(s)")) << run.Text();

  auto status = Ctl({"ports", "status"});
  ASSERT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(status.out,
            "COM9  " + serverText + "  Closed  rx 0  tx 0  reconnects 0  application none\n");

  const int app = vport::test::OpenAsApplication(dir.Folder() + "ports/COM9");
  ASSERT_GE(app, 0);
  pollfd p{server.fd, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 20000), 1);
  const int peer = accept(server.fd, nullptr, nullptr);
  ASSERT_TRUE(run.WaitFor("COM9: Open")) << run.Text();
  ASSERT_EQ(write(app, "ping", 4), 4);
  EXPECT_EQ(vport::test::ReadExactly(peer, 4).size(), 4u);
  ASSERT_EQ(write(peer, "hello!", 6), 6);
  EXPECT_EQ(vport::test::ReadExactly(app, 6).size(), 6u);

  status = Ctl({"ports", "status", "--json"});
  ASSERT_EQ(status.exitCode, 0) << status.err;
  for (const std::string& field : std::vector<std::string>{
           "\"port\": \"COM9\"", "\"server\": \"" + serverText + "\"", "\"state\": \"Open\"",
           "\"connected\": true", "\"rx_bytes\": 6", "\"tx_bytes\": 4", "\"reconnects\": 0",
           "\"last_error\": null", "\"application_open\": true", "\"connected_since\": \"20"}) {
    EXPECT_TRUE(Has(status.out, field)) << field << "\n" << status.out;
  }

  const auto parsed = RunProcess("/usr/bin/python3",
                                 {std::string(PORTOLAN_SOURCE_DIR) + "/tests/cli/parse_metrics.py",
                                  "http://127.0.0.1:" + std::to_string(metricsPort) + "/metrics"});
  ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
  const std::string labels = " port=COM9,server=" + serverText + " ";
  for (const std::string& line : std::vector<std::string>{
           "CONTENT-TYPE text/plain; version=0.0.4; charset=utf-8",
           "TYPE portolan_port_rx_bytes counter", "TYPE portolan_port_connected gauge",
           "portolan_port_rx_bytes_total" + labels + "6",
           "portolan_port_tx_bytes_total" + labels + "4",
           "portolan_port_reconnects_total" + labels + "0",
           "portolan_port_connected" + labels + "1", "portolan_port_open" + labels + "1"}) {
    EXPECT_TRUE(Has(parsed.out, line + "\n")) << line << "\n" << parsed.out;
  }

  // The application closes: the port is no longer held, its counters stay.
  close(app);
  close(peer);
  ASSERT_TRUE(run.WaitFor("COM9: Closed")) << run.Text();
  status = Ctl({"ports", "status"});
  EXPECT_EQ(status.out,
            "COM9  " + serverText + "  Closed  rx 6  tx 4  reconnects 0  application none\n");

  EXPECT_EQ(run.Stop(SIGTERM), 0);
  EXPECT_EQ(Ctl({"ports", "status"}).exitCode, 1);
}

}  // namespace
