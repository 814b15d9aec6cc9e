#include "snmp/SnmpSessionSockets.h"

#include "snmp/SnmpHandleTable.h"

size_t SnmpSessionReadableFds(HSNMP_SESSION session, int* fds, size_t max) {
  const auto* object = SnmpLookupAs<SnmpSessionObject>(session, SNMP_OBJ_SESSION);
  if (object == nullptr || object->transport == nullptr || fds == nullptr) return 0;
  size_t n = 0;
  for (int fd : {object->transport->requestSocket, object->transport->trapSocket}) {
    if (fd >= 0 && n < max) fds[n++] = fd;
  }
  return n;
}
