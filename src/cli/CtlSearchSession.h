// One search run by portolanctl: a message loop on the calling thread plays the main window,
// taking the engine's records (duplicates by H/W Address are dropped as the view store drops
// them), printing progress texts, and ending when the search is done.
#pragma once

#include <functional>
#include <iosfwd>

#include "discovery/CIpDiscoveryEngine.h"
#include "platform/MessageLoop.h"

namespace cli {

class CtlSearchSession {
 public:
  explicit CtlSearchSession(const discovery::EngineOptions& options);
  ~CtlSearchSession();

  discovery::CIpDiscoveryEngine& Engine() { return *engine_; }
  // Runs plan to its end; progress texts go to err.
  void Run(const discovery::SearchPlan& plan, std::ostream& err);

 private:
  void Handle(const platform::Message& message, std::ostream& err);

  platform::MessageLoop loop_;
  std::unique_ptr<discovery::CIpDiscoveryEngine> engine_;
  bool searching_ = false;
};

}  // namespace cli
