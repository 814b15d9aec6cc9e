// What the view store needs of the device list, without any toolkit: columns, rows with their item
// data, selection, sorting and the header arrow. The desktop program's CKestrelView implements it
// with Qt widgets; tests drive the store with a plain fake.
//
// Rows are identified by their item data: the low 16 bits the index of the device in the current
// view's engine, the high 16 bits the port slot (0...5; 0 when the list shows one row per server).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace views {

// One column of the list, in the order the view shows them.
struct ListColumn {
  int column = 0;     // index in the device column table (0...28)
  std::string title;  // its title
  int width = 0;      // pixels
  bool fit = false;   // fit the width to the column's texts after each sort
};

// One row: its item data, its image (port levels 1...4, device levels 6...9), and one text per
// list column.
struct ListRow {
  uint32_t itemData = 0;
  int image = 0;
  std::vector<std::string> texts;
};

constexpr uint32_t MakeItemData(int device, int port) {
  return (static_cast<uint32_t>(port) << 16) | (static_cast<uint32_t>(device) & 0xFFFFu);
}
constexpr int ItemDevice(uint32_t itemData) {
  return static_cast<int>(itemData & 0xFFFFu);
}
constexpr int ItemPort(uint32_t itemData) {
  return static_cast<int>(itemData >> 16);
}

class DeviceListControl {
 public:
  // Orders two rows by their item data: true when a goes before b.
  using RowLess = std::function<bool(uint32_t a, uint32_t b)>;

  virtual ~DeviceListControl() = default;

  // Replaces the columns; the rows go with them.
  virtual void SetColumns(const std::vector<ListColumn>& columns) = 0;
  virtual void DeleteAllRows() = 0;
  // Appends a row; returns its position.
  virtual int InsertRow(const ListRow& row) = 0;
  virtual void DeleteRow(int row) = 0;
  virtual int GetRowCount() const = 0;
  virtual uint32_t GetItemData(int row) const = 0;
  // The row with this item data, or -1.
  virtual int FindItemData(uint32_t itemData) const = 0;

  // Deselects, then selects and focuses row (-1 only deselects).
  virtual void SelectRow(int row) = 0;
  // The selected row, or -1.
  virtual int GetSelectedRow() const = 0;

  // Sorts the rows (stable), then fits the columns marked for fitting.
  virtual void SortRows(const RowLess& less) = 0;
  // Points the header arrow at the column titled title (none when empty or not shown).
  virtual void SetSortIndicator(const std::string& title, bool descending) = 0;

  // Multi-selection mode: a check box on every row.
  virtual void SetMultiSelect(bool on) = 0;
  virtual bool IsRowChecked(int row) const = 0;
  virtual void SetAllChecked(bool checked) = 0;
};

}  // namespace views
