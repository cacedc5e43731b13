#include "app/core/member_table_model.h"

#include <algorithm>
#include <iterator>
#include <numeric>

#include "app/core/memo1_compare.h"

namespace vorlix::core {

namespace {

bool LessBy(const MemberRow& a, const MemberRow& b, SortKey key) {
  return memo1Compare(a, b, key) < 0;
}

}  // namespace

void MemberTableModel::Clear() {
  if (observer_ != nullptr) observer_->BeforeReset();
  rows_.clear();
  placed_ = 0;
  sortedByFirstColumn_ = true;
  if (observer_ != nullptr) observer_->AfterReset();
}

void MemberTableModel::AddRow(const MemberRow& row) {
  if (updateDepth_ > 0) {
    rows_.push_back(row);
    return;
  }
  SortByFirstColumn();
  const auto at = std::upper_bound(
      rows_.begin(), rows_.end(), row,
      [](const MemberRow& a, const MemberRow& b) { return LessBy(a, b, SortKey::Name); });
  const int index = static_cast<int>(at - rows_.begin());
  if (observer_ != nullptr) observer_->BeforeInsert(index, index);
  rows_.insert(at, row);
  ++placed_;
  if (observer_ != nullptr) observer_->AfterInsert();
}

void MemberTableModel::SortByKey(SortKey key) {
  std::vector<int> order(static_cast<size_t>(placed_));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [this, key](int a, int b) {
    return LessBy(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], key);
  });
  Reorder(order);
  sortedByFirstColumn_ = key == SortKey::Name;
}

void MemberTableModel::PlaceAddedRows() {
  const int count = RowCount();
  if (placed_ == count) return;
  if (!sortedByFirstColumn_) SortByKey(SortKey::Name);
  // The placed rows are in order; the waiting ones are sorted among themselves and merged in,
  // the placed ones first among equals, as they were added earlier.
  const auto before = [this](int a, int b) {
    return LessBy(rows_[static_cast<size_t>(a)], rows_[static_cast<size_t>(b)], SortKey::Name);
  };
  std::vector<int> waiting(static_cast<size_t>(count - placed_));
  std::iota(waiting.begin(), waiting.end(), placed_);
  std::stable_sort(waiting.begin(), waiting.end(), before);
  std::vector<int> placedRows(static_cast<size_t>(placed_));
  std::iota(placedRows.begin(), placedRows.end(), 0);
  std::vector<int> order;
  order.reserve(static_cast<size_t>(count));
  std::merge(placedRows.begin(), placedRows.end(), waiting.begin(), waiting.end(),
             std::back_inserter(order), before);

  if (observer_ != nullptr) observer_->BeforeInsert(placed_, count - 1);
  placed_ = count;
  if (observer_ != nullptr) observer_->AfterInsert();
  Reorder(order);
}

void MemberTableModel::BeginUpdate() {
  ++updateDepth_;
}

void MemberTableModel::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  PlaceAddedRows();
  SortByFirstColumn();
}

void MemberTableModel::SetChecked(int index, bool checked) {
  rows_.at(static_cast<size_t>(index)).checked = checked;
  if (observer_ != nullptr && index < placed_) observer_->RowChanged(index);
}

void MemberTableModel::SetCaption(int index, const std::string& caption) {
  rows_.at(static_cast<size_t>(index)).caption = caption;
  if (index >= placed_) return;  // a waiting row is placed by its new name
  if (observer_ != nullptr) observer_->RowChanged(index);
  sortedByFirstColumn_ = false;
  if (updateDepth_ == 0) SortByFirstColumn();
}

void MemberTableModel::SortByFirstColumn() {
  if (!sortedByFirstColumn_) SortByKey(SortKey::Name);
}

void MemberTableModel::Reorder(const std::vector<int>& order) {
  if (observer_ != nullptr) observer_->BeforeMove();
  std::vector<int> newIndex(order.size());
  std::vector<MemberRow> moved;
  moved.reserve(rows_.size());
  for (size_t k = 0; k < order.size(); ++k) {
    newIndex[static_cast<size_t>(order[k])] = static_cast<int>(k);
    moved.push_back(std::move(rows_[static_cast<size_t>(order[k])]));
  }
  for (size_t k = order.size(); k < rows_.size(); ++k) moved.push_back(std::move(rows_[k]));
  rows_ = std::move(moved);
  if (observer_ != nullptr) observer_->AfterMove(newIndex);
}

}  // namespace vorlix::core
