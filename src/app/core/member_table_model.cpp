#include "app/core/member_table_model.h"

#include <algorithm>

#include "app/core/memo1_compare.h"

namespace vorlix::core {

namespace {

bool LessBy(const MemberRow& a, const MemberRow& b, int key) {
  return memo1Compare(a, b, key) < 0;
}

}  // namespace

void MemberTableModel::Clear() {
  rows_.clear();
  sortedByFirstColumn_ = true;
}

void MemberTableModel::AddRow(const MemberRow& row) {
  if (updateDepth_ > 0) {
    rows_.push_back(row);
    sortedByFirstColumn_ = false;
    return;
  }
  SortByFirstColumn();
  const auto at =
      std::upper_bound(rows_.begin(), rows_.end(), row,
                       [](const MemberRow& a, const MemberRow& b) { return LessBy(a, b, 0); });
  rows_.insert(at, row);
}

void MemberTableModel::SortByKey(int key) {
  std::stable_sort(rows_.begin(), rows_.end(),
                   [key](const MemberRow& a, const MemberRow& b) { return LessBy(a, b, key); });
  sortedByFirstColumn_ = key == 0;
}

void MemberTableModel::BeginUpdate() {
  ++updateDepth_;
}

void MemberTableModel::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) SortByFirstColumn();
}

void MemberTableModel::SetChecked(int index, bool checked) {
  rows_.at(static_cast<size_t>(index)).checked = checked;
}

void MemberTableModel::SetCaption(int index, const std::string& caption) {
  rows_.at(static_cast<size_t>(index)).caption = caption;
  sortedByFirstColumn_ = false;
  if (updateDepth_ == 0) SortByFirstColumn();
}

void MemberTableModel::SortByFirstColumn() {
  if (!sortedByFirstColumn_) SortByKey(0);
}

}  // namespace vorlix::core
