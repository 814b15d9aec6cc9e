// A device list for the store's tests: columns, rows and selection in plain vectors.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "views/DeviceListControl.h"

namespace views::test {

class FakeDeviceList : public DeviceListControl {
 public:
  void SetColumns(const std::vector<ListColumn>& columns) override {
    columns_ = columns;
    rows_.clear();
    checked_.clear();
    selected_ = -1;
  }
  void DeleteAllRows() override {
    rows_.clear();
    checked_.clear();
    selected_ = -1;
  }
  int InsertRow(const ListRow& row) override {
    rows_.push_back(row);
    checked_.push_back(false);
    return static_cast<int>(rows_.size()) - 1;
  }
  void DeleteRow(int row) override {
    if (row < 0 || row >= GetRowCount()) return;
    const uint32_t selected = selected_ >= 0 ? rows_[static_cast<size_t>(selected_)].itemData : 0;
    const bool hadSelection = selected_ >= 0 && selected_ != row;
    rows_.erase(rows_.begin() + row);
    checked_.erase(checked_.begin() + row);
    selected_ = hadSelection ? FindItemData(selected) : -1;
  }
  int GetRowCount() const override { return static_cast<int>(rows_.size()); }
  uint32_t GetItemData(int row) const override {
    return rows_.at(static_cast<size_t>(row)).itemData;
  }
  int FindItemData(uint32_t itemData) const override {
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].itemData == itemData) return static_cast<int>(i);
    }
    return -1;
  }
  void SelectRow(int row) override { selected_ = row >= 0 && row < GetRowCount() ? row : -1; }
  int GetSelectedRow() const override { return selected_; }
  void SortRows(const RowLess& less) override {
    ++sorts;
    if (!less) return;
    const uint32_t selected = selected_ >= 0 ? rows_[static_cast<size_t>(selected_)].itemData : 0;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const ListRow& a, const ListRow& b) {
      return less(a.itemData, b.itemData);
    });
    if (selected_ >= 0) selected_ = FindItemData(selected);
  }
  void SetSortIndicator(const std::string& title, bool descending) override {
    arrowTitle = title;
    arrowDescending = descending;
  }
  void SetMultiSelect(bool on) override { multiSelect = on; }
  bool IsRowChecked(int row) const override { return checked_.at(static_cast<size_t>(row)); }
  void SetAllChecked(bool checked) override {
    std::fill(checked_.begin(), checked_.end(), checked);
  }

  const std::vector<ListColumn>& Columns() const { return columns_; }
  const ListRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
  // The texts of column c, row by row.
  std::vector<std::string> ColumnTexts(int c) const {
    std::vector<std::string> texts;
    for (const ListRow& row : rows_) texts.push_back(row.texts.at(static_cast<size_t>(c)));
    return texts;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (const ListColumn& column : columns_) titles.push_back(column.title);
    return titles;
  }

  std::string arrowTitle;
  bool arrowDescending = false;
  bool multiSelect = false;
  int sorts = 0;

 private:
  std::vector<ListColumn> columns_;
  std::vector<ListRow> rows_;
  std::vector<bool> checked_;
  int selected_ = -1;
};

}  // namespace views::test
