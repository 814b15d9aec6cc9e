#include "platform/CpuTimes.h"

#include <charconv>
#include <cstdint>

#include "platform/TextCursor.h"

namespace platform {
namespace {

// user nice system idle iowait irq softirq steal
constexpr int kCountedFields = 8;
constexpr int kIdleField = 3;
constexpr int kIowaitField = 4;
constexpr int kLeastFields = kIowaitField + 1;

bool IsCpuLine(std::string_view line) {
  return line.size() > 3 && line.substr(0, 3) == "cpu" && line[3] >= '0' && line[3] <= '9';
}

bool IsSummaryLine(std::string_view line) {
  return line.size() > 3 && line.substr(0, 3) == "cpu" && line[3] == ' ';
}

// The fields after the CPU's name; false when fewer than kLeastFields or one is no number.
bool ParseFields(std::string_view line, CpuTime* out) {
  std::size_t pos = line.find(' ');
  int fields = 0;
  CpuTime time;
  while (pos != std::string_view::npos && fields < kCountedFields) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size()) break;
    uint64_t value = 0;
    const char* begin = line.data() + pos;
    const char* end = line.data() + line.size();
    const auto [next, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || (next != end && *next != ' ')) return false;
    if (value > UINT64_MAX - time.total) return false;  // no kernel counts that far
    if (fields == kIdleField || fields == kIowaitField) time.idle += value;
    time.total += value;
    ++fields;
    pos = static_cast<std::size_t>(next - line.data());
  }
  if (fields < kLeastFields) return false;
  *out = time;
  return true;
}

}  // namespace

CpuTimesError ParseCpuTimes(std::string_view text, std::vector<CpuTime>* out) {
  out->clear();
  TextCursor cursor(text);
  std::string_view line;
  while (cursor.NextLine(&line)) {
    if (IsSummaryLine(line)) continue;
    if (!IsCpuLine(line)) {
      if (!out->empty()) break;  // the CPU lines are over
      continue;
    }
    CpuTime time;
    if (!ParseFields(line, &time)) {
      out->clear();
      return CpuTimesError::kBadLine;
    }
    if (out->size() == kMostCpus) {
      out->clear();
      return CpuTimesError::kTooManyCpus;
    }
    out->push_back(time);
  }
  return out->empty() ? CpuTimesError::kNoCpuLines : CpuTimesError::kNone;
}

}  // namespace platform
