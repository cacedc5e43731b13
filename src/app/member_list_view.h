#pragma once
// memo1 as the exporters see it: a report list of five columns whose items always have every
// sub-item.

#include "app/member_tree.h"
#include "export/morvat_sources.h"

namespace vorlix::app {

class MemberListView : public exporter::IMorvatListView {
 public:
  explicit MemberListView(MemberTree& tree) : tree_(tree) {}

  int ColumnCount() const override;
  std::string ColumnCaption(int column) const override;
  int ColumnWidth(int column) const override;
  int ItemCount() const override;
  std::string ItemCaption(int item) const override;
  std::string SubItem(int item, int k) const override;
  int SelectedIndex() const override;
  void SelectItem(int item) override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  QTreeWidgetItem* Item(int item) const;

  MemberTree& tree_;
  int updateDepth_ = 0;
};

}  // namespace vorlix::app
