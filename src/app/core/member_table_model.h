#pragma once
// The member table held in memory (the CLI's table, and the model tests use).

#include <string>
#include <vector>

#include "app/core/member_table.h"

namespace vorlix::core {

class MemberTableModel : public IMemberTable {
 public:
  void Clear() override;
  // Outside an update: inserted after the last row that does not sort after it (binary search).
  // Inside an update: appended; EndUpdate sorts once (stable), which gives the same order.
  void AddRow(const MemberRow& row) override;
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  MemberRow Row(int index) const override { return rows_.at(static_cast<size_t>(index)); }
  std::string ColumnText(int index, int column) const override {
    return rows_.at(static_cast<size_t>(index)).ColumnText(column);
  }
  void SortByKey(int key) override;
  void BeginUpdate() override;
  void EndUpdate() override;

  const std::vector<MemberRow>& Rows() const { return rows_; }
  void SetChecked(int index, bool checked);
  // Edits the first-column text in place; the table re-sorts by the first column.
  void SetCaption(int index, const std::string& caption);

 private:
  void SortByFirstColumn();

  std::vector<MemberRow> rows_;
  int updateDepth_ = 0;
  bool sortedByFirstColumn_ = true;
};

}  // namespace vorlix::core
