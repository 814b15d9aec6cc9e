#include "snmp/SnmpEngineTransports.h"

namespace {

SnmpTransportInitFn g_init = nullptr;
snmp::SnmpTransportOps g_tables[snmp::kSnmpTransportCount];
bool g_initialised[snmp::kSnmpTransportCount];

}  // namespace

void SnmpSetTransportInitializer(SnmpTransportInitFn init) {
  g_init = init;
  SnmpResetTransports();
}

const snmp::SnmpTransportOps* SnmpTransportFor(uint32_t kind) {
  if (kind >= snmp::kSnmpTransportCount) return nullptr;
  if (!g_initialised[kind]) {
    g_tables[kind] = snmp::SnmpTransportOps{};
    SnmpTransportInitFn init = g_init != nullptr ? g_init : &snmp::SnmpTransportInit;
    if (!init(kind, &g_tables[kind])) return nullptr;
    g_initialised[kind] = true;
  }
  return &g_tables[kind];
}

bool SnmpTransportInitialised(uint32_t kind) {
  return kind < snmp::kSnmpTransportCount && g_initialised[kind];
}

void SnmpResetTransports() {
  for (bool& flag : g_initialised) flag = false;
}

void SnmpCleanupTransports() {
  for (uint32_t kind = 0; kind < snmp::kSnmpTransportCount; ++kind) {
    if (!g_initialised[kind]) continue;
    if (g_tables[kind].TransportCleanup != nullptr) g_tables[kind].TransportCleanup();
    g_initialised[kind] = false;
  }
}
