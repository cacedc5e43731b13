#include "app/member_tree_export_source.h"

#include <QItemSelectionModel>

namespace vorlix::app {

int MemberTreeExportSource::ColumnWidth(int column) const {
  return tree_.columnWidth(column);
}

int MemberTreeExportSource::SelectedIndex() const {
  const QModelIndexList selected = tree_.selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void MemberTreeExportSource::SelectItem(int item) {
  if (item < 0 || item >= ItemCount()) {
    tree_.clearSelection();
    return;
  }
  const QModelIndex row = tree_.model()->index(item, 0);
  tree_.setCurrentIndex(row);
  tree_.selectionModel()->select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The export reads the rows without repainting the table in between.
void MemberTreeExportSource::BeginUpdate() {
  if (updateDepth_++ == 0) tree_.setUpdatesEnabled(false);
}

void MemberTreeExportSource::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) tree_.setUpdatesEnabled(true);
}

}  // namespace vorlix::app
