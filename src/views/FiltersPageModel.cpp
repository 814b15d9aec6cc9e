#include "views/FiltersPageModel.h"

#include <algorithm>
#include <utility>

#include "discovery/CDeviceColumnTable.h"
#include "res/StringTable.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"
#include "views/CViewStore.h"

namespace views {

namespace {

bool Refuse(const std::string& text, std::string* refusal) {
  if (refusal != nullptr) *refusal = text;
  return false;
}

// A value as the definition stores it: commas become "*".
std::string Stored(std::string value) {
  std::replace(value.begin(), value.end(), ',', '*');
  return value;
}

bool IsStoredValue(const std::vector<std::string>& values, const std::string& value) {
  return std::find(values.begin(), values.end(), Stored(value)) != values.end();
}

}  // namespace

uint32_t FiltersPageModel::FilterClasses(int type) {
  if (type == CViewNode::kTcpIpView) return 0x1FFCC7DD;
  if (type == CViewNode::kSerialView) return 0xFC7DD;
  return 0;
}

FiltersPageModel::FiltersPageModel(const CViewDefinition& copy, int type, ListedTexts listed)
    : view_(copy),
      type_(type),
      listed_(std::move(listed)),
      fixed_(copy.Name() == CViewStore::kDefaultCurrentView ||
             copy.Name() == CViewStore::kUnconfiguredView),
      searchLocal_(copy.GetSearchLocal() || fixed_),
      searchList_(copy.GetSearchList()),
      entries_(copy.SearchEntries()),
      searchChanged_(fixed_ && !copy.GetSearchLocal()),
      filterColumn_(fixed_ ? kNoFilter : copy.GetFilterColumn()) {
  ChooseFilterColumn(filterColumn_);
}

void FiltersPageModel::SetSearchLocal(bool on) {
  if (fixed_) return;
  searchLocal_ = on;
  searchChanged_ = true;
}

void FiltersPageModel::SetSearchList(bool on) {
  searchList_ = on;
  searchChanged_ = true;
}

void FiltersPageModel::AddEntry(const std::string& entry) {
  if (entry.empty()) return;
  entries_.push_back(entry);
  listChanged_ = true;
}

bool FiltersPageModel::AddsPort() const {
  return type_ == CViewNode::kSerialView;
}

std::vector<std::string> FiltersPageModel::PortChoices() {
  std::vector<std::string> ports;
  for (int port = 1; port <= kLastComPort; ++port) ports.push_back("COM" + std::to_string(port));
  return ports;
}

bool FiltersPageModel::DeleteEntry(int row, std::string* refusal) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) {
    return Refuse(res::LoadString(kMsgNoAddress), refusal);
  }
  entries_.erase(entries_.begin() + row);
  listChanged_ = true;
  return true;
}

std::vector<int> FiltersPageModel::FilterColumns() const {
  std::vector<int> columns;
  const uint32_t classes = FilterClasses(type_);
  for (int column = 0; column < discovery::kColumnCount; ++column) {
    if ((view_.ColumnTable().ClassBit(column) & classes) != 0) columns.push_back(column);
  }
  columns.push_back(kNoFilter);
  return columns;
}

int FiltersPageModel::Kind() const {
  if (!discovery::CDeviceColumnTable::IsValidIndex(filterColumn_)) return -1;
  return view_.ColumnTable().Kind(filterColumn_);
}

void FiltersPageModel::ChooseFilterColumn(int column) {
  filterColumn_ = discovery::CDeviceColumnTable::IsValidIndex(column) ? column : kNoFilter;
  const bool same = filterColumn_ == view_.GetFilterColumn();
  const std::vector<std::string>& values = view_.FilterValues();
  offered_.clear();
  selected_.clear();
  editText_.clear();
  editChanged_ = false;
  selectionChanged_ = !same;
  if (filterColumn_ == kNoFilter) return;
  if (Kind() == discovery::kFilterTyped) {
    editText_ = same && !values.empty() ? values.front() : "*";
    editChanged_ = !same;
    return;
  }
  offered_ = Kind() == discovery::kFilterListed
                 ? (listed_ ? listed_(filterColumn_) : std::vector<std::string>{})
                 : view_.ColumnTable().Choices(filterColumn_);
  if (!same) return;
  for (const std::string& value : offered_) {
    if (IsStoredValue(values, value)) selected_.push_back(value);
  }
}

void FiltersPageModel::SetEditText(const std::string& text) {
  editText_ = text;
  editChanged_ = true;
}

void FiltersPageModel::SetSelectedValues(std::vector<std::string> values) {
  selected_ = std::move(values);
  selectionChanged_ = true;
}

std::string FiltersPageModel::Note() const {
  if (Kind() == discovery::kFilterListed && offered_.empty()) {
    return res::LoadString(kNoteEmptyList);
  }
  return res::LoadString(kNoteFilter);
}

bool FiltersPageModel::CheckLeave(std::string* refusal) const {
  if (!searchLocal_ && !searchList_) return Refuse(res::LoadString(kMsgNoSearch), refusal);
  if (!searchLocal_ && entries_.empty()) return Refuse(res::LoadString(kMsgNoDevices), refusal);
  return true;
}

bool FiltersPageModel::Apply(CViewDefinition& copy, std::string* refusal) const {
  if (!CheckLeave(refusal)) return false;
  const int kind = Kind();
  if (kind != discovery::kFilterTyped && filterColumn_ != kNoFilter && selectionChanged_ &&
      selected_.size() > kMaxValues) {
    return Refuse(kTooManyValues, refusal);
  }
  if (searchChanged_) {
    copy.SetSearchLocal(searchLocal_);
    copy.SetSearchList(searchList_);
  }
  if (listChanged_) {
    copy.AddSearchEntry("", true);
    for (const std::string& entry : entries_) copy.AddSearchEntry(entry, false);
  }
  if (filterColumn_ != copy.GetFilterColumn()) copy.SetFilterColumn(filterColumn_);
  if (filterColumn_ == kNoFilter) {
    if (!copy.FilterValues().empty()) copy.AddFilterValue("", true);
  } else if (kind == discovery::kFilterTyped) {
    if (editChanged_) copy.AddFilterValue(editText_, true);
  } else if (selectionChanged_) {
    copy.AddFilterValue("", true);
    for (const std::string& value : selected_) copy.AddFilterValue(value, false);
  }
  return true;
}

}  // namespace views
