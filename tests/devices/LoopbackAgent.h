// The simulator's SNMP agent on 127.0.0.1 for one test, served from the wait window's pump on
// virtual time: the engine started, the transport's agent port pointed at the agent, the device's
// private variables under the root. Objects that hold engine handles must go before it does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SnmpAgent.h"
#include "SnmpAgentServer.h"
#include "discovery/CPleaseWaitDlg.h"
#include "platform/FakeClock.h"
#include "snmp/AgentPump.h"
#include "snmp/SnmpApi.h"
#include "snmp/SnmpTransport.h"

namespace devices::test {

class LoopbackAgent {
 public:
  LoopbackAgent(bool backgroundWait, const std::string& root) : wait(backgroundWait, clock) {
    started_ = SnmpStartup(nullptr, nullptr, nullptr, nullptr, nullptr) == SNMPAPI_SUCCESS;
    devsim::AddDeviceVariables(agent, root, 1);
    opened_ = server.Open("127.0.0.1", 0);
    savedPort_ = snmp::SnmpTransportDefaults().udpAgentPort;
    snmp::SnmpTransportDefaults().udpAgentPort = server.Port();
    wait.SetPump(&pump);
  }
  ~LoopbackAgent() {
    snmp::SnmpTransportDefaults().udpAgentPort = savedPort_;
    if (started_) SnmpCleanup();
  }
  LoopbackAgent(const LoopbackAgent&) = delete;
  LoopbackAgent& operator=(const LoopbackAgent&) = delete;

  // The engine started and the agent listens.
  bool Ready() const { return started_ && opened_; }

  platform::FakeClock clock{1000};
  devsim::SnmpAgent agent;
  devsim::SnmpAgentServer server{agent};
  discovery::CPleaseWaitDlg wait;
  snmp::test::AgentPump pump{server, clock};

 private:
  bool started_ = false;
  bool opened_ = false;
  uint16_t savedPort_ = 0;
};

}  // namespace devices::test
