#pragma once
// The rows of a listing held for an exporter that reads them twice (the fixed-width text measures
// its columns over all rows before it writes one). A row's five texts lie one after the other in
// an arena, with only where they start and their lengths kept beside them: a third of the memory
// the member table's rows take, so that an export of a large group holds the least it can.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/member_columns_view.h"
#include "app/core/member_row.h"
#include "directory/text_arena.h"

namespace vorlix::core {

class HeldListingSource : public MemberColumnsView {
 public:
  explicit HeldListingSource(const ColumnCaptions& captions) : MemberColumnsView(captions) {}

  // Adds the row at the end: its caption and its four cells.
  void AddRow(const MemberRow& row);

  int ItemCount() const override { return static_cast<int>(rows_.size()); }
  std::string ItemCaption(int item) const override { return Text(item, 0); }
  std::string SubItem(int item, int k) const override;

 private:
  struct HeldRow {
    const char* texts = nullptr;  // the caption, then cell 1 to 4
    std::array<uint32_t, kMemberColumnCount> sizes{};
  };
  // The text of column (0: the caption) of item; EListIndexError for an item it does not hold.
  std::string Text(int item, int column) const;

  directory::TextArena arena_;
  std::vector<HeldRow> rows_;
  std::string joined_;  // a row's texts while they are joined for the arena
};

}  // namespace vorlix::core
