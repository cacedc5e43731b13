#include "app/member_item_model.h"

namespace vorlix::app {

MemberItemModel::MemberItemModel(QObject* parent)
    : QAbstractTableModel(parent), headers_(kColumns, QString()) {
  table_.SetObserver(this);
}

MemberItemModel::~MemberItemModel() {
  table_.SetObserver(nullptr);
}

void MemberItemModel::SetHeaders(const QStringList& headers) {
  headers_ = headers.mid(0, kColumns);
  while (headers_.size() < kColumns) headers_.append(QString());
  emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

int MemberItemModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.PlacedRowCount();
}

int MemberItemModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant MemberItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(table_.ColumnText(index.row(), index.column()));
    case Qt::CheckStateRole:
      if (index.column() != 0) return {};
      return static_cast<int>(
          table_.Rows()[static_cast<size_t>(index.row())].checked ? Qt::Checked : Qt::Unchecked);
    default:
      return {};
  }
}

bool MemberItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.column() != 0) return false;
  if (role == Qt::CheckStateRole) {
    table_.SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
  }
  if (role == Qt::EditRole) {
    table_.SetCaption(index.row(), value.toString().toStdString());
    return true;
  }
  return false;
}

Qt::ItemFlags MemberItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsEditable;
}

QVariant MemberItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return headers_.value(section);
}

void MemberItemModel::BeforeReset() {
  beginResetModel();
}

void MemberItemModel::AfterReset() {
  endResetModel();
}

void MemberItemModel::BeforeInsert(int first, int last) {
  beginInsertRows({}, first, last);
}

void MemberItemModel::AfterInsert() {
  endInsertRows();
}

void MemberItemModel::BeforeMove() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MemberItemModel::AfterMove(const std::vector<int>& newIndex) {
  // The selection and the current row follow their rows.
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& index : before) {
    after.append(this->index(newIndex[static_cast<size_t>(index.row())], index.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MemberItemModel::RowChanged(int index) {
  emit dataChanged(this->index(index, 0), this->index(index, kColumns - 1));
}

}  // namespace vorlix::app
