#pragma once
// The sockets on which a session's replies arrive, for a wait loop that polls for readability
// instead of receiving a window message (the serial transport posts its message instead).

#include <cstddef>

#include "snmp/SnmpTypes.h"

// Writes up to max descriptors into fds and returns how many: the request socket and the trap
// socket, where open. 0 for a bad session or one with nothing open yet.
size_t SnmpSessionReadableFds(HSNMP_SESSION session, int* fds, size_t max);
