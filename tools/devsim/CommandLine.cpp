#include "CommandLine.h"

#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "ConfigFile.h"
#include "ValueParsers.h"

namespace devsim {
namespace {

const char kHelp[] = R"(Usage: portolan-devsim [options]

Simulates device servers on this machine: each answers discovery requests and set-address requests
on UDP, and serves its serial ports over TCP, raw and with RFC 2217 (Telnet Com Port Control).
Device k gets its own IPv4 address: --base-ip plus k. Replies leave from the device's own address,
so every address must be local (all of 127.0.0.0/8 is; in a network namespace add them to an
interface). Runs until SIGINT or SIGTERM, then exits 0.

Devices (the same for every device unless a config file says otherwise):
  --count N              number of devices (default 1, at most 65536)
  --base-ip A            address of the first device (default 127.0.0.10)
  --mask A               subnet mask (default 255.255.255.0)
  --gateway A            default gateway (default 0.0.0.0)
  --hw HEX               hardware address of the first device, 12 hex digits, the others count up
                         (default 02504F000001); the device ID is its last three bytes
  --layout A|B           reply layout A (format 1) or B (format 3, with a serial-number text)
  --format N             reply format byte 0..255 (1, 2: layout A; 3: layout B; others: bad)
  --serial TEXT          serial-number text of layout B (default: the device ID in decimal)
  --name TEXT            system name; {n} is the device number, 4 digits (default DEVSIM-{n})
  --product-type TEXT    (default "Device Server")
  --product-number TEXT  (default SDS1)
  --datecode TEXT        (default 2401A)
  --maker TEXT           maker tag; the reply's field holds 5 bytes (default Vantor)
  --status TEXT          general status text (default None)
  --get-community TEXT   GET community name, sent scrambled (default public)
  --set-community TEXT   SET community name, sent scrambled (default private)
  --ports N              number of ports, 0..6, named Port1... on-line (default 1)
  --port S,C,NAME        one port entry (state, condition code, name); repeatable, replaces --ports
  --port-count N         the port count byte as sent, whatever the entries (default: their number)
  --pty                  bridge every port to a pseudo-terminal (path printed) instead of echoing

Sockets:
  --udp-port P           discovery port (default 4201; 0: any free port)
  --raw-base P           raw TCP port of port index 0 (default 9100; index i: P + i)
  --rfc2217-base P       RFC 2217 port of port index 0 (default 9200)
  --tcp-offset K         add K to both TCP bases (for tests on loopback)
  --no-tcp               serve no TCP ports
  --no-multicast         do not join 224.0.1.55
  --burst N              replies sent back to back before a pause (default 64)
  --burst-gap-ms MS      the pause (default 2)
  --ready-file PATH      written once all sockets are open: "udp=P raw=P rfc2217=P devices=N"
                         (and " snmp=P" when the agents serve)
  --snmp-port P          serve the devices' SNMP agents on UDP port P (161 as a device does;
                         0: any free port); requests to a device's address get its agent,
                         whose private variables lie under the root its --maker selects
  --snmp-log PATH        append one line per Set the agents take: device, address, variables,
                         and what became of it (answered, ignored, error S); no communities
  --snmp-ignore-set      take Sets (and log them) but never answer them
  --snmp-silent          read every request and answer none (agents that do not answer)
  --snmp-set-error S[,I] answer every Set with error status S (1 tooBig ... 5 genErr) and
                         index I (default 1), writing nothing

  --config FILE          read a config file (see below); its [device] sections replace --count,
                         and the socket options above win over its [simulator] section
  --help                 this text

Config file (INI style; '#' or ';' start comments; values may be "quoted" with \\, \" and \xHH):
  [simulator]
  udp_port = 4201        raw_base, rfc2217_base, tcp = yes|no, multicast = yes|no, burst,
                         burst_gap_ms
  [device]               one section per series of devices, starting from the options above
  count = 3              how many devices this section makes (default 1)
  ip = 127.0.0.20        first address; without it, the address after the previous device's
  hw = 02:50:4F:00:01:00 first hardware address; without it, the one after the previous device's
  layout = B             or format = N
  name = "LAB {n}"       also: mask, gateway, serial, product_type, product_number, datecode,
                         maker, get_community, set_community, status
  location = "Room 4"    what the SNMP agent reports: location, firmware (version text),
                         wireless = yes|no (a wireless link), ssid
  port = 0,1,Port1       repeatable; state 2 = off-line; condition 1 none, 2 no printer,
  port = 2,4,Port2       3 toner low, 4 paper out, 5 paper jam, 6 door open, others error
  port_count = 2         the count byte as sent
  port_mode = pty        or echo
)";

using Handler = std::function<std::optional<std::string>(const std::string&)>;

std::optional<std::string> SetText(std::string* field, const std::string& value) {
  *field = value;
  return std::nullopt;
}

struct CommandLineState {
  DeviceSeries series;
  SimOptions options;
  std::optional<std::string> configPath;
  std::set<std::string> given;  // options named on the command line
  std::optional<int> portCountByte;
  std::optional<size_t> portNumber;
  std::vector<PortConfig> portEntries;
  int tcpOffset = 0;
};

std::optional<std::string> SetNumber(const std::string& value, long min, long max, int* out) {
  const auto n = ParseNumber(value, min, max);
  if (!n) return "value out of range: " + value;
  *out = static_cast<int>(*n);
  return std::nullopt;
}

std::optional<std::string> SetAddress(const std::string& value, std::array<uint8_t, 4>* out) {
  const auto address = ParseAddress(value);
  if (!address) return "invalid IPv4 address: " + value;
  *out = *address;
  return std::nullopt;
}

std::map<std::string, Handler> ValueOptions(CommandLineState& s) {
  DeviceConfig& d = s.series.first;
  SimOptions& o = s.options;
  return {
      {"--count",
       [&s](const std::string& v) -> std::optional<std::string> {
         const auto n = ParseNumber(v, 0, static_cast<long>(kMaxDevices));
         if (!n) return "count out of range: " + v;
         s.series.count = static_cast<size_t>(*n);
         return std::nullopt;
       }},
      {"--base-ip", [&d](const std::string& v) { return SetAddress(v, &d.ipAddress); }},
      {"--mask", [&d](const std::string& v) { return SetAddress(v, &d.subnetMask); }},
      {"--gateway", [&d](const std::string& v) { return SetAddress(v, &d.defaultGateway); }},
      {"--hw",
       [&d](const std::string& v) -> std::optional<std::string> {
         const auto hw = ParseHardwareAddress(v);
         if (!hw) return "invalid hardware address: " + v;
         d.hardwareAddress = *hw;
         return std::nullopt;
       }},
      {"--layout",
       [&d](const std::string& v) -> std::optional<std::string> {
         if (v != "A" && v != "B") return "layout is A or B";
         d.format = v == "A" ? 1 : 3;
         return std::nullopt;
       }},
      {"--format",
       [&d](const std::string& v) -> std::optional<std::string> {
         int n = 0;
         if (auto error = SetNumber(v, 0, 255, &n)) return error;
         d.format = static_cast<uint8_t>(n);
         return std::nullopt;
       }},
      {"--serial", [&d](const std::string& v) { return SetText(&d.serialText, v); }},
      {"--name", [&s](const std::string& v) { return SetText(&s.series.nameTemplate, v); }},
      {"--product-type", [&d](const std::string& v) { return SetText(&d.productType, v); }},
      {"--product-number", [&d](const std::string& v) { return SetText(&d.productNumber, v); }},
      {"--datecode", [&d](const std::string& v) { return SetText(&d.datecode, v); }},
      {"--maker", [&d](const std::string& v) { return SetText(&d.maker, v); }},
      {"--status", [&d](const std::string& v) { return SetText(&d.generalStatus, v); }},
      {"--get-community", [&d](const std::string& v) { return SetText(&d.getCommunity, v); }},
      {"--set-community", [&d](const std::string& v) { return SetText(&d.setCommunity, v); }},
      {"--ports",
       [&s](const std::string& v) -> std::optional<std::string> {
         int n = 0;
         if (auto error = SetNumber(v, 0, static_cast<long>(kMaxServedPorts), &n)) return error;
         s.portNumber = static_cast<size_t>(n);
         return std::nullopt;
       }},
      {"--port",
       [&s](const std::string& v) -> std::optional<std::string> {
         const auto port = ParsePortEntry(v);
         if (!port) return "port is state,condition,name: " + v;
         if (s.portEntries.size() >= kMaxPortEntries) return "more than 16 port entries";
         s.portEntries.push_back(*port);
         return std::nullopt;
       }},
      {"--port-count",
       [&s](const std::string& v) -> std::optional<std::string> {
         int n = 0;
         if (auto error = SetNumber(v, 0, 255, &n)) return error;
         s.portCountByte = n;
         return std::nullopt;
       }},
      {"--udp-port", [&o](const std::string& v) { return SetNumber(v, 0, 65535, &o.udpPort); }},
      {"--raw-base", [&o](const std::string& v) { return SetNumber(v, 1, 65519, &o.rawBase); }},
      {"--rfc2217-base",
       [&o](const std::string& v) { return SetNumber(v, 1, 65519, &o.rfc2217Base); }},
      {"--tcp-offset",
       [&s](const std::string& v) { return SetNumber(v, -9000, 56000, &s.tcpOffset); }},
      {"--burst",
       [&o](const std::string& v) -> std::optional<std::string> {
         int n = 0;
         if (auto error = SetNumber(v, 1, 100000, &n)) return error;
         o.burst = static_cast<size_t>(n);
         return std::nullopt;
       }},
      {"--burst-gap-ms",
       [&o](const std::string& v) { return SetNumber(v, 0, 1000, &o.burstGapMs); }},
      {"--ready-file", [&o](const std::string& v) { return SetText(&o.readyFile, v); }},
      {"--snmp-port", [&o](const std::string& v) { return SetNumber(v, 0, 65535, &o.snmpPort); }},
      {"--snmp-log", [&o](const std::string& v) { return SetText(&o.snmpLog, v); }},
      {"--snmp-set-error",
       [&o](const std::string& v) -> std::optional<std::string> {
         const size_t comma = v.find(',');
         if (auto error = SetNumber(v.substr(0, comma), 1, 5, &o.snmpSetError)) return error;
         if (comma == std::string::npos) return std::nullopt;
         return SetNumber(v.substr(comma + 1), 0, 255, &o.snmpSetErrorIndex);
       }},
      {"--config",
       [&s](const std::string& v) -> std::optional<std::string> {
         s.configPath = v;
         return std::nullopt;
       }},
  };
}

// Applies the port options to the template: entries given one by one win over a number.
void ApplyPorts(CommandLineState& s) {
  DeviceConfig& d = s.series.first;
  if (!s.portEntries.empty()) {
    d.ports = s.portEntries;
  } else if (s.portNumber) {
    d.ports.clear();
    for (size_t i = 0; i < *s.portNumber; ++i) {
      d.ports.push_back({0, 1, "Port" + std::to_string(i + 1)});
    }
  }
  if (s.portCountByte) d.announcedPorts = *s.portCountByte;
}

// Options named on the command line win over the config file's [simulator] section.
void KeepCommandLineChoices(const CommandLineState& s, SimOptions* fromFile) {
  const SimOptions& cli = s.options;
  const auto given = [&s](const char* name) { return s.given.count(name) != 0; };
  if (given("--udp-port")) fromFile->udpPort = cli.udpPort;
  if (given("--raw-base")) fromFile->rawBase = cli.rawBase;
  if (given("--rfc2217-base")) fromFile->rfc2217Base = cli.rfc2217Base;
  if (given("--no-tcp")) fromFile->serveTcp = false;
  if (given("--no-multicast")) fromFile->joinMulticast = false;
  if (given("--burst")) fromFile->burst = cli.burst;
  if (given("--burst-gap-ms")) fromFile->burstGapMs = cli.burstGapMs;
  if (given("--snmp-port")) fromFile->snmpPort = cli.snmpPort;
  if (given("--snmp-log")) fromFile->snmpLog = cli.snmpLog;
  if (given("--snmp-ignore-set")) fromFile->snmpIgnoreSets = true;
  if (given("--snmp-silent")) fromFile->snmpSilent = true;
  if (given("--snmp-set-error")) {
    fromFile->snmpSetError = cli.snmpSetError;
    fromFile->snmpSetErrorIndex = cli.snmpSetErrorIndex;
  }
}

CommandLineResult Error(const std::string& message) {
  CommandLineResult result;
  result.action = CommandLineResult::Action::kError;
  result.message = message;
  return result;
}

}  // namespace

const char* HelpText() {
  return kHelp;
}

CommandLineResult ParseCommandLine(int argc, const char* const* argv) {
  CommandLineState s;
  const auto options = ValueOptions(s);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      CommandLineResult help;
      help.action = CommandLineResult::Action::kHelp;
      return help;
    }
    s.given.insert(arg);
    if (arg == "--pty") {
      s.series.first.portMode = PortMode::kPty;
    } else if (arg == "--no-tcp") {
      s.options.serveTcp = false;
    } else if (arg == "--no-multicast") {
      s.options.joinMulticast = false;
    } else if (arg == "--snmp-ignore-set") {
      s.options.snmpIgnoreSets = true;
    } else if (arg == "--snmp-silent") {
      s.options.snmpSilent = true;
    } else if (const auto found = options.find(arg); found != options.end()) {
      if (i + 1 >= argc) return Error(arg + " needs a value");
      if (auto error = found->second(argv[++i])) return Error(*error);
    } else {
      return Error("unknown option: " + arg + " (see --help)");
    }
  }
  ApplyPorts(s);
  if (s.configPath) {
    SimOptions fromFile = s.options;
    if (auto error = LoadConfigFile(*s.configPath, s.series, &fromFile)) {
      std::string where = *s.configPath;
      if (error->line) where.append(1, ':').append(std::to_string(error->line));
      return Error(where + ": " + error->message);
    }
    KeepCommandLineChoices(s, &fromFile);
    s.options = std::move(fromFile);
  }
  if (s.options.devices.empty() && !AppendSeries(s.series, &s.options.devices)) {
    return Error("the device addresses run past 255.255.255.255");
  }
  s.options.rawBase += s.tcpOffset;
  s.options.rfc2217Base += s.tcpOffset;
  if (s.options.rawBase < 1 || s.options.rawBase > 65519 || s.options.rfc2217Base < 1 ||
      s.options.rfc2217Base > 65519) {
    return Error("TCP base ports out of range");
  }
  CommandLineResult result;
  result.options = std::move(s.options);
  return result;
}

}  // namespace devsim
