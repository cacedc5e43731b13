#pragma once
// The member table as an exporter reads it: a list with the five columns (captions per kind,
// widths kMemberColumnWidths) and one item per row, its caption the first-column text and its
// sub-items cells 1 to 4. Ticks play no part. The window's table builds on it
// (app::MemberTreeExportSource).

#include <string>

#include "app/core/member_columns_view.h"
#include "app/core/member_table.h"

namespace vorlix::core {

class MemberTableExportSource : public MemberColumnsView {
 public:
  // `captions` are read at each export; they outlive the source.
  MemberTableExportSource(const IMemberTable& table, const ColumnCaptions& captions)
      : MemberColumnsView(captions), table_(table) {}

  int ItemCount() const override { return table_.RowCount(); }
  std::string ItemCaption(int item) const override;
  std::string SubItem(int item, int k) const override;

 private:
  void CheckItem(int item) const;  // throws the list's index error for a missing item

  const IMemberTable& table_;
};

}  // namespace vorlix::core
