// The live ports' figures, for readers on other threads (the running-copy socket's `ports status`
// and the /metrics server). The port table, on its own thread, puts a port here once it is made
// and takes it away before its thread ends; a reader takes a copy of every port's figures at one
// moment. The figures themselves are shared with the ports, so a reader never touches a port.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vport/PortFigures.h"
#include "vport/PortReport.h"

namespace vport {

class PortFiguresBoard {
 public:
  // What a port shares: its figures and whether an application holds it.
  struct Source {
    std::shared_ptr<const PortFigures> figures;
    std::shared_ptr<const std::atomic<bool>> applicationOpen;
  };

  // The table's thread.
  void Set(int comNumber, const std::string& comName, const std::string& server, Source source);
  void Clear(int comNumber);

  // Any thread: one report per port, in the order of the COM numbers.
  std::vector<PortReport> Reports() const;

 private:
  struct Entry {
    std::string comName;
    std::string server;
    Source source;
  };
  mutable std::mutex mutex_;
  std::map<int, Entry> entries_;
};

}  // namespace vport
