// The rows and columns of the device list, shared by its details view and its icon and list
// views: texts per column, the status image of each row, the row's item data and, in
// multi-selection mode, its check box.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "views/DeviceListControl.h"

namespace views {

class DeviceListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kItemDataRole = Qt::UserRole + 1;
  static constexpr int kImageRole = Qt::UserRole + 2;

  explicit DeviceListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetColumns(const std::vector<ListColumn>& columns);
  const std::vector<ListColumn>& Columns() const { return columns_; }
  void Clear();
  int Append(const ListRow& row);
  void Remove(int row);
  uint32_t ItemData(int row) const;
  int Find(uint32_t itemData) const;
  // Stable sort by item data order; persistent indexes (the selection) follow their rows.
  void Sort(const DeviceListControl::RowLess& less);

  void SetCheckable(bool on);
  bool Checkable() const { return checkable_; }
  bool IsChecked(int row) const;
  void SetAllChecked(bool checked);

 private:
  struct Row {
    uint32_t itemData = 0;
    int image = 0;
    bool checked = false;
    QStringList texts;
  };

  std::vector<ListColumn> columns_;
  std::vector<Row> rows_;
  bool checkable_ = false;
};

}  // namespace views
