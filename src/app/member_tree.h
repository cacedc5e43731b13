#pragma once
// memo1: the member table as a Qt report list, a view over the rows a core::MemberTableModel holds
// and orders. Every row has a tick box, the member's full name in the first column (editable in
// place) and four cell texts. The table keeps itself sorted by the first column; a header click
// sorts ascending by that column, and an edited name re-sorts the table once the editor has
// closed. During an update the rows added are not shown until ShowAddedRows or the end.

#include <QTreeView>

#include "app/core/member_table.h"
#include "app/member_item_model.h"

namespace vorlix::app {

class MemberTree : public QTreeView, public core::IMemberTable {
  Q_OBJECT
 public:
  static constexpr int kColumns = MemberItemModel::kColumns;

  explicit MemberTree(QWidget* parent = nullptr);

  // core::IMemberTable, over the model; the rows added during an update count at once.
  void Clear() override;
  void AddRow(const core::MemberRow& row) override;
  int RowCount() const override;
  core::MemberRow Row(int index) const override;
  std::string ColumnText(int index, int column) const override;
  void SortByKey(core::SortKey key) override;
  // An update also holds back repainting.
  void BeginUpdate() override;
  void EndUpdate() override;
  // During an update: puts the rows added so far in their places and lets the table repaint, so
  // that a long lookup shows the rows it has read. The rows join in batches of at least half the
  // rows shown, so that placing them costs little in all.
  void ShowAddedRows();

  // Rows on screen: all of them outside an update.
  int ShownRowCount() const;

  // Sets the five column headers.
  void SetHeaders(const QStringList& headers);
  QStringList Headers() const;

  // The header click handler: sorts ascending by that column.
  void memo1ColumnClick(int column);

 protected:
  void commitData(QWidget* editor) override;
  using QTreeView::edit;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  MemberItemModel* model_;
  int updateDepth_ = 0;
};

}  // namespace vorlix::app
