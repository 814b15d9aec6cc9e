#include "cli/SnmpCommand.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include "app/AppSettings.h"
#include "app/DeviceAccessList.h"
#include "cli/CtlContext.h"
#include "cli/SnmpEngineScope.h"
#include "discovery/CPleaseWaitDlg.h"
#include "snmp/CSnmpManager.h"
#include "snmp/CSnmpVarBind.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpTransport.h"

namespace cli {

namespace {

constexpr int kExitNoAnswer = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;

bool ParseNumber(const std::string& text, long long low, long long high, long long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || n < low || n > high) return false;
  *value = n;
  return true;
}

bool ParseHex(const std::string& text, std::vector<uint8_t>* octets) {
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == ':') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    digits += c;
  }
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    octets->push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
  }
  return true;
}

// The community named for this request: --community (from standard input when "-"), else
// $PORTOLAN_COMMUNITY; none when neither is given. False when "-" finds no line.
bool GivenCommunity(const std::optional<std::string>& option, std::optional<std::string>* out) {
  if (!option) {
    const char* env = std::getenv("PORTOLAN_COMMUNITY");
    if (env != nullptr && *env != '\0') *out = env;
    return true;
  }
  if (*option != "-") {
    *out = option;
    return true;
  }
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  *out = line;
  return true;
}

int ExitFor(int code) {
  return code == snmp::kSnmpNoReply ? kExitNoAnswer : kExitFailed;
}

}  // namespace

const char* SnmpCommand::Usage() {
  return "  snmp get IP OID... [--community C] [--timeout CS] [--port N]\n"
         "                                        read variables; prints \"OID = TYPE: value\"\n"
         "  snmp set IP OID=TYPE:VALUE... [--community C] [--timeout CS] [--port N]\n"
         "                                        write variables; TYPE i integer, u unsigned,\n"
         "                                        s string, x hex string, o OID, a IP address\n"
         "    --community - reads the community as one line of standard input, and\n"
         "    $PORTOLAN_COMMUNITY is used when --community is not given, so that it stays\n"
         "    out of the command line; without either, the get or set community of the\n"
         "    access list's entry for IP (see access lookup); --timeout is in\n"
         "    hundredths of a second per attempt (three attempts; default the stored\n"
         "    GetTimeout/SetTimeout); --port is the agent's UDP port (default 161)\n";
}

bool SnmpCommand::ParseAssignment(const std::string& text, snmp::CSnmpVarBind* var,
                                  std::string* problem) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || text.size() < equals + 3 ||
      text[equals + 2] != ':') {
    *problem = "expected OID=TYPE:VALUE in \"" + text + "\"";
    return false;
  }
  const std::string oid = text.substr(0, equals);
  const char type = text[equals + 1];
  const std::string value = text.substr(equals + 3);
  if (var->SetOid(oid) == 0) {
    *problem = "not an OID: \"" + oid + "\"";
    return false;
  }
  long long n = 0;
  std::vector<uint8_t> octets;
  switch (type) {
    case 'i':
      if (!ParseNumber(value, INT32_MIN, INT32_MAX, &n)) break;
      var->SetInteger(static_cast<int32_t>(n));
      return true;
    case 'u':
      if (!ParseNumber(value, 0, UINT32_MAX, &n)) break;
      var->SetUnsigned(static_cast<uint32_t>(n), SNMP_SYNTAX_GAUGE32);
      return true;
    case 's':
      var->SetString(value);
      return true;
    case 'x':
      if (!ParseHex(value, &octets)) break;
      var->SetOctets(octets.data(), octets.size());
      return true;
    case 'o':
      if (var->SetOidValue(value)) return true;
      break;
    case 'a':
      if (var->SetIpAddress(value)) return true;
      break;
    default:
      *problem = std::string("unknown type '") + type + "' (use i, u, s, x, o or a)";
      return false;
  }
  *problem = std::string("not a value of type '") + type + "': \"" + value + "\"";
  return false;
}

int SnmpCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const auto communityOption = args.TakeOption("community");
  const auto timeout = args.TakeOption("timeout");
  const auto port = args.TakeOption("port");
  if (!args.Error().empty()) {
    err << "portolanctl snmp: " << args.Error() << "\n";
    return kExitUsage;
  }
  if (const auto unknown = args.FirstUnknownOption()) {
    err << "portolanctl snmp: unknown option " << *unknown << "\n" << Usage();
    return kExitUsage;
  }
  const auto& rest = args.Rest();
  if (rest.size() < 3 || (rest[0] != "get" && rest[0] != "set")) {
    err << "portolanctl snmp: say get or set, an address and at least one variable\n" << Usage();
    return kExitUsage;
  }
  const bool set = rest[0] == "set";

  std::vector<snmp::CSnmpVarBind> vars(rest.size() - 2);
  for (size_t i = 2; i < rest.size(); ++i) {
    std::string problem;
    snmp::CSnmpVarBind& var = vars[i - 2];
    if (set ? !ParseAssignment(rest[i], &var, &problem) : var.SetOid(rest[i]) == 0) {
      err << "portolanctl snmp: " << (set ? problem : "not an OID: \"" + rest[i] + "\"") << "\n";
      return kExitUsage;
    }
  }
  app::AppSettings settings;
  settings.Load(context.Settings());
  long long hundredths = set ? settings.setTimeout : settings.getTimeout;
  if (timeout && !ParseNumber(*timeout, 0, 360000, &hundredths)) {
    err << "portolanctl snmp: --timeout takes hundredths of a second (0 to 360000)\n";
    return kExitUsage;
  }
  long long agentPort = 161;
  if (port && !ParseNumber(*port, 1, 65535, &agentPort)) {
    err << "portolanctl snmp: --port takes a UDP port (1 to 65535)\n";
    return kExitUsage;
  }
  std::optional<std::string> community;
  if (!GivenCommunity(communityOption, &community)) {
    err << "portolanctl snmp: no community name on standard input\n";
    return kExitUsage;
  }

  SnmpEngineScope engine;
  if (!engine.started()) {
    err << "portolanctl snmp: the SNMP engine did not start\n";
    return kExitFailed;
  }
  snmp::SnmpTransportDefaults().udpAgentPort = static_cast<uint16_t>(agentPort);
  discovery::CPleaseWaitDlg wait(true);
  snmp::SnmpOperationContext operation;
  operation.address = rest[1];
  // Without --community, the communities the device access list gives the address.
  const auto [listGet, listSet] =
      app::ReloadApplicationAccessList(context.Settings(), false).CommunitiesFor(rest[1]);
  operation.getCommunity = community.value_or(listGet);
  operation.setCommunity = community.value_or(listSet);
  operation.wait = &wait;
  int status = snmp::kSnmpOk;
  int result = snmp::kSnmpSessionFailed;
  int errorStatus = 0, errorIndex = 0;
  {
    snmp::CSnmpManager manager(operation, &status);
    if (status == snmp::kSnmpOk) {
      manager.SetTimeout(static_cast<int>(hundredths));
      const int count = static_cast<int>(vars.size());
      result = set ? manager.SetMany(vars.data(), count, &errorStatus, &errorIndex)
                   : manager.GetMany(vars.data(), count, &errorStatus, &errorIndex);
    }
  }
  if (result != snmp::kSnmpOk) {
    err << "portolanctl snmp: " << rest[1] << ": " << snmp::SnmpRequestCodeText(result) << " ("
        << result << ")";
    if (errorStatus != 0 && errorIndex >= 1 && static_cast<size_t>(errorIndex) <= vars.size()) {
      err << " at variable " << errorIndex << ", "
          << vars[static_cast<size_t>(errorIndex) - 1].OidText();
    }
    err << "\n";
    return ExitFor(result);
  }
  for (const snmp::CSnmpVarBind& var : vars) out << var.Describe() << "\n";
  return 0;
}

}  // namespace cli
