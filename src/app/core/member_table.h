#pragma once
// The member table as the lookup fills it and Mail reads it. The table keeps itself sorted by the
// first column (memo1Compare key Name): every added row re-sorts it. Between BeginUpdate and
// EndUpdate an implementation may defer that sort to EndUpdate, as long as the order afterwards is
// the one a single sort gives; TableUpdateGuard ends the update on every path.

#include <string>

#include "app/core/member_columns.h"
#include "app/core/member_row.h"

namespace vorlix::core {

class IMemberTable {
 public:
  virtual ~IMemberTable() = default;
  virtual void Clear() = 0;
  virtual void AddRow(const MemberRow& row) = 0;
  virtual int RowCount() const = 0;
  // The row at `index` (0 = top) in the table's current order.
  virtual MemberRow Row(int index) const = 0;
  // Text of column 0 (caption) to 4 (cell 4) of the row at `index`; tables that hold their rows
  // answer without copying the whole row.
  virtual std::string ColumnText(int index, int column) const {
    return Row(index).ColumnText(column);
  }
  // Sorts the rows ascending by memo1Compare with `key`; rows waiting in an update stay where
  // they are.
  virtual void SortByKey(SortKey key) = 0;
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};

class TableUpdateGuard {
 public:
  explicit TableUpdateGuard(IMemberTable& table) : table_(table) { table_.BeginUpdate(); }
  ~TableUpdateGuard() { table_.EndUpdate(); }
  TableUpdateGuard(const TableUpdateGuard&) = delete;
  TableUpdateGuard& operator=(const TableUpdateGuard&) = delete;

 private:
  IMemberTable& table_;
};

}  // namespace vorlix::core
