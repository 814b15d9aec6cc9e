#include "cli/CtlDiscovery.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "app/AppSettings.h"
#include "app/OemBrandTable.h"
#include "discovery/DiscoverySocket.h"
#include "res/StringTable.h"
#include "snmp/SnmpTransport.h"

namespace cli {
namespace {

std::optional<int> ParseInt(const std::string& text, int min, int max) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < min || value > max) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

bool CtlDiscovery::Configure(ArgList& args, app::Settings& settings,
                             discovery::EngineOptions* options, std::ostream& err) {
  app::AppSettings values;
  values.Load(settings);
  values.LoadDiscoveryPort(settings);
  if (auto port = args.TakeOption("port")) {
    const auto number = ParseInt(*port, 1, 65535);
    if (!number) {
      err << "portolanctl: --port needs a number from 1 to 65535\n";
      return false;
    }
    values.discoveryPort = *number;
  }
  if (auto timeout = args.TakeOption("timeout")) {
    const auto number = ParseInt(*timeout, 1, 600000);
    if (!number) {
      err << "portolanctl: --timeout needs milliseconds from 1 to 600000\n";
      return false;
    }
    values.broadcast = *number;
  }
  if (!discovery::SetDiscoveryPort(values.discoveryPort)) {
    err << "portolanctl: the discovery port " << values.discoveryPort << " is out of range\n";
    return false;
  }
  options->broadcastTimeoutMs = values.broadcast > 0 ? values.broadcast : 3000;
  options->recordOptions.masks.warning = static_cast<uint32_t>(values.warningMask);
  options->recordOptions.masks.error = static_cast<uint32_t>(values.errorMask);
  options->ownMakerTag = res::LoadString(8000);
  app::OemBrandTable brands;
  brands.Fill(settings);
  options->brandTags.clear();
  for (const app::OemBrand& brand : brands.Entries()) options->brandTags.push_back(brand.tag);
  return true;
}

bool CtlDiscovery::ConfigureSnmp(ArgList& args, app::Settings& settings,
                                 discovery::SnmpExtendedQueryConfig* config, std::ostream& err) {
  int agentPort = 161;
  if (auto port = args.TakeOption("snmp-port")) {
    const auto number = ParseInt(*port, 1, 65535);
    if (!number) {
      err << "portolanctl: --snmp-port needs a number from 1 to 65535\n";
      return false;
    }
    agentPort = *number;
  }
  snmp::SnmpTransportDefaults().udpAgentPort = static_cast<uint16_t>(agentPort);
  app::AppSettings values;
  values.Load(settings);
  *config = discovery::SnmpExtendedQueryConfig::Defaults();
  config->getTimeout = values.getTimeout;
  app::OemBrandTable brands;
  brands.Fill(settings);
  for (const app::OemBrand& brand : brands.Entries())
    config->brands.emplace_back(brand.tag, brand.oid);
  return true;
}

std::optional<std::vector<int>> CtlDiscovery::ParseColumns(
    const std::string& titles, const discovery::CDeviceColumnTable& table, std::ostream& err) {
  std::vector<int> columns;
  size_t start = 0;
  while (start <= titles.size()) {
    size_t comma = titles.find(',', start);
    if (comma == std::string::npos) comma = titles.size();
    const std::string title = titles.substr(start, comma - start);
    const int index = table.IndexOfTitle(title);
    if (index == discovery::kUnknownColumn) {
      err << "portolanctl: unknown column \"" << title << "\"; the columns are:\n";
      for (int i = 0; i < discovery::kColumnCount; ++i) err << "  " << table.Title(i) << "\n";
      return std::nullopt;
    }
    columns.push_back(index);
    start = comma + 1;
  }
  return columns;
}

std::string CtlDiscovery::CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

std::string CtlDiscovery::JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      // Device texts are bytes of no known encoding: each stands for itself (Latin-1).
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace cli
