// Runs the simulator's SNMP agent on the waiting thread itself: every pass of a please-wait loop
// lets the agent read its requests and send its answers. The engine then stays on one thread, and
// nothing in the exchange depends on scheduling.
#pragma once

#include <functional>

#include "SnmpAgent.h"
#include "SnmpAgentServer.h"
#include "discovery/WaitPump.h"
#include "platform/Clock.h"

namespace snmp::test {

class AgentPump : public discovery::WaitPump {
 public:
  AgentPump(devsim::SnmpAgentServer& server, platform::Clock& clock)
      : server_(server), clock_(clock) {}

  void PumpPending() override {
    ++passes;
    if (beforeService) beforeService();
    server_.Service(clock_.TickCount());
    if (afterService) afterService();
  }
  int PumpFd() const override { return server_.Fd(); }

  std::function<void()> beforeService;
  std::function<void()> afterService;
  int passes = 0;

 private:
  devsim::SnmpAgentServer& server_;
  platform::Clock& clock_;
};

}  // namespace snmp::test
