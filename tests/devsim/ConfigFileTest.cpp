// The config file and the command line: good input sets what it says, bad input names its line.
#include <gtest/gtest.h>

#include <cstdio>

#include "CommandLine.h"
#include "ConfigFile.h"
#include "DeviceTable.h"
#include "ValueParsers.h"

namespace devsim {
namespace {

SimOptions Parse(const std::string& text, std::optional<ConfigError>* error) {
  SimOptions options;
  *error = ParseConfig(text, DeviceSeries{}, &options);
  return options;
}

TEST(ConfigFileTest, SectionsMakeSeriesThatCountOn) {
  std::optional<ConfigError> error;
  const SimOptions o = Parse(R"(# two kinds of devices
[simulator]
udp_port = 14201
raw_base = 19100
multicast = no
burst = 8

[device]
count = 2
ip = 127.0.0.20
hw = 02:50:4F:00:01:FF
name = "LAB {n}"
layout = B
serial = 42
maker = "Acme\x01"
port = 0,1,COM A
port = 2, 4, "Two  "
port_count = 7
port_mode = pty

[device]
status = Download Mode
)",
                             &error);
  ASSERT_FALSE(error) << error->line << ": " << error->message;
  EXPECT_EQ(o.udpPort, 14201);
  EXPECT_EQ(o.rawBase, 19100);
  EXPECT_FALSE(o.joinMulticast);
  EXPECT_EQ(o.burst, 8u);
  ASSERT_EQ(o.devices.size(), 3u);
  const DeviceConfig& first = o.devices[0];
  EXPECT_EQ(first.ipAddress, (std::array<uint8_t, 4>{127, 0, 0, 20}));
  EXPECT_EQ(first.hardwareAddress, (std::array<uint8_t, 6>{0x02, 0x50, 0x4F, 0x00, 0x01, 0xFF}));
  EXPECT_EQ(first.systemName, "LAB 0001");
  EXPECT_EQ(first.format, 3);
  EXPECT_EQ(first.serialText, "42");
  EXPECT_EQ(first.maker, std::string("Acme\x01"));
  ASSERT_EQ(first.ports.size(), 2u);
  EXPECT_EQ(first.ports[0].name, "COM A");
  EXPECT_EQ(first.ports[1].state, 2);
  EXPECT_EQ(first.ports[1].condition, 4);
  EXPECT_EQ(first.ports[1].name, "Two  ");
  EXPECT_EQ(first.PortCountByte(), 7);
  EXPECT_EQ(first.portMode, PortMode::kPty);
  // The second of the series counts on in address and hardware address.
  EXPECT_EQ(o.devices[1].ipAddress, (std::array<uint8_t, 4>{127, 0, 0, 21}));
  EXPECT_EQ(o.devices[1].hardwareAddress[4], 0x02);
  EXPECT_EQ(o.devices[1].hardwareAddress[5], 0x00);
  EXPECT_EQ(o.devices[1].systemName, "LAB 0002");
  // The next section starts from the defaults, after the previous device.
  EXPECT_EQ(o.devices[2].ipAddress, (std::array<uint8_t, 4>{127, 0, 0, 22}));
  EXPECT_EQ(o.devices[2].DeviceId(), 0x000201u);
  EXPECT_EQ(o.devices[2].format, 1);
  EXPECT_EQ(o.devices[2].generalStatus, "Download Mode");
  EXPECT_EQ(o.devices[2].systemName, "DEVSIM-0003");
}

TEST(ConfigFileTest, WhatTheAgentReportsPerSeries) {
  std::optional<ConfigError> error;
  const SimOptions options = Parse(
      "[device]\nfirmware = 7.1.0\nlocation = \"Room 4\"\nwireless = yes\nssid = lab\n"
      "[device]\n",
      &error);
  ASSERT_FALSE(error) << error->message;
  ASSERT_EQ(options.devices.size(), 2u);
  EXPECT_EQ(options.devices[0].firmware, "7.1.0");
  EXPECT_EQ(options.devices[0].location, "Room 4");
  EXPECT_TRUE(options.devices[0].wireless);
  EXPECT_EQ(options.devices[0].ssid, "lab");
  // A section without them gets the defaults, not the previous section's.
  EXPECT_EQ(options.devices[1].firmware, DeviceConfig{}.firmware);
  EXPECT_FALSE(options.devices[1].wireless);
}

TEST(ConfigFileTest, ErrorsNameTheirLine) {
  struct Case {
    const char* text;
    size_t line;
  };
  const Case cases[] = {
      {"udp_port = 1\n", 1},
      {"[device]\nip = 300.1.1.1\n", 2},
      {"[device]\nhw = 0250\n", 2},
      {"[device]\n\nport = 0,1\n", 3},
      {"[device]\nport = 0,256,x\n", 2},
      {"[device]\nformat = 256\n", 2},
      {"[device]\nlayout = C\n", 2},
      {"[device]\nname = \"open\n", 2},
      {"[device]\nname = \"bad \\q\"\n", 2},
      {"[device]\nname = \"cut \\x4\"\n", 2},
      {"[device]\ncolour = red\n", 2},
      {"[devices]\n", 1},
      {"[device\n", 1},
      {"[simulator]\nudp_port = 70000\n", 2},
      {"[simulator]\nmulticast = maybe\n", 2},
      {"[device]\nwireless = perhaps\n", 2},
      {"[device]\njust text\n", 2},
      {"[device]\ncount = 65537\n", 2},
      {"[device]\nip = 255.255.255.254\ncount = 3\n", 3},
  };
  for (const Case& c : cases) {
    std::optional<ConfigError> error;
    Parse(c.text, &error);
    ASSERT_TRUE(error) << c.text;
    EXPECT_EQ(error->line, c.line) << c.text << " -> " << error->message;
  }
}

TEST(ConfigFileTest, BoundsOnSizeLinesPortsAndDevices) {
  std::optional<ConfigError> error;
  Parse(std::string(kMaxConfigSize + 1, '#'), &error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->line, 0u);

  Parse("[device]\nname = " + std::string(kMaxConfigLine, 'n') + "\n", &error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->line, 2u);

  std::string ports = "[device]\n";
  for (size_t i = 0; i <= kMaxPortEntries; ++i) ports += "port = 0,1,p\n";
  Parse(ports, &error);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->line, kMaxPortEntries + 2);

  Parse("[device]\ncount = 65536\n[device]\n", &error);
  ASSERT_TRUE(error);
}

TEST(ConfigFileTest, CommentsBlanksAndCrLf) {
  std::optional<ConfigError> error;
  const SimOptions o = Parse("; c\r\n\r\n[DEVICE]\r\n  IP = 10.0.0.1  \r\n", &error);
  ASSERT_FALSE(error);
  ASSERT_EQ(o.devices.size(), 1u);
  EXPECT_EQ(o.devices[0].ipAddress, (std::array<uint8_t, 4>{10, 0, 0, 1}));
}

TEST(ValueParsersTest, AddressesAndHardwareAddresses) {
  EXPECT_TRUE(ParseAddress("0.0.0.0"));
  EXPECT_TRUE(ParseAddress("255.255.255.255"));
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "1.2.3.4 ", "-1.2.3.4",
                          "1.2.3.0004", "a.b.c.d"}) {
    EXPECT_FALSE(ParseAddress(bad)) << bad;
  }
  EXPECT_EQ(ParseHardwareAddress("00409d123456"),
            (std::array<uint8_t, 6>{0x00, 0x40, 0x9D, 0x12, 0x34, 0x56}));
  EXPECT_EQ(ParseHardwareAddress("00-40-9D-12-34-56"), ParseHardwareAddress("00409D123456"));
  for (const char* bad :
       {"00409D12345", "00409D1234567", "00:40:9D:12:34", "00409D12345G", "00:40:9D:12:34x56"}) {
    EXPECT_FALSE(ParseHardwareAddress(bad)) << bad;
  }
}

TEST(CommandLineTest, OptionsMakeTheDeviceSeries) {
  const char* argv[] = {"portolan-devsim",
                        "--count",
                        "3",
                        "--base-ip",
                        "127.0.0.40",
                        "--layout",
                        "B",
                        "--ports",
                        "2",
                        "--tcp-offset",
                        "10000",
                        "--name",
                        "N{n}",
                        "--port-count",
                        "9",
                        "--udp-port",
                        "0",
                        "--no-multicast"};
  const auto r = ParseCommandLine(static_cast<int>(std::size(argv)), argv);
  ASSERT_EQ(r.action, CommandLineResult::Action::kRun) << r.message;
  EXPECT_EQ(r.options.rawBase, 19100);
  EXPECT_EQ(r.options.rfc2217Base, 19200);
  EXPECT_EQ(r.options.udpPort, 0);
  EXPECT_FALSE(r.options.joinMulticast);
  ASSERT_EQ(r.options.devices.size(), 3u);
  EXPECT_EQ(r.options.devices[2].ipAddress, (std::array<uint8_t, 4>{127, 0, 0, 42}));
  EXPECT_EQ(r.options.devices[2].systemName, "N0003");
  EXPECT_EQ(r.options.devices[2].DeviceId(), 3u);
  EXPECT_EQ(r.options.devices[0].format, 3);
  EXPECT_EQ(r.options.devices[0].ports.size(), 2u);
  EXPECT_EQ(r.options.devices[0].ports[1].name, "Port2");
  EXPECT_EQ(r.options.devices[0].PortCountByte(), 9);
}

TEST(CommandLineTest, ConfigFileDevicesWithCommandLineSocketOptions) {
  const std::string path = ::testing::TempDir() + "/devsim-config-test.ini";
  {
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs(
        "[simulator]\nudp_port = 14201\nraw_base = 19100\n"
        "[device]\ncount = 2\nserial = S{n}\n",
        file);
    std::fclose(file);
  }
  const char* argv[] = {"x",        "--udp-port", "0",       "--config", path.c_str(),
                        "--layout", "B",          "--count", "9"};
  const auto r = ParseCommandLine(static_cast<int>(std::size(argv)), argv);
  std::remove(path.c_str());
  ASSERT_EQ(r.action, CommandLineResult::Action::kRun) << r.message;
  EXPECT_EQ(r.options.udpPort, 0);            // the command line wins
  EXPECT_EQ(r.options.rawBase, 19100);        // the file fills in what the command line left
  ASSERT_EQ(r.options.devices.size(), 2u);    // the file's devices replace --count
  EXPECT_EQ(r.options.devices[1].format, 3);  // built on the command line's template
  EXPECT_EQ(r.options.devices[1].SerialNumberText(), "S0002");
}

TEST(CommandLineTest, BadOptionsAreRefused) {
  const std::vector<std::vector<const char*>> cases = {
      {"x", "--count"},
      {"x", "--count", "-1"},
      {"x", "--base-ip", "1.2.3"},
      {"x", "--layout", "C"},
      {"x", "--ports", "7"},
      {"x", "--port", "1,2"},
      {"x", "--frobnicate"},
      {"x", "--udp-port", "65536"},
      {"x", "--tcp-offset", "60000"},
      {"x", "--config", "/nonexistent/devsim.ini"},
      {"x", "--count", "3", "--base-ip", "255.255.255.254"},
  };
  for (const auto& argv : cases) {
    const auto r = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(r.action, CommandLineResult::Action::kError) << argv.back();
    EXPECT_FALSE(r.message.empty());
  }
  const char* help[] = {"x", "--count", "2", "--help"};
  EXPECT_EQ(ParseCommandLine(4, help).action, CommandLineResult::Action::kHelp);
  EXPECT_NE(std::string(HelpText()).find("--config FILE"), std::string::npos);
}

}  // namespace
}  // namespace devsim
