#pragma once
// memo1: the member table as a Qt report list. Every row has a tick box, the member's full name in
// the first column (editable in place) and four cell texts; the second cell of a workstation row
// also carries the raw registration time. The table keeps itself sorted by the first column:
// an added row is inserted where one sort would put it, a batch added between BeginUpdate and
// EndUpdate is sorted once at the end, and an edited name re-sorts the table. A header click sorts
// ascending by that column.

#include <QTreeWidget>
#include <vector>

#include "app/core/member_table.h"

namespace vorlix::app {

// Item data role under which the first cell of column 2 keeps the raw registration time.
inline constexpr int kRawTimeRole = Qt::UserRole + 1;

class MemberTree : public QTreeWidget, public core::IMemberTable {
  Q_OBJECT
 public:
  static constexpr int kColumns = 5;

  explicit MemberTree(QWidget* parent = nullptr);
  ~MemberTree() override;

  // core::IMemberTable
  void Clear() override;
  void AddRow(const core::MemberRow& row) override;
  int RowCount() const override;
  core::MemberRow Row(int index) const override;
  void SortByKey(int key) override;
  void BeginUpdate() override;
  void EndUpdate() override;
  // During an update: puts the rows added so far in their places (in the order of key 0) and
  // lets the table repaint, so that a long lookup shows the rows it has read. The rows join in
  // batches of at least half the rows shown, so that the merges cost little in all.
  void ShowAddedRows();

  // Sets the five column headers.
  void SetHeaders(const QStringList& headers);
  QStringList Headers() const;

  // The header click handler: sorts ascending by that column.
  void memo1ColumnClick(int column);

 protected:
  void commitData(QWidget* editor) override;
  using QTreeWidget::edit;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  static QTreeWidgetItem* MakeItem(const core::MemberRow& row);
  static core::MemberRow RowOf(const QTreeWidgetItem* item);
  // Sorts the rows, and the added ones, stably by memo1Compare with key; the selection and the
  // current row are kept.
  void SortItems(int key, const QList<QTreeWidgetItem*>& added);
  // Merges `added` into the rows, which are in the order of key 0; as SortItems(0, added) would.
  void MergeItems(const QList<QTreeWidgetItem*>& added);

  int updateDepth_ = 0;
  QList<QTreeWidgetItem*> pending_;  // rows added during an update, not yet in the list
};

}  // namespace vorlix::app
