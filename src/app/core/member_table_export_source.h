#pragma once
// The member table as an exporter reads it: a list with the five columns (captions per kind,
// widths kMemberColumnWidths) and one item per row, its caption the first-column text and its
// sub-items cells 1 to 4. Ticks play no part. The window's table builds on it
// (app::MemberTreeExportSource).

#include <array>
#include <string>

#include "app/core/member_table.h"
#include "export/morvat_sources.h"

namespace vorlix::core {

class MemberTableExportSource : public exporter::IMorvatListView {
 public:
  MemberTableExportSource(const IMemberTable& table, const std::array<std::string, 5>& captions)
      : table_(table), captions_(captions) {}

  int ColumnCount() const override { return 5; }
  std::string ColumnCaption(int column) const override;
  int ColumnWidth(int column) const override;
  int ItemCount() const override { return table_.RowCount(); }
  std::string ItemCaption(int item) const override;
  std::string SubItem(int item, int k) const override;
  int SelectedIndex() const override { return selected_; }
  void SelectItem(int item) override { selected_ = item; }
  void BeginUpdate() override {}
  void EndUpdate() override {}

 private:
  void CheckItem(int item) const;  // throws the list's index error for a missing item

  const IMemberTable& table_;
  std::array<std::string, 5> captions_;
  int selected_ = -1;
};

}  // namespace vorlix::core
