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

MemberRow MemberListView::RowAt(int item) const {
  if (item < 0 || item >= table_.RowCount()) throw exporter::EListIndexError(item);
  return table_.Row(item);
}

std::string MemberListView::ItemCaption(int item) const {
  return RowAt(item).caption;
}

std::string MemberListView::SubItem(int item, int k) const {
  const MemberRow row = RowAt(item);
  if (k < 0 || k >= static_cast<int>(row.cells.size())) throw exporter::EListIndexError(k);
  return row.cells[static_cast<size_t>(k)];
}

}  // namespace vorlix::core
