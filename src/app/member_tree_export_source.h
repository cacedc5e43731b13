#pragma once
// memo1 as the exporters see it: the rows it shows, in its order, with the window's captions, the
// column widths it shows and its selection. An export holds back repainting while it reads.

#include "app/core/member_table_export_source.h"
#include "app/member_tree.h"

namespace vorlix::app {

class MemberTreeExportSource : public core::MemberTableExportSource {
 public:
  // `captions` are the window's, which outlive the source.
  MemberTreeExportSource(MemberTree& tree, const core::ColumnCaptions& captions)
      : core::MemberTableExportSource(tree, captions), tree_(tree) {}

  int ColumnWidth(int column) const override;
  int ItemCount() const override { return tree_.ShownRowCount(); }
  int SelectedIndex() const override;
  void SelectItem(int item) override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  MemberTree& tree_;
  int updateDepth_ = 0;
};

}  // namespace vorlix::app
