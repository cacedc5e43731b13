#include "app/core/listing_export_source.h"

#include <stdexcept>

namespace vorlix::core {

std::string ListingExportSource::SubItem(int item, int k) const {
  CheckSubItem(k);
  return RowAt(item).cells[static_cast<size_t>(k)];
}

const MemberRow& ListingExportSource::RowAt(int item) const {
  if (item < 0 || item >= ItemCount()) throw exporter::EListIndexError(item);
  if (item < rowItem_) {
    throw std::logic_error("the listing's rows are read once, in order: item " +
                           std::to_string(item) + " was asked for after item " +
                           std::to_string(rowItem_));
  }
  while (rowItem_ < item) {
    if (!listing_.Next(row_)) throw exporter::EListIndexError(item);
    ++rowItem_;
    if (rowRead_) rowRead_(row_);
  }
  return row_;
}

}  // namespace vorlix::core
