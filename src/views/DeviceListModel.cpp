#include "views/DeviceListModel.h"

#include <algorithm>
#include <numeric>

#include "views/DeviceListIcons.h"

namespace views {

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
    return {};
  }
  const Row& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return index.column() < row.texts.size() ? row.texts[index.column()] : QString();
    case Qt::DecorationRole:
      if (index.column() == 0) return DeviceListIcons::Image(row.image);
      return {};
    case Qt::CheckStateRole:
      if (checkable_ && index.column() == 0) return row.checked ? Qt::Checked : Qt::Unchecked;
      return {};
    case kItemDataRole:
      return static_cast<uint>(row.itemData);
    case kImageRole:
      return row.image;
    default:
      return {};
  }
}

bool DeviceListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !checkable_ || !index.isValid() || index.column() != 0 ||
      index.row() >= rowCount()) {
    return false;
  }
  rows_[static_cast<size_t>(index.row())].checked = value.toInt() == static_cast<int>(Qt::Checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags DeviceListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  if (checkable_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) {
    return QString::fromStdString(columns_[static_cast<size_t>(section)].title);
  }
  if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

void DeviceListModel::SetColumns(const std::vector<ListColumn>& columns) {
  beginResetModel();
  columns_ = columns;
  rows_.clear();
  endResetModel();
}

void DeviceListModel::Clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int DeviceListModel::Append(const ListRow& row) {
  const int at = rowCount();
  Row added;
  added.itemData = row.itemData;
  added.image = row.image;
  added.texts.reserve(static_cast<qsizetype>(row.texts.size()));
  for (const std::string& text : row.texts) added.texts.push_back(QString::fromStdString(text));
  beginInsertRows(QModelIndex(), at, at);
  rows_.push_back(std::move(added));
  endInsertRows();
  return at;
}

void DeviceListModel::Remove(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

uint32_t DeviceListModel::ItemData(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return rows_[static_cast<size_t>(row)].itemData;
}

int DeviceListModel::Find(uint32_t itemData) const {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].itemData == itemData) return static_cast<int>(i);
  }
  return -1;
}

void DeviceListModel::Sort(const DeviceListControl::RowLess& less) {
  if (!less || rows_.size() < 2) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return less(rows_[a].itemData, rows_[b].itemData); });
  std::vector<int> newRow(rows_.size());
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    newRow[order[i]] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    after.push_back(this->index(newRow[static_cast<size_t>(index.row())], index.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void DeviceListModel::SetCheckable(bool on) {
  if (on == checkable_) return;
  checkable_ = on;
  if (!on) {
    for (Row& row : rows_) row.checked = false;
  }
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

bool DeviceListModel::IsChecked(int row) const {
  return row >= 0 && row < rowCount() && rows_[static_cast<size_t>(row)].checked;
}

void DeviceListModel::SetAllChecked(bool checked) {
  if (!checkable_) return;
  for (Row& row : rows_) row.checked = checked;
  if (!rows_.empty()) {
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
  }
}

}  // namespace views
