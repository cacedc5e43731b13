#pragma once
// The member table held in memory and the one place its sort policy lives: the CLI's table, and
// the rows the window's table shows. An observer hears of every change, so that a view can follow.

#include <string>
#include <vector>

#include "app/core/member_table.h"

namespace vorlix::core {

// Told of each change to a MemberTableModel's placed rows (see PlacedRowCount), before and after
// it happens, as a view needs them to keep its selection and current row.
class IMemberTableObserver {
 public:
  virtual ~IMemberTableObserver() = default;
  virtual void BeforeReset() {}
  virtual void AfterReset() {}
  // Rows first..last (indexes after the insert) join the placed rows.
  virtual void BeforeInsert(int first, int last) = 0;
  virtual void AfterInsert() = 0;
  // The placed rows change places: the row that was at i is now at newIndex[i].
  virtual void BeforeMove() = 0;
  virtual void AfterMove(const std::vector<int>& newIndex) = 0;
  virtual void RowChanged(int index) = 0;
};

class MemberTableModel : public IMemberTable {
 public:
  void Clear() override;
  // Outside an update: inserted after the last row that does not sort after it (binary search).
  // Inside an update: it waits behind the placed rows; EndUpdate or PlaceAddedRows puts the rows
  // waiting in their places, which gives the order of one stable sort.
  void AddRow(const MemberRow& row) override;
  // All rows, the waiting ones included (they come last, in the order they were added).
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  MemberRow Row(int index) const override { return rows_.at(static_cast<size_t>(index)); }
  std::string ColumnText(int index, int column) const override {
    return rows_.at(static_cast<size_t>(index)).ColumnText(column);
  }
  // Sorts the placed rows stably by `key`; rows waiting in an update keep waiting.
  void SortByKey(SortKey key) override;
  void BeginUpdate() override;
  void EndUpdate() override;

  const std::vector<MemberRow>& Rows() const { return rows_; }
  void SetChecked(int index, bool checked);
  // Edits the first-column text in place; the table re-sorts by the first column (at the end of
  // the update when one runs).
  void SetCaption(int index, const std::string& caption);

  // Rows in their places: all of them outside an update.
  int PlacedRowCount() const { return placed_; }
  // During an update: puts the rows added so far in their places, as EndUpdate would.
  void PlaceAddedRows();

  // The observer (none: nullptr) outlives the model or is unset first.
  void SetObserver(IMemberTableObserver* observer) { observer_ = observer; }

 private:
  void SortByFirstColumn();
  // Moves the placed rows into the order `order` (order[k]: old index of the row that goes to k).
  void Reorder(const std::vector<int>& order);

  std::vector<MemberRow> rows_;  // placed rows first, then those waiting in an update
  int placed_ = 0;
  int updateDepth_ = 0;
  bool sortedByFirstColumn_ = true;  // of the placed rows
  IMemberTableObserver* observer_ = nullptr;
};

}  // namespace vorlix::core
