#include "views/ColumnsPageModel.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "discovery/CDeviceColumnTable.h"
#include "res/StringTable.h"
#include "views/CViewDefinition.h"
#include "views/CViewNode.h"

namespace views {

namespace {

bool Contains(const std::vector<int>& list, int column) {
  return std::find(list.begin(), list.end(), column) != list.end();
}

bool Refuse(const std::string& text, std::string* refusal) {
  if (refusal != nullptr) *refusal = text;
  return false;
}

bool ValidRow(const std::vector<int>& list, int row) {
  return row >= 0 && row < static_cast<int>(list.size());
}

}  // namespace

uint32_t ColumnsPageModel::OfferedClasses(int type) {
  switch (type) {
    case CViewNode::kTcpIpView:
      return 0x1FFCC7DD;
    case CViewNode::kNetWareView:
      return 0x1FFFFF1B;
    case CViewNode::kSerialView:
      return 0xFC7DD;
    default:
      return 0;
  }
}

ColumnsPageModel::ColumnsPageModel(const CViewDefinition& copy, int type)
    : table_(copy.ColumnTable()), sortColumn_(copy.GetSortColumn()), fit_(copy.FitsColumns()) {
  for (int i = 0; i < copy.ColumnCount(); ++i) {
    const int column = copy.GetColumn(i);
    if (discovery::CDeviceColumnTable::IsValidIndex(column)) displayed_.push_back(column);
  }
  const uint32_t offered = OfferedClasses(type);
  for (int column = 0; column < discovery::kColumnCount; ++column) {
    if ((table_.ClassBit(column) & offered) != 0 && !Contains(displayed_, column)) Offer(column);
  }
}

void ColumnsPageModel::Offer(int column) {
  (table_.IsPortColumn(column) ? port_ : server_).push_back(column);
}

bool ColumnsPageModel::IsRequired(int column) const {
  return (table_.ClassBit(column) & kRequiredClasses) != 0;
}

bool ColumnsPageModel::Add(int serverRow, int portRow, int displayedRow, std::string* refusal) {
  std::vector<int>* from = nullptr;
  int row = -1;
  if (ValidRow(server_, serverRow)) {
    from = &server_;
    row = serverRow;
  } else if (ValidRow(port_, portRow)) {
    from = &port_;
    row = portRow;
  }
  if (from == nullptr) return Refuse(res::LoadString(kMsgNoColumnSelected), refusal);
  const int column = (*from)[static_cast<size_t>(row)];
  from->erase(from->begin() + row);
  const size_t at = ValidRow(displayed_, displayedRow) ? static_cast<size_t>(displayedRow) + 1
                                                       : displayed_.size();
  displayed_.insert(displayed_.begin() + static_cast<std::ptrdiff_t>(at), column);
  return true;
}

bool ColumnsPageModel::Remove(int displayedRow, std::string* refusal) {
  if (displayed_.size() <= 1) return Refuse(res::LoadString(kMsgOneColumnNeeded), refusal);
  if (!ValidRow(displayed_, displayedRow)) {
    return Refuse(res::LoadString(kMsgNoColumnSelected), refusal);
  }
  const int column = displayed_[static_cast<size_t>(displayedRow)];
  if (IsRequired(column)) return Refuse(kRequiredColumn, refusal);
  displayed_.erase(displayed_.begin() + displayedRow);
  Offer(column);
  if (column == sortColumn_) sortColumn_ = displayed_.front();
  return true;
}

bool ColumnsPageModel::MoveUp(int displayedRow) {
  if (!ValidRow(displayed_, displayedRow) || displayedRow == 0) return false;
  std::swap(displayed_[static_cast<size_t>(displayedRow)],
            displayed_[static_cast<size_t>(displayedRow - 1)]);
  return true;
}

bool ColumnsPageModel::MoveDown(int displayedRow) {
  if (!ValidRow(displayed_, displayedRow + 1) || displayedRow < 0) return false;
  return MoveUp(displayedRow + 1);
}

void ColumnsPageModel::Apply(CViewDefinition& copy) const {
  std::vector<int> stored;
  for (int i = 0; i < copy.ColumnCount(); ++i) stored.push_back(copy.GetColumn(i));
  if (stored != displayed_) {
    for (size_t i = 0; i < displayed_.size(); ++i) {
      copy.SetColumn(static_cast<int>(i), table_.Title(displayed_[i]));
    }
  }
  if (sortColumn_ != copy.GetSortColumn()) copy.SetSort(sortColumn_, false, false);
  if (fit_ != copy.FitsColumns()) copy.FitColumns(true, fit_);
}

}  // namespace views
