#include "app/core/member_table_export_source.h"

namespace vorlix::core {

void MemberTableExportSource::CheckItem(int item) const {
  if (item < 0 || item >= ItemCount()) throw exporter::EListIndexError(item);
}

std::string MemberTableExportSource::ItemCaption(int item) const {
  CheckItem(item);
  return table_.ColumnText(item, 0);
}

std::string MemberTableExportSource::SubItem(int item, int k) const {
  CheckItem(item);
  CheckSubItem(k);
  return table_.ColumnText(item, k + 1);
}

}  // namespace vorlix::core
