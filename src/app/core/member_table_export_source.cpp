#include "app/core/member_table_export_source.h"

#include "app/core/member_columns.h"

namespace vorlix::core {

std::string MemberTableExportSource::ColumnCaption(int column) const {
  if (column < 0 || column >= ColumnCount()) throw exporter::EListIndexError(column);
  return captions_[static_cast<size_t>(column)];
}

int MemberTableExportSource::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) throw exporter::EListIndexError(column);
  return kMemberColumnWidths[static_cast<size_t>(column)];
}

void MemberTableExportSource::CheckItem(int item) const {
  if (item < 0 || item >= ItemCount()) throw exporter::EListIndexError(item);
}

std::string MemberTableExportSource::ItemCaption(int item) const {
  CheckItem(item);
  return table_.ColumnText(item, 0);
}

std::string MemberTableExportSource::SubItem(int item, int k) const {
  CheckItem(item);
  if (k < 0 || k >= ColumnCount() - 1) throw exporter::EListIndexError(k);
  return table_.ColumnText(item, k + 1);
}

}  // namespace vorlix::core
