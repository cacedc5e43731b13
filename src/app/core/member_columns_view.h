#pragma once
// What every export source of the member table shares: the five columns with the captions given
// and the widths kMemberColumnWidths, and a selection that is only remembered. Sources add the
// items.

#include <string>

#include "app/core/kinds.h"
#include "export/morvat_sources.h"

namespace vorlix::core {

class MemberColumnsView : public exporter::IMorvatListView {
 public:
  // `captions` are read at each export; they outlive the view.
  explicit MemberColumnsView(const ColumnCaptions& captions) : captions_(captions) {}

  int ColumnCount() const override { return kMemberColumnCount; }
  std::string ColumnCaption(int column) const override {
    CheckColumn(column);
    return captions_[static_cast<size_t>(column)];
  }
  int ColumnWidth(int column) const override {
    CheckColumn(column);
    return kMemberColumnWidths[static_cast<size_t>(column)];
  }
  int SelectedIndex() const override { return selected_; }
  void SelectItem(int item) override { selected_ = item; }
  void BeginUpdate() override {}
  void EndUpdate() override {}

 protected:
  // Throw the list's index error for a column, or a sub-item (cell k + 1), the table does not have.
  static void CheckColumn(int column) {
    if (column < 0 || column >= kMemberColumnCount) throw exporter::EListIndexError(column);
  }
  static void CheckSubItem(int k) {
    if (k < 0 || k >= kMemberColumnCount - 1) throw exporter::EListIndexError(k);
  }

 private:
  const ColumnCaptions& captions_;
  int selected_ = -1;
};

}  // namespace vorlix::core
