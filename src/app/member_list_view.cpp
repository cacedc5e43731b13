#include "app/member_list_view.h"

namespace vorlix::app {

int MemberListView::ColumnCount() const {
  return tree_.columnCount();
}

std::string MemberListView::ColumnCaption(int column) const {
  return tree_.headerItem()->text(column).toStdString();
}

int MemberListView::ColumnWidth(int column) const {
  return tree_.columnWidth(column);
}

int MemberListView::ItemCount() const {
  return tree_.topLevelItemCount();
}

QTreeWidgetItem* MemberListView::Item(int item) const {
  QTreeWidgetItem* found = tree_.topLevelItem(item);
  if (found == nullptr) throw exporter::EListIndexError(item);
  return found;
}

std::string MemberListView::ItemCaption(int item) const {
  return Item(item)->text(0).toStdString();
}

std::string MemberListView::SubItem(int item, int k) const {
  if (k < 0 || k + 1 >= tree_.columnCount()) throw exporter::EListIndexError(k);
  return Item(item)->text(k + 1).toStdString();
}

int MemberListView::SelectedIndex() const {
  const QList<QTreeWidgetItem*> selected = tree_.selectedItems();
  return selected.isEmpty() ? -1 : tree_.indexOfTopLevelItem(selected.first());
}

void MemberListView::SelectItem(int item) {
  QTreeWidgetItem* found = tree_.topLevelItem(item);
  if (found == nullptr) {
    tree_.clearSelection();
    return;
  }
  tree_.setCurrentItem(found);
  found->setSelected(true);
}

// The export reads the rows without repainting the table in between.
void MemberListView::BeginUpdate() {
  if (updateDepth_++ == 0) tree_.setUpdatesEnabled(false);
}

void MemberListView::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) tree_.setUpdatesEnabled(true);
}

}  // namespace vorlix::app
