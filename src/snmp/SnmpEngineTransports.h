#pragma once
// The engine's one table per transport, filled lazily on first use. The initialiser is a seam:
// the real UDP, IPX and serial transports by default, fakes in tests.

#include <cstdint>

#include "snmp/SnmpTransport.h"

using SnmpTransportInitFn = bool (*)(uint32_t kind, snmp::SnmpTransportOps* ops);

// Replaces the initialiser and forgets the tables; null restores the real transports.
void SnmpSetTransportInitializer(SnmpTransportInitFn init);
// The table for kind, initialised on first use; null for an unknown kind.
const snmp::SnmpTransportOps* SnmpTransportFor(uint32_t kind);
bool SnmpTransportInitialised(uint32_t kind);
// Marks every transport as not initialised (engine start-up).
void SnmpResetTransports();
// Calls the cleanup entry of each initialised transport and marks it not initialised.
void SnmpCleanupTransports();
