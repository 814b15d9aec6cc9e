#include "views/CViewDefinition.h"

#include <cctype>
#include <cstdlib>

#include "app/Settings.h"
#include "discovery/CDeviceColumnTable.h"
#include "discovery/CDeviceRecord.h"

namespace views {
namespace {

constexpr const char* kAuto = "Auto";
constexpr const char* kNoFitWidths = "0";

// Splits at commas; a last part without a comma counts, an empty last part does not.
std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < text.size()) {
    const size_t comma = text.find(',', start);
    if (comma == std::string::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

std::string JoinCommas(const std::vector<std::string>& parts) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += ',';
    text += parts[i];
  }
  return text;
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

CViewDefinition::CViewDefinition(app::Settings& settings,
                                 const discovery::CDeviceColumnTable& columns)
    : settings_(settings), table_(columns), columns_{0}, widths_{0} {}

bool CViewDefinition::Load(const std::string& section, int type) {
  section_ = section;
  const size_t slash = section.rfind('\\');
  name_ = slash == std::string::npos ? section : section.substr(slash + 1);
  if (type != kTcpIpViewType) return false;
  filterValues_.clear();
  searchEntries_.clear();

  filterColumn_ = table_.IndexOfTitle(settings_.GetString(section, kFilter, "No Filter"));
  for (const std::string& value : SplitCommas(settings_.GetString(section, kFilterValue, ""))) {
    if (!value.empty()) filterValues_.push_back(value);
  }
  std::string byFirst(1, '>');
  byFirst += table_.Title(0);
  std::string sort = settings_.GetString(section, kSort, byFirst);
  sortDescending_ = !sort.empty() && sort[0] == '<';
  // The direction character is always taken off, so a bare title is not found.
  sortColumn_ = table_.IndexOfTitle(sort.empty() ? sort : sort.substr(1));
  LoadColumns(settings_.GetString(section, kColumns, ""),
              settings_.GetString(section, kColWidths, ""));

  refresh_ = settings_.GetInt(section, kRefresh, 0);
  searchLocal_ = settings_.GetInt(section, kNetSearchBuild, 1) != 0;
  searchList_ = settings_.GetInt(section, kListBuild, 0) != 0;
  for (size_t i = 0;; ++i) {
    std::string entry = settings_.GetString(section, EntryName(i), "");
    if (entry.empty()) break;
    searchEntries_.push_back(std::move(entry));
  }
  changed_ = Changes{};
  return true;
}

void CViewDefinition::LoadColumns(const std::string& titles, const std::string& widths) {
  fitColumns_ = widths.empty() || widths == kAuto;
  columns_ = {0};
  if (!titles.empty()) {
    columns_.clear();
    for (const std::string& title : SplitCommas(titles)) {
      const int index = table_.IndexOfTitle(title);
      if (index == kNoColumn || static_cast<int>(columns_.size()) == kMaxColumns) break;
      columns_.push_back(index);
    }
    // A list whose first title is unknown would show nothing at all.
    if (columns_.empty()) columns_ = {0};
  }
  widths_.assign(columns_.size(), 0);
  if (fitColumns_) return;
  const std::vector<std::string> numbers = SplitCommas(widths);
  for (size_t i = 0; i < numbers.size() && i < widths_.size(); ++i) {
    const long width = std::strtol(numbers[i].c_str(), nullptr, 10);
    if (width > 1 && width < 100000) widths_[i] = static_cast<int>(width);
  }
}

std::string CViewDefinition::EntryName(size_t i) const {
  return "dev" + std::to_string(i);
}

std::string CViewDefinition::ColumnTitles() const {
  std::vector<std::string> titles;
  for (const int index : columns_) titles.push_back(table_.Title(index));
  return JoinCommas(titles);
}

int CViewDefinition::Save() {
  int result = kSaveNoSearch;
  if (changed_.columns) {
    settings_.WriteString(section_, kColumns, ColumnTitles());
    result = kSaveColumnsOnly;
  }
  if (changed_.search) {
    settings_.WriteInt(section_, kNetSearchBuild, searchLocal_ ? 1 : 0);
    settings_.WriteInt(section_, kListBuild, searchList_ ? 1 : 0);
    result = kSaveNeedsSearch;
  }
  if (changed_.list) {
    SaveSearchList();
    result = kSaveNeedsSearch;
  }
  if (changed_.fitting)
    settings_.WriteString(section_, kColWidths, fitColumns_ ? kAuto : kNoFitWidths);
  if (changed_.refresh) {
    settings_.WriteInt(section_, kRefresh, refresh_);
    result = kSaveNeedsSearch;
  }
  if (changed_.sort) SaveSort();
  if (changed_.filter) {
    if (filterColumn_ == kNoColumn) {
      settings_.DeleteEntry(section_, kFilter);
      settings_.DeleteEntry(section_, kFilterValue);
    } else {
      settings_.WriteString(section_, kFilter, table_.Title(filterColumn_));
      settings_.WriteString(section_, kFilterValue, JoinCommas(filterValues_));
    }
  }
  changed_ = Changes{};
  return result;
}

void CViewDefinition::SaveSearchList() {
  for (size_t i = 0; i < searchEntries_.size(); ++i) {
    settings_.WriteString(section_, EntryName(i), searchEntries_[i]);
  }
  // Values left from a longer list go, up to the first empty or missing one.
  for (size_t i = searchEntries_.size();; ++i) {
    if (settings_.GetString(section_, EntryName(i), "").empty()) break;
    settings_.DeleteEntry(section_, EntryName(i));
  }
}

void CViewDefinition::SaveSort() {
  std::string sort(1, sortDescending_ ? '<' : '>');
  sort += table_.Title(sortColumn_);
  settings_.WriteString(section_, kSort, sort);
}

void CViewDefinition::SaveColumns(const std::string& columns, const std::string& widths) {
  settings_.WriteString(section_, kColumns, columns);
  settings_.WriteString(section_, kColWidths, widths);
}

void CViewDefinition::ReloadColumns() {
  LoadColumns(settings_.GetString(section_, kColumns, ""),
              settings_.GetString(section_, kColWidths, ""));
}

int CViewDefinition::GetColumn(int i) const {
  if (i < 0 || i >= ColumnCount()) return kNoColumn;
  return columns_[static_cast<size_t>(i)];
}

void CViewDefinition::SetColumn(int i, const std::string& title) {
  if (i < 0 || i > ColumnCount() || i >= kMaxColumns) return;
  const int index = table_.IndexOfTitle(title);
  columns_.resize(static_cast<size_t>(i));
  if (index != kNoColumn) columns_.push_back(index);
  widths_.resize(columns_.size(), 0);
  changed_.columns = true;
}

bool CViewDefinition::HasColumn(int index) const {
  for (const int column : columns_) {
    if (column == index) return true;
  }
  return false;
}

int CViewDefinition::ColumnWidth(int i) const {
  if (i < 0 || i >= static_cast<int>(widths_.size())) return 0;
  return widths_[static_cast<size_t>(i)];
}

void CViewDefinition::SetSort(int column, bool descending, bool saveNow) {
  sortColumn_ = column;
  sortDescending_ = descending;
  if (saveNow) {
    SaveSort();
  } else {
    changed_.sort = true;
  }
}

void CViewDefinition::SetFilterColumn(int column) {
  filterColumn_ = discovery::CDeviceColumnTable::IsValidIndex(column) ? column : kNoColumn;
  changed_.filter = true;
}

void CViewDefinition::AddFilterValue(const std::string& text, bool clearFirst) {
  if (clearFirst) filterValues_.clear();
  if (!text.empty()) {
    std::string value = text;
    for (char& c : value) {
      if (c == ',') c = '*';
    }
    filterValues_.push_back(std::move(value));
  }
  changed_.filter = true;
}

void CViewDefinition::AddSearchEntry(const std::string& text, bool clearFirst) {
  if (clearFirst) searchEntries_.clear();
  if (!text.empty()) searchEntries_.push_back(text);
  changed_.list = true;
}

void CViewDefinition::SetSearchLocal(bool on) {
  searchLocal_ = on;
  changed_.search = true;
}

void CViewDefinition::SetSearchList(bool on) {
  searchList_ = on;
  changed_.search = true;
}

void CViewDefinition::SetRefresh(int seconds) {
  refresh_ = seconds;
  changed_.refresh = true;
}

bool CViewDefinition::FitColumns(bool set, bool value) {
  if (set) {
    fitColumns_ = value;
    changed_.fitting = true;
  }
  return fitColumns_;
}

bool CViewDefinition::AnyColumn(bool (discovery::CDeviceColumnTable::*test)(int) const) const {
  for (const int column : columns_) {
    if ((table_.*test)(column)) return true;
  }
  return false;
}

bool CViewDefinition::HasPerPortColumn() const {
  return AnyColumn(&discovery::CDeviceColumnTable::IsPortColumn);
}
bool CViewDefinition::HasWirelessColumn() const {
  return AnyColumn(&discovery::CDeviceColumnTable::IsWirelessColumn);
}
bool CViewDefinition::HasFirmwareColumn() const {
  return AnyColumn(&discovery::CDeviceColumnTable::IsFirmwareColumn);
}
bool CViewDefinition::HasLocationColumn() const {
  return AnyColumn(&discovery::CDeviceColumnTable::IsLocationColumn);
}

bool CViewDefinition::IsChanged() const {
  return changed_.columns || changed_.search || changed_.list || changed_.refresh ||
         changed_.sort || changed_.filter || changed_.fitting;
}

bool CViewDefinition::KeepsRow(const discovery::CDeviceRecord& record) const {
  if (filterColumn_ == kNoColumn) return true;
  const char* text = record.GetColumnText(filterColumn_);
  return KeepsText(text != nullptr ? text : "");
}

bool CViewDefinition::KeepsText(std::string_view text) const {
  if (filterColumn_ == kNoColumn) return true;
  for (const std::string& pattern : filterValues_) {
    if (MatchesPattern(text, pattern)) return true;
  }
  return false;
}

bool CViewDefinition::MatchesPattern(std::string_view text, std::string_view pattern) {
  size_t t = 0;
  size_t p = 0;
  size_t mark = 0;
  size_t start = 0;  // where the text was last (re)started
  bool star = false;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = true;
      mark = ++p;
      continue;
    }
    if (p < pattern.size() && Upper(pattern[p]) == Upper(text[t])) {
      ++p;
      ++t;
      continue;
    }
    if (!star) return false;
    // Try the part after the star again, from the next start position of the text.
    p = mark;
    t = ++start;
  }
  return p == pattern.size();
}

discovery::SearchPlan CViewDefinition::MakeSearchPlan() const {
  discovery::SearchPlan plan;
  plan.searchLocal = searchLocal_;
  plan.searchList = searchList_;
  plan.entries = searchEntries_;
  plan.extendedQuery =
      HasPerPortColumn() || HasWirelessColumn() || HasFirmwareColumn() || HasLocationColumn();
  return plan;
}

}  // namespace views
