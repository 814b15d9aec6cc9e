// The SNMP engine started for the length of one portolanctl command.
#pragma once

#include "snmp/SnmpApi.h"

namespace cli {

class SnmpEngineScope {
 public:
  SnmpEngineScope() { started_ = SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr) == 1; }
  ~SnmpEngineScope() {
    if (started_) SnmpCleanup();
  }
  SnmpEngineScope(const SnmpEngineScope&) = delete;
  SnmpEngineScope& operator=(const SnmpEngineScope&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

}  // namespace cli
