#include "cli/PortsCommand.h"

#include <arpa/inet.h>

#include <cctype>
#include <ostream>

#include "cli/CtlContext.h"
#include "cli/PortsStatusCommand.h"
#include "discovery/DiscoveryReply.h"
#include "platform/RunningCopyProtocol.h"
#include "platform/SerialPortList.h"
#include "vport/CVirtualPortTable.h"
#include "vport/LineSettings.h"
#include "vport/PortFlags.h"

namespace cli {

namespace {

constexpr int kExitAbsent = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

bool IsDottedIpv4(const std::string& text) {
  in_addr address{};
  return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// " line 7E1" for the stored value; nothing when the port has none.
std::string LineWords(const std::string& stored) {
  if (stored.empty()) return "";
  const auto line = vport::LineSettings::Parse(stored);
  if (!line) return " line \"" + stored + "\" (not valid: ignored)";
  return " line " + line->Text();
}

}  // namespace

const char* PortsCommand::Usage() {
  return "  ports list                            list the stored virtual ports\n"
         "  ports add COMn IP DEVPORT [--hw HWADDR] [--rfc2217] [--strict-baud] [--wine]\n"
         "            [--line 7E1]                store a port (TCP port 9100+DEVPORT, or\n"
         "                                        9200+DEVPORT with --rfc2217); --wine also\n"
         "                                        shows it to Wine as comN; --line fixes data\n"
         "                                        bits, parity, stop bits (with --rfc2217)\n"
         "    DEVPORT: device port index, 0 for Port # 1 (0 to 5, as discover shows Port # 1 to "
         "6)\n"
         "    HWADDR: 12 hex digits, alone or in groups joined by ':', '-' or '.'\n"
         "  ports delete COMn                     remove a stored port\n"
         "  ports status [--json]                 the state, server, connection time, bytes each\n"
         "                                        way, reconnects and last error of every port\n"
         "                                        the running program (desktop or run) runs;\n"
         "                                        exit 1 when none runs\n";
}

std::optional<int> PortsCommand::ParseComName(const std::string& text) {
  if (text.size() < 4 || text.size() > 6) return std::nullopt;
  for (int i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(text[static_cast<size_t>(i)])) != "COM"[i]) {
      return std::nullopt;
    }
  }
  if (text[3] == '0') return std::nullopt;
  int number = 0;
  for (size_t i = 3; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    number = number * 10 + (text[i] - '0');
  }
  if (!vport::CVirtualPortTable::InRange(number)) return std::nullopt;
  return number;
}

std::optional<int32_t> PortsCommand::ParseDevPort(const std::string& text) {
  if (text.size() != 1 || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  const int32_t index = text[0] - '0';
  if (index >= static_cast<int32_t>(discovery::kMaxDevicePorts)) return std::nullopt;
  return index;
}

std::string PortsCommand::DevPortRefusal(const std::string& text) {
  return "\"" + text + "\" is not a device port index: say 0 for Port # 1 ... " +
         std::to_string(discovery::kMaxDevicePorts - 1) + " for Port # " +
         std::to_string(discovery::kMaxDevicePorts);
}

std::string PortsCommand::FlagWords(uint32_t flags) {
  std::string words;
  if (flags & vport::PORTFLAG_RFC2217) words += " rfc2217";
  if (flags & vport::PORTFLAG_STRICTBAUD) words += " strict-baud";
  if (flags & vport::PORTFLAG_WINE) words += " wine";
  return words;
}

std::string PortsCommand::DevPortText(int32_t devPort) {
  return "device port " + std::to_string(devPort) + " (Port # " + std::to_string(devPort + 1) + ")";
}

std::optional<std::string> PortsCommand::ParseHwAddress(const std::string& text) {
  // Groups of 2 (00:80:d4:...), of 4 (0080.d400.0001) or none; one separator throughout.
  std::string digits;
  char separator = 0;
  size_t group = 0;
  size_t groupSize = 0;
  for (const char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      ++group;
      continue;
    }
    if (c != ':' && c != '-' && c != '.') return std::nullopt;
    if ((separator != 0 && c != separator) || group == 0) return std::nullopt;
    if (groupSize != 0 && group != groupSize) return std::nullopt;
    separator = c;
    groupSize = group;
    group = 0;
  }
  if (digits.size() != 12) return std::nullopt;
  if (separator != 0 && (group != groupSize || (groupSize != 2 && groupSize != 4))) {
    return std::nullopt;
  }
  return digits;
}

std::string PortsCommand::PortBoundTo(CtlContext& context, const std::string& ip, int32_t devPort,
                                      int except) {
  auto& settings = context.Settings();
  for (int n = 1; n <= vport::CVirtualPortTable::kSlots; ++n) {
    if (n == except) continue;
    const std::string section = vport::CVirtualPortTable::PortSection(n);
    if (!settings.SectionExists(section)) continue;
    if (settings.GetString(section, "DevIpAddr") == ip &&
        settings.GetInt(section, "DevPrtNum", -1) == devPort) {
      return vport::CVirtualPortTable::ComName(n);
    }
  }
  return "";
}

std::string PortsCommand::StoredBinding(CtlContext& context, int comNumber) {
  auto& settings = context.Settings();
  const std::string section = vport::CVirtualPortTable::PortSection(comNumber);
  if (!settings.SectionExists(section)) return "";
  return settings.GetString(section, "DevIpAddr") + ":" + settings.GetString(section, "DevTcpPrt") +
         ", " + DevPortText(settings.GetInt(section, "DevPrtNum", 0));
}

std::string PortsCommand::TcpPortFor(int32_t devPort, bool rfc2217) {
  return std::to_string((rfc2217 ? 9200 : 9100) + devPort);
}

std::string PortsCommand::BadLineText(const std::string& text) {
  return "\"" + text + "\" is not a line setting (" + vport::LineSettings::AcceptedForms() + ")";
}

const char* PortsCommand::LineNeedsRfc2217() {
  return "line settings reach the server only over RFC 2217: add rfc2217";
}

bool PortsCommand::IsSystemPort(int comNumber) {
  for (const auto& entry : platform::SerialPortList::SystemSerialPorts()) {
    if (vport::CVirtualPortTable::SystemPortNumber(entry.second) == comNumber) return true;
  }
  return false;
}

int PortsCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  if (args.Rest().empty()) {
    err << "portolanctl ports: say list, add, delete or status\n" << Usage();
    return kExitUsage;
  }
  const std::string verb = args.Rest().front();
  if (verb == "list") return List(context, out);
  if (verb == "add") return Add(args, context, out, err);
  if (verb == "delete") return Delete(args, context, out, err);
  if (verb == "status") {
    return PortsStatusCommand::Run(args, out, err,
                                   platform::RunningCopyProtocol::DefaultSocketPath());
  }
  err << "portolanctl ports: unknown command \"" << verb << "\"\n" << Usage();
  return kExitUsage;
}

int PortsCommand::List(CtlContext& context, std::ostream& out) {
  auto& settings = context.Settings();
  for (int n = 1; n <= vport::CVirtualPortTable::kSlots; ++n) {
    const std::string section = vport::CVirtualPortTable::PortSection(n);
    if (!settings.SectionExists(section)) continue;
    const std::string hw = settings.GetString(section, "DevHwAddr");
    const std::string ip = settings.GetString(section, "DevIpAddr");
    const std::string tcp = settings.GetString(section, "DevTcpPrt");
    const int devPort = settings.GetInt(section, "DevPrtNum", 0);
    const auto flags = static_cast<uint32_t>(settings.GetInt(section, "PortFlags", 0));
    const std::string line = settings.GetString(section, "LineSettings");
    out << vport::CVirtualPortTable::ComName(n) << "  " << ip << ":" << tcp << "  "
        << DevPortText(devPort) << "  hw " << hw << FlagWords(flags) << LineWords(line);
    if (hw.empty() || ip.empty() || tcp.empty()) out << "  (incomplete: dropped at next start)";
    out << "\n";
  }
  return 0;
}

int PortsCommand::Add(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const bool rfc2217 = args.TakeFlag("rfc2217");
  const bool strict = args.TakeFlag("strict-baud");
  const bool wine = args.TakeFlag("wine");
  const auto lineText = args.TakeOption("line");
  const std::string hwText = args.TakeOption("hw").value_or("000000000000");
  if (!args.Error().empty() || args.FirstUnknownOption() || args.Rest().size() != 4) {
    err << "usage: portolanctl ports add COMn IP DEVPORT [--hw HWADDR] [--rfc2217] "
           "[--strict-baud] [--wine] [--line 7E1]\n";
    return kExitUsage;
  }
  std::optional<vport::LineSettings> line;
  if (lineText) {
    line = vport::LineSettings::Parse(*lineText);
    if (!line) {
      err << "portolanctl: " << BadLineText(*lineText) << "\n";
      return kExitUsage;
    }
    if (!rfc2217) {
      err << "portolanctl: " << LineNeedsRfc2217() << "\n";
      return kExitUsage;
    }
  }
  const auto& rest = args.Rest();
  const auto comNumber = ParseComName(rest[1]);
  if (!comNumber) {
    err << "portolanctl: \"" << rest[1] << "\" is not a COM port name from COM1 to COM255\n";
    return kExitUsage;
  }
  if (!IsDottedIpv4(rest[2])) {
    err << "portolanctl: \"" << rest[2] << "\" is not an IPv4 address\n";
    return kExitUsage;
  }
  const auto devPort = ParseDevPort(rest[3]);
  if (!devPort) {
    err << "portolanctl: " << DevPortRefusal(rest[3]) << "\n";
    return kExitUsage;
  }
  const auto hw = ParseHwAddress(hwText);
  if (!hw) {
    err << "portolanctl: \"" << hwText
        << "\" is not a hardware address: give 12 hex digits, as 0080D4000001, "
           "00:80:D4:00:00:01, 00-80-D4-00-00-01 or 0080.D400.0001\n";
    return kExitUsage;
  }
  const std::string comName = vport::CVirtualPortTable::ComName(*comNumber);
  if (IsSystemPort(*comNumber)) {
    err << "portolanctl: " << comName << " is one of the system's own serial ports\n";
    return kExitRefused;
  }
  auto& settings = context.Settings();
  const std::string section = vport::CVirtualPortTable::PortSection(*comNumber);
  if (!settings.GetString(section, "DevHwAddr").empty()) {
    err << "portolanctl: " << comName << " is already in use\n";
    return kExitRefused;
  }
  const uint32_t flags = vport::PORTFLAG_AUTOSTART |
                         (rfc2217 ? uint32_t{vport::PORTFLAG_RFC2217} : 0u) |
                         (strict ? uint32_t{vport::PORTFLAG_STRICTBAUD} : 0u) |
                         (wine ? uint32_t{vport::PORTFLAG_WINE} : 0u);
  const std::string tcpPort = TcpPortFor(*devPort, rfc2217);
  settings.DeleteSection(section);  // an incomplete leftover would mix with the new values
  const std::string sameDevicePort = PortBoundTo(context, rest[2], *devPort, *comNumber);
  const bool written = settings.WriteString(section, "DevHwAddr", *hw) &&
                       settings.WriteString(section, "DevIpAddr", rest[2]) &&
                       settings.WriteString(section, "DevTcpPrt", tcpPort) &&
                       settings.WriteInt(section, "ComPrtNum", *comNumber) &&
                       settings.WriteInt(section, "DevPrtNum", *devPort) &&
                       settings.WriteInt(section, "PortFlags", static_cast<int>(flags)) &&
                       (!line || settings.WriteString(section, "LineSettings", line->Text()));
  if (!written) {
    err << "portolanctl: cannot write the settings store " << context.Store().FilePath() << ": "
        << context.StoreProblem() << "\n";
    return kExitRefused;
  }
  out << comName << " -> " << rest[2] << ":" << tcpPort << ", " << DevPortText(*devPort)
      << FlagWords(flags) << LineWords(line ? line->Text() : "") << "\n";
  if (!sameDevicePort.empty()) {
    err << "portolanctl: warning: " << sameDevicePort << " is bound to the same device port ("
        << rest[2] << ", " << DevPortText(*devPort) << ")\n";
  }
  return 0;
}

int PortsCommand::Delete(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  if (args.FirstUnknownOption() || args.Rest().size() != 2) {
    err << "usage: portolanctl ports delete COMn\n";
    return kExitUsage;
  }
  const auto comNumber = ParseComName(args.Rest()[1]);
  if (!comNumber) {
    err << "portolanctl: \"" << args.Rest()[1] << "\" is not a COM port name from COM1 to COM255\n";
    return kExitUsage;
  }
  const std::string section = vport::CVirtualPortTable::PortSection(*comNumber);
  const std::string comName = vport::CVirtualPortTable::ComName(*comNumber);
  if (!context.Settings().SectionExists(section)) {
    err << "portolanctl: no stored port " << comName << "\n";
    return kExitAbsent;
  }
  if (!context.Settings().DeleteSection(section)) {
    err << "portolanctl: cannot write the settings store " << context.Store().FilePath() << "\n";
    return kExitRefused;
  }
  out << comName << " deleted\n";
  return 0;
}

}  // namespace cli
