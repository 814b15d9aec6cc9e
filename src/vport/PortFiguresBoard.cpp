#include "vport/PortFiguresBoard.h"

namespace vport {

void PortFiguresBoard::Set(int comNumber, const std::string& comName, const std::string& server,
                           Source source) {
  std::lock_guard lock(mutex_);
  entries_[comNumber] = Entry{comName, server, std::move(source)};
}

void PortFiguresBoard::Clear(int comNumber) {
  std::lock_guard lock(mutex_);
  entries_.erase(comNumber);
}

std::vector<PortReport> PortFiguresBoard::Reports() const {
  std::vector<Entry> entries;
  {
    // Only the copy is made under the lock: the figures have their own.
    std::lock_guard lock(mutex_);
    entries.reserve(entries_.size());
    for (const auto& [number, entry] : entries_) entries.push_back(entry);
  }
  std::vector<PortReport> reports;
  reports.reserve(entries.size());
  for (const Entry& entry : entries) {
    PortReport report = entry.source.figures ? entry.source.figures->Read() : PortReport{};
    report.comName = entry.comName;
    report.server = entry.server;
    report.applicationOpen = entry.source.applicationOpen && entry.source.applicationOpen->load();
    reports.push_back(std::move(report));
  }
  return reports;
}

}  // namespace vport
