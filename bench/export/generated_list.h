#pragma once
// A member-table-like list of any length for the spreadsheet benchmarks. Its cells are made
// when they are read, so the source itself holds no memory and peak memory is the writer's.
// The comparison scripts (xls/compare.py, xlsx/compare.py) give the other writers the same
// cells.

#include <string>

#include "export/morvat_sources.h"

namespace vorlix::exporter::bench {

class GeneratedList : public IMorvatListView {
 public:
  explicit GeneratedList(int rows) : rows_(rows) {}
  int ColumnCount() const override { return 5; }
  std::string ColumnCaption(int c) const override {
    static const char* const kCaptions[5] = {"User", "Phone", "Office", "Department", "Note"};
    return kCaptions[c];
  }
  int ColumnWidth(int) const override { return 120; }
  int ItemCount() const override { return rows_; }
  std::string ItemCaption(int i) const override { return Cell(i, 0); }
  std::string SubItem(int i, int k) const override { return Cell(i, k + 1); }
  int SelectedIndex() const override { return selected_; }
  void SelectItem(int item) override { selected_ = item; }
  void BeginUpdate() override {}
  void EndUpdate() override {}

  static std::string Cell(int i, int c) {
    switch (c) {
      case 0:
        return "member" + std::to_string(i) + ".sales.acme";
      case 1:
        return "+31 20 " + std::to_string(5550000 + i);
      case 2:
        return "Room " + std::to_string(i % 500);
      case 3:
        return "Dept " + std::to_string(i % 40);
      default:
        return "note " + std::to_string(i);
    }
  }

 private:
  int rows_;
  int selected_ = -1;
};

}  // namespace vorlix::exporter::bench
