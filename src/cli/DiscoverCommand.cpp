#include "cli/DiscoverCommand.h"

#include <optional>
#include <ostream>

#include "cli/CtlContext.h"
#include "cli/CtlDiscovery.h"
#include "cli/CtlSearchSession.h"
#include "cli/SnmpEngineScope.h"
#include "discovery/SearchEntry.h"
#include "views/CViewDefinition.h"

namespace cli {
namespace {

constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
constexpr const char* kDefaultColumns = "System Name,IP Address,H/W Address,Serial #";

// One row: a record with its port selected (-1 for the device as a whole).
struct Row {
  discovery::CDeviceRecord* record;
  int port;
};

void PrintCsv(const std::vector<Row>& rows, const std::vector<int>& columns,
              const discovery::CDeviceColumnTable& table, std::ostream& out) {
  for (size_t i = 0; i < columns.size(); ++i) {
    out << (i > 0 ? "," : "") << CtlDiscovery::CsvField(table.Title(columns[i]));
  }
  out << "\r\n";
  for (const Row& row : rows) {
    row.record->SelectPort(row.port);
    for (size_t i = 0; i < columns.size(); ++i) {
      const char* text = row.record->GetColumnText(columns[i]);
      out << (i > 0 ? "," : "") << CtlDiscovery::CsvField(text != nullptr ? text : "");
    }
    out << "\r\n";
  }
}

void PrintJson(const std::vector<Row>& rows, const std::vector<int>& columns,
               const discovery::CDeviceColumnTable& table, std::ostream& out) {
  out << "[";
  for (size_t r = 0; r < rows.size(); ++r) {
    out << (r > 0 ? ",\n " : "\n ") << "{";
    rows[r].record->SelectPort(rows[r].port);
    for (size_t i = 0; i < columns.size(); ++i) {
      const char* text = rows[r].record->GetColumnText(columns[i]);
      out << (i > 0 ? ", " : "") << CtlDiscovery::JsonString(table.Title(columns[i])) << ": "
          << CtlDiscovery::JsonString(text != nullptr ? text : "");
    }
    out << "}";
  }
  out << (rows.empty() ? "]\n" : "\n]\n");
}

// A device's rows: the device as a whole (Status is its level over all its ports), or with
// byPort one row for each of its ports (Status is the port's level).
void AddRows(discovery::CDeviceRecord* record, bool byPort, std::vector<Row>* rows) {
  if (!byPort || record->GetPortCount() <= 0) {
    rows->push_back({record, -1});
    return;
  }
  for (int p = 0; p < record->GetPortCount(); ++p) rows->push_back({record, p});
}

}  // namespace

const char* DiscoverCommand::Usage() {
  return "  discover (--view NAME | [--local] [--entry TEXT]...) [--columns TITLES] [--json]\n"
         "           [--by-port] [--port N] [--timeout MS] [--snmp-port N]\n"
         "                                        search for devices and print them as CSV\n"
         "                                        (or JSON); --view uses a stored view's search\n"
         "                                        settings, columns and filter; --local\n"
         "                                        broadcasts on the local network; --entry adds a\n"
         "                                        search entry (10.0.0.5, 10.0.0.255<DB>,\n"
         "                                        10.0.0.*, Multicast<HOPS>, File<PATH>);\n"
         "                                        --by-port prints one row per device port;\n"
         "                                        columns of per-port printer values, Location,\n"
         "                                        Firmware Version or the wireless group query\n"
         "                                        each device over SNMP (its agent on UDP port\n"
         "                                        161, or --snmp-port N)\n";
}

int DiscoverCommand::Run(ArgList& args, CtlContext& context, std::ostream& out, std::ostream& err) {
  const auto viewName = args.TakeOption("view");
  const bool local = args.TakeFlag("local");
  const std::vector<std::string> entries = args.TakeOptionAll("entry");
  const auto columnText = args.TakeOption("columns");
  const bool json = args.TakeFlag("json");
  const bool byPort = args.TakeFlag("by-port");
  discovery::EngineOptions options;
  if (!CtlDiscovery::Configure(args, context.Settings(), &options, err)) return kExitUsage;
  discovery::SnmpExtendedQueryConfig snmpConfig;
  if (!CtlDiscovery::ConfigureSnmp(args, context.Settings(), &snmpConfig, err)) return kExitUsage;
  if (!args.Error().empty() || args.FirstUnknownOption() || !args.Rest().empty()) {
    err << "portolanctl discover: " << (args.Error().empty() ? "unexpected argument" : args.Error())
        << "\n"
        << Usage();
    return kExitUsage;
  }
  if (viewName && (local || !entries.empty())) {
    err << "portolanctl discover: --view does not go with --local or --entry\n";
    return kExitUsage;
  }
  if (!viewName && !local && entries.empty()) {
    err << "portolanctl discover: say --view NAME, --local or --entry TEXT\n" << Usage();
    return kExitUsage;
  }
  for (const std::string& entry : entries) {
    if (discovery::IsWellFormedSearchEntry(entry)) continue;
    err << "portolanctl discover: \"" << entry << "\" is not a search entry; say one of "
        << discovery::kSearchEntryForms << "\n";
    return kExitUsage;
  }

  // Made before the session, so that they outlast the queries its engine runs.
  std::optional<SnmpEngineScope> snmpEngine;
  discovery::SnmpExtendedQuery query(snmpConfig);
  CtlSearchSession session(options);
  const discovery::CDeviceColumnTable& table = session.Engine().Columns();
  views::CViewDefinition view(context.Settings(), table);
  discovery::SearchPlan plan;
  std::vector<int> columns;
  if (viewName) {
    const std::string section = "Views\\" + *viewName;
    if (viewName->empty() || viewName->find('\\') != std::string::npos ||
        !context.Settings().SectionExists(section)) {
      err << "portolanctl discover: no view \"" << *viewName << "\"\n";
      return kExitNotFound;
    }
    view.Load(section);
    plan = view.MakeSearchPlan();
    for (int i = 0; i < view.ColumnCount(); ++i) columns.push_back(view.GetColumn(i));
  } else {
    plan.searchLocal = local;
    plan.searchList = !entries.empty();
    plan.entries = entries;
  }
  if (columnText || columns.empty()) {
    const auto parsed =
        CtlDiscovery::ParseColumns(columnText.value_or(kDefaultColumns), table, err);
    if (!parsed) return kExitUsage;
    columns = *parsed;
  }

  for (const int column : columns) {
    if (table.NeedsExtendedQuery(column)) plan.extendedQuery = true;
  }
  if (plan.extendedQuery) {
    snmpEngine.emplace();
    if (!snmpEngine->started()) {
      err << "portolanctl discover: the SNMP engine did not start\n";
      return kExitFailed;
    }
    options.recordOptions.extendedQuery = &query;
    session.Engine().SetOptions(options);
  }

  session.Run(plan, err);
  std::vector<Row> rows;
  for (int i = 0; i < session.Engine().DeviceCount(); ++i) {
    std::vector<Row> deviceRows;
    AddRows(session.Engine().GetDevice(i), byPort, &deviceRows);
    for (const Row& row : deviceRows) {
      row.record->SelectPort(row.port);
      if (!viewName || view.KeepsRow(*row.record)) rows.push_back(row);
    }
  }
  if (json) {
    PrintJson(rows, columns, table, out);
  } else {
    PrintCsv(rows, columns, table, out);
  }
  const discovery::ExchangeStats& stats = session.Engine().LastExchange();
  err << rows.size() << (byPort ? " port row(s)" : " device(s)");
  // Rounds are those of the last broadcast exchange: a search without one has none to tell.
  if (stats.rounds > 0) {
    err << "; last broadcast exchange: " << stats.rounds << " round(s), " << stats.skipped
        << " repeated repl" << (stats.skipped == 1 ? "y" : "ies");
  }
  err << "\n";
  return 0;
}

}  // namespace cli
