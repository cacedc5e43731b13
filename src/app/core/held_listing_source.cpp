#include "app/core/held_listing_source.h"

namespace vorlix::core {

void HeldListingSource::AddRow(const MemberRow& row) {
  HeldRow held;
  joined_.clear();
  for (int column = 0; column < kMemberColumnCount; ++column) {
    const std::string& text = row.ColumnText(column);
    held.sizes[static_cast<size_t>(column)] = static_cast<uint32_t>(text.size());
    joined_ += text;
  }
  held.texts = joined_.empty() ? nullptr : arena_.Copy(joined_).data();
  rows_.push_back(held);
}

std::string HeldListingSource::SubItem(int item, int k) const {
  CheckSubItem(k);
  return Text(item, k + 1);
}

std::string HeldListingSource::Text(int item, int column) const {
  if (item < 0 || item >= ItemCount()) throw exporter::EListIndexError(item);
  const HeldRow& row = rows_[static_cast<size_t>(item)];
  size_t start = 0;
  for (int c = 0; c < column; ++c) start += row.sizes[static_cast<size_t>(c)];
  return std::string(row.texts + start, row.sizes[static_cast<size_t>(column)]);
}

}  // namespace vorlix::core
