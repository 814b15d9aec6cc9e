#include "discovery/SnmpEngineTurn.h"

namespace discovery {

std::mutex& SnmpEngineTurn::EngineMutex() {
  static std::mutex mutex;
  return mutex;
}

SnmpEngineTurn::SnmpEngineTurn(snmp::SnmpWaitWindow& inner) : inner_(inner), lock_(EngineMutex()) {}

int SnmpEngineTurn::Wait(unsigned message, int timeoutMs) {
  lock_.unlock();
  const int waited = inner_.Wait(message, timeoutMs);
  lock_.lock();
  return waited;
}

}  // namespace discovery
