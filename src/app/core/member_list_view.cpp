#include "app/core/member_list_view.h"

#include "app/core/kinds.h"

namespace vorlix::core {

std::string MemberListView::ColumnCaption(int column) const {
  if (column < 0 || column >= ColumnCount()) throw exporter::EListIndexError(column);
  return captions_[static_cast<size_t>(column)];
}

int MemberListView::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) throw exporter::EListIndexError(column);
  return kMemberColumnWidths[static_cast<size_t>(column)];
}

void MemberListView::CheckItem(int item) const {
  if (item < 0 || item >= table_.RowCount()) throw exporter::EListIndexError(item);
}

std::string MemberListView::ItemCaption(int item) const {
  CheckItem(item);
  return table_.ColumnText(item, 0);
}

std::string MemberListView::SubItem(int item, int k) const {
  CheckItem(item);
  if (k < 0 || k >= ColumnCount() - 1) throw exporter::EListIndexError(k);
  return table_.ColumnText(item, k + 1);
}

}  // namespace vorlix::core
